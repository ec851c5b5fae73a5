#include "tray/tray_rule.h"

#include <gtest/gtest.h>

TEST(TrayRule, TheFirstWordFoundInTheSkyTextChoosesThePicture) {
    const struct {
        const char* sky;
        int icon;
    } rows[] = {
        {"Partly Cloudy", 4}, // "partly cloud" comes before "cloud"
        {"Mostly Sunny", 11}, // "sun" is tested first
        {"Mostly Cloudy", 3},
        {"Light Snow Showers", 10},
        {"Rain and Snow", 10}, // "snow" before "rain"
        {"Clear", 11},
        {"Scattered Clouds", 4},
        {"Cloudy", 12},
        {"Overcast", 3},
        {"Haze", 1},
        {"Fog", 1},
        {"Thunderstorms and Rain", 2},
        {"Light Rain", 9},
        {"Mist", 5},
        {"Light Drizzle", 5},
        {"Sunny but Foggy", 11},
        {"Windy", 0},
        {"", 0},
        {"OVERCAST", 3}, // compared in lower case
    };
    for (const auto& row : rows)
        EXPECT_EQ(tray_icon_index(QLatin1String(row.sky)), row.icon) << row.sky;
}

TEST(TrayRule, HintJoinsSkyAndTemperatureAndTheTooltipIsCutAt63) {
    const TrayDisplay d = tray_display(QStringLiteral("Partly Cloudy"), QStringLiteral("45 F"));
    EXPECT_EQ(d.hint, QStringLiteral("Partly Cloudy && 45 F"));
    EXPECT_EQ(d.icon_index, 4);

    const QString sixty_three(63, QLatin1Char('x'));
    EXPECT_EQ(tray_tooltip(sixty_three), sixty_three);
    EXPECT_EQ(tray_tooltip(sixty_three + QStringLiteral("yz")), sixty_three);
    EXPECT_EQ(tray_tooltip(QStringLiteral("short")), QStringLiteral("short"));
}
