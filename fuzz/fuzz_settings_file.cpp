// Fuzzes the settings file reader with any bytes a hand-edited or damaged file may hold, then
// writes the document back and reads it again: every value and every kept line must survive.
#include "fuzz_check.h"
#include "platform/ini_file.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    IniDocument doc = parse_ini(bytes);
    check(doc.unreadable_lines >= 0 && doc.unreadable_lines <= bytes.count('\n') + 1);

    const QByteArray written = format_ini(doc);
    const IniDocument again = parse_ini(written);
    check(again.unreadable_lines == doc.unreadable_lines);
    check(again.groups.size() == doc.groups.size());
    for (qsizetype g = 0; g < doc.groups.size(); ++g) {
        const IniGroup& group = doc.groups[g];
        check(again.groups[g].kept == group.kept);
        for (const IniValue& v : group.values)
            check(again.value(group.name, v.name) == v.value);
    }
    check(format_ini(again) == written);

    // A value the program stores survives the file whatever it holds.
    if (!doc.groups.isEmpty()) {
        const QString value = QString::fromUtf8(bytes.left(64));
        doc.set_value(doc.groups.front().name, QStringLiteral("Probe"), value);
        check(parse_ini(format_ini(doc)).value(doc.groups.front().name, QStringLiteral("probe")) ==
              value);
    }
    return 0;
}
