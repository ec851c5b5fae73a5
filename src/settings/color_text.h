#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

// Colour values as the stored colour texts describe them: a 32-bit number laid out 00BBGGRR
// for plain colours; the system colours are 0xFF000000 plus the system colour index, and
// "clNone" is 0x1FFFFFFF.
using ColorValue = qint32;

constexpr ColorValue system_color_flag = ColorValue(0xFF000000u);
constexpr ColorValue color_none = 0x1FFFFFFF;

// A plain colour from its red, green and blue parts.
constexpr ColorValue color_from_rgb(int r, int g, int b) {
    return ColorValue((quint32(b & 0xFF) << 16) | (quint32(g & 0xFF) << 8) | quint32(r & 0xFF));
}
constexpr int color_red(ColorValue c) {
    return int(quint32(c) & 0xFF);
}
constexpr int color_green(ColorValue c) {
    return int((quint32(c) >> 8) & 0xFF);
}
constexpr int color_blue(ColorValue c) {
    return int((quint32(c) >> 16) & 0xFF);
}
constexpr bool is_system_color(ColorValue c) {
    return (quint32(c) & 0xFF000000u) == 0xFF000000u;
}
constexpr int system_color_index(ColorValue c) {
    return int(quint32(c) & 0xFF);
}

// The colour's name ("clRed") when it equals one of the 42 named colours, else "$" followed
// by eight upper-case hexadecimal digits ("$000080FF").
QString color_to_text(ColorValue color);

// A colour name (any case), "$" + hexadecimal, "0x" + hexadecimal or a decimal number;
// nothing when the text is not a colour.
std::optional<ColorValue> text_to_color(const QString& text);
