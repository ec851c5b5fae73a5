#include "settings/color_text.h"

#include <gtest/gtest.h>

TEST(ColorText, ColoursTurnIntoNamesOrDollarHex) {
    const struct {
        ColorValue color;
        const char* text;
    } rows[] = {
        {color_from_rgb(255, 0, 0), "clRed"},       {color_from_rgb(0, 0, 0), "clBlack"},
        {color_from_rgb(0, 128, 128), "clTeal"},    {color_from_rgb(0, 255, 0), "clLime"},
        {color_from_rgb(255, 128, 0), "$000080FF"}, // an orange with no name
        {color_from_rgb(1, 2, 3), "$00030201"},     {ColorValue(0xFF000008u), "clWindowText"},
        {ColorValue(0xFF000018u), "clInfoBk"},      {color_none, "clNone"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(color_to_text(row.color), QLatin1String(row.text));
        EXPECT_EQ(text_to_color(QLatin1String(row.text)), row.color) << row.text;
    }
}

TEST(ColorText, TextsThatAreColoursAndTextsThatAreNot) {
    EXPECT_EQ(text_to_color(QStringLiteral("clred")), color_from_rgb(255, 0, 0));
    EXPECT_EQ(text_to_color(QStringLiteral("CLAQUA")), color_from_rgb(0, 255, 255));
    EXPECT_EQ(text_to_color(QStringLiteral("$ff")), color_from_rgb(255, 0, 0));
    EXPECT_EQ(text_to_color(QStringLiteral("0x00FF00")), color_from_rgb(0, 255, 0));
    EXPECT_EQ(text_to_color(QStringLiteral("255")), color_from_rgb(255, 0, 0));
    EXPECT_EQ(text_to_color(QStringLiteral("-16777208")), ColorValue(0xFF000008u));
    for (const char* bad : {"purple-ish", "", "$", "$GG0000", "clRedish", "99999999999", "n/a"})
        EXPECT_FALSE(text_to_color(QLatin1String(bad)).has_value()) << bad;
}
