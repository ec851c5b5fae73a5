// The warning watch's rules: the place of a location, the reading of a warnings page laid out
// as nimbrix-host lays it out, the announcement texts and the warnings remembered.
#include "textproducts/warning_watch_rules.h"

#include <QTimeZone>
#include <gtest/gtest.h>

namespace {

const QDateTime now_utc(QDate(2017, 5, 4), QTime(14, 0), QTimeZone::utc());
const WatchPlace dekalb{QStringLiteral("GA"), QStringLiteral("GAZ045"), QStringLiteral("ATLANTA")};

const QByteArray heading = "WWUS72 KFFC 041331\nNPWFFC\n\nURGENT - WEATHER MESSAGE\n"
                           "National Weather Service Peachtree City GA\n"
                           "931 AM EDT Thu May 4 2017\n\n";

const QByteArray going_on = "/O.CON.KFFC.WI.Y.0008.000000T0000Z-170505T0000Z/\n";

// A zone's section: zone line, counties in capitals, the segment, "$$".
QByteArray section(const QByteArray& zone_line, const QByteArray& county, const QByteArray& text,
                   const QByteArray& event = going_on) {
    return zone_line + "\n" + county + "-\n" + event +
           "Including the cities of Atlanta\n931 AM EDT Thu May 4 2017\n\n" + text + "\n\n$$\n\n";
}

QByteArray page(const QByteArray& sections) {
    return "<html><body><h2>Georgia Warnings and Advisories</h2><pre>\n" + heading + sections +
           "</pre></body></html>\n";
}

const QByteArray advisory = "...WIND ADVISORY REMAINS IN EFFECT UNTIL 8 PM EDT THIS\nEVENING...\n\n"
                            "* Winds...east 15 to 25 MPH.";

// Many products in the zone's one section, each under its own heading.
QByteArray many_products(int count) {
    QByteArray text = advisory;
    for (int i = 1; i < count; ++i)
        text += "\n\nWWUS72 KFFC 041331\nNPWFFC\n\nURGENT - WEATHER MESSAGE\n"
                "National Weather Service Peachtree City GA\n" +
                QByteArray::number(100 + i) + " AM EDT Thu May 4 2017\n\n...ADVISORY " +
                QByteArray::number(i) + "...";
    return section("GAZ045-042145-", "DEKALB", text);
}

} // namespace

TEST(WarningWatchRules, APageGivesTheAnnouncementOfThePlacesWarnings) {
    struct Row {
        const char* name;
        QByteArray body;
        WatchPlace place;
        bool readable;
        int messages;
        const char* title;          // of the first message
        QString body_text;          // of the first message
        const char* last_ends = ""; // the last message's body ends so
    };
    const QString wind =
        QStringLiteral("WIND ADVISORY REMAINS IN EFFECT UNTIL 8 PM EDT THIS EVENING");
    const char* title = "Nimbrix - URGENT - WEATHER MESSAGE for Dekalb county";
    const QByteArray other =
        section("GAZ033-042145-", "FULTON",
                "INCLUDING THE CITIES OF...SANDY SPRINGS...\n\n...HIGH WIND WARNING...");
    // clang-format off
    const Row rows[] = {
        {"the zone's own section", page(other + section("GAZ045-042145-", "DEKALB", advisory)), dekalb, true, 1, title, wind},
        {"the zone in a range", page(section("GAZ041>045-042145-", "DEKALB", advisory)), dekalb, true, 1, title, wind},
        {"a page without the zone's section", page(other), dekalb, true, 0, "", ""},
        {"a place without a zone, by its name", page(other + section("GAZ045-042145-", "DEKALB", advisory)),
         {QStringLiteral("GA"), QString(), QStringLiteral("SANDY SPRINGS")}, true, 1, "Nimbrix - URGENT - WEATHER MESSAGE for Fulton county",
         QStringLiteral("HIGH WIND WARNING")},
        {"a section without a headline", page(section("GAZ045-042145-", "DEKALB", "Winds east 15 to 25 MPH.")), dekalb, true, 1,
         title, QStringLiteral("URGENT - WEATHER MESSAGE")},
        {"500 warnings", page(many_products(500)), dekalb, true, 3, title, wind, "ADVISORY 2\nand 497 more"},
        {"a headline of 10,000 characters", page(section("GAZ045-042145-", "DEKALB", "..." + QByteArray(10000, 'W') + "...")),
         dekalb, true, 1, title, QString(200, u'W')},
        {"markup inside the text", page(section("GAZ045-042145-", "DEKALB", "<b>...HIGH <i>WIND</i> WARNING...</b>")),
         dekalb, true, 1, title, QStringLiteral("HIGH WIND WARNING")},
        {"Windows-1252 bytes", page(section("GAZ045-042145-", "DEKALB", "...WIND CHILL \x96" "20\xB0" "F \x93" "BITTER\x94...")),
         dekalb, true, 1, title, QStringLiteral("WIND CHILL \u201320\u00B0F \u201CBITTER\u201D")},
        {"an ended warning", page(section("GAZ045-042145-", "DEKALB", "...WIND ADVISORY HAS EXPIRED...",
                                          "/O.EXP.KFFC.WI.Y.0008.000000T0000Z-170504T1200Z/\n")),
         dekalb, true, 0, "", ""},
        {"not currently available", "<html><p>This product is not currently available.</p></html>", dekalb, true, 0, "", ""},
        {"an error page", "<html><body><h1>Service Unavailable</h1></body></html>", dekalb, false, 0, "", ""},
        {"an empty body", "", dekalb, false, 0, "", ""},
    };
    // clang-format on
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const WarningsPage read = read_warnings_page(row.body, row.place, now_utc);
        EXPECT_EQ(read.readable, row.readable);
        std::vector<WatchedWarning> current;
        for (const WatchedWarning& w : read.warnings)
            if (in_force(w, now_utc))
                current.push_back(w);
        const std::vector<WarningMessage> messages = warning_announcement(current);
        ASSERT_EQ(int(messages.size()), row.messages);
        if (messages.empty())
            continue;
        EXPECT_EQ(messages.front().title, QLatin1String(row.title));
        EXPECT_EQ(messages.front().body, row.body_text);
        EXPECT_TRUE(messages.back().body.endsWith(QLatin1String(row.last_ends)))
            << messages.back().body.toStdString();
    }
}

TEST(WarningWatchRules, AWarningIsInForceUntilItsEnd) {
    const WarningsPage read = read_warnings_page(
        page(section("GAZ045-042145-", "DEKALB", advisory) +
             section("GAZ045-042145-", "DEKALB", "...NO EVENT LINE, THE ZONE LINE'S END...", "")),
        dekalb, now_utc);
    ASSERT_EQ(read.warnings.size(), 2U);
    // The event's end (5 May 00:00 UTC), then the zone line's "042145" in this month.
    EXPECT_EQ(read.warnings[0].ends, QDateTime(QDate(2017, 5, 5), QTime(0, 0), QTimeZone::utc()));
    EXPECT_EQ(read.warnings[1].ends, QDateTime(QDate(2017, 5, 4), QTime(21, 45), QTimeZone::utc()));
    EXPECT_EQ(next_end(read.warnings, now_utc), read.warnings[1].ends);
    EXPECT_TRUE(in_force(read.warnings[0], now_utc.addSecs(9 * 3600)));
    EXPECT_FALSE(in_force(read.warnings[1], now_utc.addSecs(9 * 3600)));
}

TEST(WarningWatchRules, TheSeenWarningsKeepTwoDays) {
    SeenWarnings seen = SeenWarnings::decode(QString(), now_utc);
    seen.add(QStringLiteral("0123456789abcdef"), now_utc);
    seen.add(QStringLiteral("fedcba9876543210"), now_utc.addDays(1));
    const QString stored = seen.encode();
    EXPECT_EQ(stored,
              QStringLiteral("0123456789abcdef@201705041400;fedcba9876543210@201705051400"));

    // Read back a day later with damaged entries beside them: both kept, the damage dropped.
    const SeenWarnings again = SeenWarnings::decode(
        stored + QStringLiteral(";not an entry;0123@2017;zzzzzzzzzzzzzzzz@201705041400"),
        now_utc.addDays(1));
    EXPECT_EQ(again.size(), 2);
    EXPECT_TRUE(again.contains(QStringLiteral("0123456789abcdef")));
    // More than two days after it was seen, an entry is gone.
    const SeenWarnings later = SeenWarnings::decode(stored, now_utc.addSecs(2 * 86400 + 60));
    EXPECT_FALSE(later.contains(QStringLiteral("0123456789abcdef")));
    EXPECT_TRUE(later.contains(QStringLiteral("fedcba9876543210")));
}

TEST(WarningWatchRules, ThePlaceOfALocation) {
    struct Row {
        const char* location;
        bool us;
        const char* state;
        const char* zone;
        const char* name;
    };
    // clang-format off
    const Row rows[] = {
        {"Ames, IA",           true,  "IA", "IAZ048", "AMES"},
        {"Ames, Iowa",         true,  "IA", "IAZ048", "AMES"},
        {"Los_Angeles, CA",    true,  "CA", "CAZ548", "LOS ANGELES"},
        {"30303 - Atlanta, GA", true, "GA", "GAZ045", "ATLANTA"},
        {"Nowhere Town, IA",   true,  "IA", "",       "NOWHERE TOWN"},
        {"Paris, France (O)",  false, "",   "",       ""},
        {"Lima, Peru",         false, "",   "",       ""}, // not a US state
        {"",                   false, "",   "",       ""},
    };
    // clang-format on
    for (const Row& row : rows) {
        SCOPED_TRACE(row.location);
        const std::optional<WatchPlace> place = watch_place(QLatin1String(row.location));
        ASSERT_EQ(place.has_value(), row.us);
        if (!place)
            continue;
        EXPECT_EQ(place->state_code, QLatin1String(row.state));
        EXPECT_EQ(place->zone, QLatin1String(row.zone));
        EXPECT_EQ(place->name, QLatin1String(row.name));
    }
}
