#include "app/stats_request.h"
#include "shared/program_state.h"

#include <gtest/gtest.h>

TEST(StatsRequest, LocationStringsBecomeFieldsAndUrls) {
    const QString root = QStringLiteral("http://h/");
    const struct {
        const char* text;
        const char* city_before;
        const char *city, *state, *region, *zip;
        const char* url; // nullptr: the foreign station is looked up first
    } rows[] = {
        {"Chicago, IL", "", "Chicago", "IL", "US", "", "http://h/US/IL/Chicago.html"},
        {"New York, NY", "", "New_York", "NY", "US", "", "http://h/US/NY/New_York.html"},
        {"Springfield, Illinois", "", "Springfield", "IL", "US", "",
         "http://h/US/IL/Springfield.html"},
        {"Los_Angeles, CA", "", "Los_Angeles", "CA", "US", "", "http://h/US/CA/Los_Angeles.html"},
        {"60601 - Chicago, IL", "kept", "kept", "IL", "", "60601",
         "http://h/cgi-bin/findweather/getForecast?query=60601"},
        {"Bombay, India (O)", "", "Bombay", "India (O)", "", "", nullptr},
        {"St._Mawgan, United Kingdom (O)", "", "St. Mawgan", "United Kingdom (O)", "", "", nullptr},
        {"London, Ontario (O)", "", "London", "Ontario (O)", "", "", nullptr},
        {"", "", "", "", "US", "", "http://h/US//.html"},
        // No comma: the state part "hicago" is taken for a state name the table lacks.
        {"Chicago", "", "", "", "US", "", "http://h/US//.html"},
    };
    for (const auto& row : rows) {
        ProgramState state;
        state.current_location.location_text = QLatin1String(row.text);
        state.current_location.city = QLatin1String(row.city_before);
        state.current_location.region = QStringLiteral("stale");
        state.current_location.zip = QStringLiteral("99999");
        read_request_location(state);
        const CurrentLocation& l = state.current_location;
        EXPECT_EQ(l.city, QLatin1String(row.city)) << row.text;
        EXPECT_EQ(l.state, QLatin1String(row.state)) << row.text;
        EXPECT_EQ(l.region, QLatin1String(row.region)) << row.text;
        EXPECT_EQ(l.zip, QLatin1String(row.zip)) << row.text;
        EXPECT_EQ(needs_station_lookup(l), row.url == nullptr) << row.text;
        if (row.url) {
            const QString url = l.zip.size() >= 2 ? conditions_url_by_zip(root, l.zip)
                                                  : conditions_url_us(root, l.state, l.city);
            EXPECT_EQ(url, QLatin1String(row.url)) << row.text;
        }
    }
    EXPECT_EQ(conditions_url_station(root, QStringLiteral("43003")),
              QStringLiteral("http://h/global/stations/43003.html"));
}

TEST(StatsRequest, AFullStateNameGoesThroughThePlaceNameSplit) {
    ProgramState state;
    state.current_location.location_text = QStringLiteral("Concord, New Hampshire");
    read_request_location(state);
    EXPECT_EQ(state.current_location.place_name, QStringLiteral("Concord,New Hampshire"));
    EXPECT_EQ(state.current_location.state_code, QStringLiteral("NH"));
    EXPECT_EQ(state.place_city, QStringLiteral("Concord"));
    state.current_location.location_text =
        QStringLiteral("Toledo, Louisiana"); // not the table's spelling
    read_request_location(state);
    EXPECT_EQ(state.current_location.state, QString());
}

TEST(StatsRequest, EventTexts) {
    const char* words[] = {"Get",  "Options", "Head", "Post",   "Put",   "Patch",  "Copy",
                           "Move", "Delete",  "Link", "UnLink", "Trace", "Wrapped"};
    for (int cmd = 0; cmd < 13; ++cmd) {
        EXPECT_EQ(command_success_text(cmd),
                  QLatin1String(words[cmd]) + QStringLiteral(" Succeeded"));
        EXPECT_EQ(command_failure_text(cmd), QLatin1String(words[cmd]) + QStringLiteral(" Failed"));
    }
    EXPECT_EQ(command_success_text(13), QString());
    EXPECT_EQ(command_failure_text(-1), QString());
    EXPECT_EQ(packet_received_text(16383, 70000), QStringLiteral("16383 of 70000 bytes retrieved"));
    EXPECT_EQ(packet_received_text(512, 0), QStringLiteral("512 bytes retrieved..."));
}

#include "shared/page_text.h"

TEST(PageText, WindowsCodePageBytesBecomeTheirCharacters) {
    const struct {
        QByteArray bytes;
        QString text;
    } rows[] = {
        {QByteArray("72\xb0"
                    "F"),
         QStringLiteral("72\u00b0F")},
        {QByteArray("\x93quoted\x94 \x96 \x80"),
         QStringLiteral("\u201cquoted\u201d \u2013 \u20ac")},
        {QByteArray("\x81\x8d\x8f\x90\x9d"), QStringLiteral("\u0081\u008d\u008f\u0090\u009d")},
        {QByteArray("a\0b", 3), QString(QStringLiteral("a")) + QChar(0) + QStringLiteral("b")},
        {QByteArray("\xe9t\xe9 \xff"), QStringLiteral("\u00e9t\u00e9 \u00ff")},
    };
    for (const auto& row : rows) {
        const QString got = decode_windows_1252(row.bytes);
        EXPECT_EQ(got, row.text);
        EXPECT_EQ(got.size(), row.bytes.size()); // one byte, one character
    }
}

TEST(PageText, EncodingReadsBackToTheSameTextAndMarksWhatTheCodePageLacks) {
    const QString text = QStringLiteral("72\u00b0F \u201cquoted\u201d \u2013 \u20ac \u00e9");
    const QByteArray bytes = encode_windows_1252(text);
    EXPECT_EQ(bytes.size(), text.size());
    EXPECT_EQ(decode_windows_1252(bytes), text);
    EXPECT_EQ(encode_windows_1252(QStringLiteral("\u6771 \U0001F600")), QByteArray("? ?"));
}
