#include "tray/tray_rule.h"

namespace {

struct SkyWord {
    const char* word;
    int icon;
};

constexpr SkyWord sky_words[] = {
    {"sun", 11},         {"clear", 11},  {"mostly cloud", 3}, {"scattered clouds", 4},
    {"partly cloud", 4}, {"cloud", 12},  {"overcast", 3},     {"haze", 1},
    {"fog", 1},          {"snow", 10},   {"thunderstorm", 2}, {"rain", 9},
    {"mist", 5},         {"drizzle", 5},
};

} // namespace

int tray_icon_index(const QString& sky) {
    const QString lower = sky.toLower();
    for (const auto& row : sky_words)
        if (lower.contains(QLatin1String(row.word)))
            return row.icon;
    return 0;
}

TrayDisplay tray_display(const QString& sky, const QString& temperature) {
    return TrayDisplay{sky + QStringLiteral(" && ") + temperature, tray_icon_index(sky)};
}

QString tray_tooltip(const QString& hint) {
    return hint.left(63);
}
