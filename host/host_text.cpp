#include "host_text.h"

#include <array>

namespace {

// The characters of bytes 0x80 to 0x9F; 0 marks the five bytes the code page leaves unused.
constexpr std::array<char16_t, 32> high_block{
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char byte_for(char16_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return static_cast<char>(c);
    for (std::size_t i = 0; i < high_block.size(); ++i)
        if (high_block[i] != 0 && high_block[i] == c)
            return static_cast<char>(0x80 + i);
    return '?';
}

} // namespace

QByteArray encode_windows_1252(const QString& text) {
    QByteArray bytes;
    bytes.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        bytes.append(byte_for(c.unicode()));
        // A character beyond the first plane is one "?", not two.
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
    }
    return bytes;
}

QString html_escaped(const QString& text) {
    return text.toHtmlEscaped();
}
