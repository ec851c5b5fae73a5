#include "net/uu_processor.h"

#include <algorithm>

namespace {

constexpr qsizetype bytes_per_line = 45;
constexpr char mime_alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Base64 of one group of input bytes, completed with "=" to a multiple of four characters.
void append_mime(QByteArray& out, const unsigned char* in, qsizetype length) {
    qsizetype i = 0;
    for (; i + 3 <= length; i += 3) {
        const unsigned value = (in[i] << 16) | (in[i + 1] << 8) | in[i + 2];
        out.append(mime_alphabet[(value >> 18) & 63]);
        out.append(mime_alphabet[(value >> 12) & 63]);
        out.append(mime_alphabet[(value >> 6) & 63]);
        out.append(mime_alphabet[value & 63]);
    }
    const qsizetype rest = length - i;
    if (rest == 0)
        return;
    const unsigned value = (in[i] << 16) | (rest == 2 ? in[i + 1] << 8 : 0);
    out.append(mime_alphabet[(value >> 18) & 63]);
    out.append(mime_alphabet[(value >> 12) & 63]);
    out.append(rest == 2 ? mime_alphabet[(value >> 6) & 63] : '=');
    out.append('=');
}

// One uuencoded line: a length character, then four characters per three input bytes.
void append_uu(QByteArray& out, const unsigned char* in, qsizetype length) {
    const auto uu_char = [](unsigned six) { return six == 0 ? '`' : static_cast<char>(six + 32); };
    out.append(uu_char(static_cast<unsigned>(length)));
    for (qsizetype i = 0; i < length; i += 3) {
        const unsigned b0 = in[i];
        const unsigned b1 = i + 1 < length ? in[i + 1] : 0;
        const unsigned b2 = i + 2 < length ? in[i + 2] : 0;
        out.append(uu_char(b0 >> 2));
        out.append(uu_char(((b0 << 4) | (b1 >> 4)) & 63));
        out.append(uu_char(((b1 << 2) | (b2 >> 6)) & 63));
        out.append(uu_char(b2 & 63));
    }
}

} // namespace

QByteArray TNMUUProcessor::Encode(const QByteArray& data) const {
    if (OnBeginEncode)
        OnBeginEncode();
    QByteArray out;
    const auto* in = reinterpret_cast<const unsigned char*>(data.constData());
    for (qsizetype start = 0; start < data.size(); start += bytes_per_line) {
        const qsizetype length = std::min(bytes_per_line, data.size() - start);
        if (Method == uuMime)
            append_mime(out, in + start, length);
        else
            append_uu(out, in + start, length);
        out.append("\r\n");
    }
    if (OnEndEncode)
        OnEndEncode();
    return out;
}

QByteArray TNMUUProcessor::mime_one_line(const QByteArray& data) {
    TNMUUProcessor processor;
    QByteArray lines = processor.Encode(data);
    lines.replace("\r\n", "");
    return lines;
}
