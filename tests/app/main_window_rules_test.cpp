#include "app/main_window_rules.h"

#include <gtest/gtest.h>

TEST(MainWindowRules, SizeSnapsBackIntoItsLimits) {
    const struct {
        QSize asked, got;
    } rows[] = {
        {{325, 355}, {325, 355}}, {{370, 390}, {370, 390}},  {{371, 391}, {370, 390}},
        {{324, 354}, {325, 355}}, {{1000, 100}, {370, 355}}, {{0, 0}, {325, 355}},
        {{340, 360}, {340, 360}},
    };
    for (const auto& row : rows)
        EXPECT_EQ(limit_main_window_size(row.asked), row.got)
            << row.asked.width() << "x" << row.asked.height();
}

TEST(MainWindowRules, AutomaticUpdateTakesTheLocationBackFromTheCaption) {
    const struct {
        const char* caption;
        const char* location; // nullptr: nothing is fetched
    } rows[] = {
        {"Nimbrix", nullptr},
        {"Nimbrix - ", nullptr},
        {"Nimbrix - Rome", nullptr},  // four characters
        {"Nimbrix - Rome,", "Rome,"}, // five
        {"Nimbrix - Austin, TX", "Austin, TX"},
        {"Nimbrix -  Austin, TX \t", "Austin, TX"}, // trimmed at both ends
        {"Nimbrix - Llanfairpwllgwyngyll, United Kingdom (O)", "Llanfairpwllgwyngyll, United K"},
        {"Nimbrix - 60601 - Chicago, IL", "60601 - Chicago, IL"},
        {"Nimbrix - Paris, France (O)                      x",
         "Paris, France (O)"}, // cut, then trimmed
    };
    for (const auto& row : rows) {
        const auto got = auto_update_location(QString::fromLatin1(row.caption));
        if (!row.location) {
            EXPECT_FALSE(got.has_value()) << row.caption;
        } else {
            ASSERT_TRUE(got.has_value()) << row.caption;
            EXPECT_EQ(*got, QLatin1String(row.location)) << row.caption;
            EXPECT_LE(got->size(), 30);
        }
    }
}

TEST(MainWindowRules, AutomaticUpdateRefreshesTheWholeLocationShown) {
    const struct {
        const char* caption;
        const char* shown;
        const char* location;
    } rows[] = {
        {"Nimbrix - Boscombe Down, United Kingdom (O)", "Boscombe Down, United Kingdom (O)",
         "Boscombe Down, United Kingdom (O)"},
        {"Nimbrix - Austin, TX", "Austin, TX", "Austin, TX"},
        {"Nimbrix - Austin, TX", "Boise, ID", "Austin, TX"}, // the caption names the place
        {"Nimbrix - Austin, TX", "", "Austin, TX"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(auto_update_location(QLatin1String(row.caption), QLatin1String(row.shown)),
                  QString::fromLatin1(row.location))
            << row.caption;
}

TEST(MainWindowRules, TrimControlRemovesCode32AndBelowAtBothEndsOnly) {
    EXPECT_EQ(trim_control(QStringLiteral("\x01 a b \x1f")), QStringLiteral("a b"));
    EXPECT_EQ(trim_control(QStringLiteral("   ")), QString());
    EXPECT_EQ(trim_control(QString()), QString());
}
