#include "settings/color_text.h"

namespace {

struct NamedColor {
    const char* name;
    quint32 value;
};

constexpr quint32 sys(quint32 index) {
    return 0xFF000000u | index;
}

constexpr NamedColor named_colors[] = {
    {"clBlack", 0x000000},        {"clMaroon", 0x000080},
    {"clGreen", 0x008000},        {"clOlive", 0x008080},
    {"clNavy", 0x800000},         {"clPurple", 0x800080},
    {"clTeal", 0x808000},         {"clGray", 0x808080},
    {"clSilver", 0xC0C0C0},       {"clRed", 0x0000FF},
    {"clLime", 0x00FF00},         {"clYellow", 0x00FFFF},
    {"clBlue", 0xFF0000},         {"clFuchsia", 0xFF00FF},
    {"clAqua", 0xFFFF00},         {"clWhite", 0xFFFFFF},
    {"clScrollBar", sys(0)},      {"clBackground", sys(1)},
    {"clActiveCaption", sys(2)},  {"clInactiveCaption", sys(3)},
    {"clMenu", sys(4)},           {"clWindow", sys(5)},
    {"clWindowFrame", sys(6)},    {"clMenuText", sys(7)},
    {"clWindowText", sys(8)},     {"clCaptionText", sys(9)},
    {"clActiveBorder", sys(10)},  {"clInactiveBorder", sys(11)},
    {"clAppWorkSpace", sys(12)},  {"clHighlight", sys(13)},
    {"clHighlightText", sys(14)}, {"clBtnFace", sys(15)},
    {"clBtnShadow", sys(16)},     {"clGrayText", sys(17)},
    {"clBtnText", sys(18)},       {"clInactiveCaptionText", sys(19)},
    {"clBtnHighlight", sys(20)},  {"cl3DDkShadow", sys(21)},
    {"cl3DLight", sys(22)},       {"clInfoText", sys(23)},
    {"clInfoBk", sys(24)},        {"clNone", 0x1FFFFFFF},
};

} // namespace

QString color_to_text(ColorValue color) {
    for (const auto& row : named_colors)
        if (row.value == quint32(color))
            return QLatin1String(row.name);
    return QStringLiteral("$%1").arg(quint32(color), 8, 16, QLatin1Char('0')).toUpper();
}

std::optional<ColorValue> text_to_color(const QString& text) {
    const QString t = text.trimmed();
    for (const auto& row : named_colors)
        if (t.compare(QLatin1String(row.name), Qt::CaseInsensitive) == 0)
            return ColorValue(row.value);
    bool ok = false;
    qlonglong number = 0;
    if (t.startsWith(QLatin1Char('$')))
        number = t.mid(1).toLongLong(&ok, 16);
    else if (t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        number = t.mid(2).toLongLong(&ok, 16);
    else
        number = t.toLongLong(&ok, 10);
    if (!ok || number < -2147483648LL || number > 0xFFFFFFFFLL)
        return std::nullopt;
    return ColorValue(quint32(number & 0xFFFFFFFFLL));
}
