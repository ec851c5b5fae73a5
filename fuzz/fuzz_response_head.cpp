// Fuzzes the response head reader with the bytes a host might send, split into lines the way
// the socket layer's ReadLn splits them.
#include "fuzz_check.h"
#include "net/http_rules.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    ResponseHeadReader reader;
    QByteArray status_line;
    qsizetype at = 0;
    ResponseHeadReader::Result result = ResponseHeadReader::Result::more;
    while (at < input.size() && result == ResponseHeadReader::Result::more) {
        const qsizetype end = input.indexOf('\n', at);
        const QByteArray line = end < 0 ? input.mid(at) : input.mid(at, end - at + 1);
        at += line.size();
        result = reader.add_line(line);
        if (result == ResponseHeadReader::Result::too_large) {
            check(without_terminator(line).size() > ResponseHeadReader::max_line_length ||
                  reader.lines() > ResponseHeadReader::max_lines);
            return 0;
        }
        if (status_line.isEmpty())
            status_line = line;
    }
    check(reader.lines() <= ResponseHeadReader::max_lines);
    check(reader.reply_code() >= 0);
    check(status_line.isEmpty() || reader.lines() >= 1);
    check(reader.content_length() >= 0);
    check(reader.cookie().size() <= ResponseHeadReader::max_value_length);
    for (char c : reader.cookie())
        check(static_cast<unsigned char>(c) >= 32);
    check(reader.location().size() <= ResponseHeadReader::max_line_length);
    check(!reader.location().contains('\n'));
    check(reader.has_location() == !reader.location().isEmpty());
    check(result != ResponseHeadReader::Result::complete || reader.complete());
    return 0;
}
