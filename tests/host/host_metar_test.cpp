// METAR reports of many kinds turned into conditions pages and read back by the program's own
// parser: every value the page shows is what the report says, fields a report lacks show
// "n/a", and no page trips the parser's messages.
#include "host_test_support.h"

#include "app/conditions_parser.h"
#include "live/live_conditions.h"
#include "live/metar.h"
#include "sample/host_text.h"
#include "tray/tray_rule.h"

#include <gtest/gtest.h>

namespace {

struct MetarRow {
    const char* report;
    const char* temperature; // degrees F
    const char* humidity;    // as the label shows it (cut at four characters)
    const char* wind;
    const char* pressure;
    const char* sky;
    const char* visibility; // as the label shows it (cut at eight characters)
};

// clang-format off
const MetarRow metar_rows[] = {
    {"KORD 081051Z 27012G22KT 10SM FEW050 BKN250 M02/M08 A3012 RMK AO2 SLP210 T10171078",
     "29", "63%", "W at 14 mph, gusts 25", "30.12 in (1020 hPa)", "Mostly Cloudy", "10 miles"},
    {"KJFK 081051Z 00000KT 10SM CLR 03/M04 A3021 RMK AO2 SLP231 T00281044",
     "37", "59%", "Calm", "30.21 in (1023 hPa)", "Clear", "10 miles"},
    {"KLAX 081053Z VRB03KT 8SM HZ FEW008 14/11 A2998 RMK AO2 SLP152 T01390111",
     "57", "83%", "Variable at 3 mph", "29.98 in (1015 hPa)", "Haze", "8 miles"},
    {"KSEA 081053Z 18008KT 6SM -RA BR OVC015 09/08 A2975 RMK AO2 T00890078",
     "48", "93%", "S at 9 mph", "29.75 in (1007 hPa)", "Light Rain", "6 miles"},
    {"KDEN 081053Z 34015G25KT 2SM -SN BR BKN008 OVC015 M07/M09 A3035 RMK AO2 T10671089",
     "20", "84%", "NNW at 17 mph, gusts 29", "30.35 in (1028 hPa)", "Light Snow", "2 miles"},
    {"KMIA 081053Z 09011KT 10SM SCT025 26/21 A3004 RMK AO2 T02560206",
     "78", "74%", "E at 13 mph", "30.04 in (1017 hPa)", "Partly Cloudy", "10 miles"},
    {"KPHX 081051Z 00000KT 10SM SKC 18/M02 A3001",
     "64", "26%", "Calm", "30.01 in (1016 hPa)", "Clear", "10 miles"},
    {"KMSP 081053Z 32010KT 1/2SM +SN FZFG VV004 M12/M14 A3018 RMK AO2",
     "10", "85%", "NW at 12 mph", "30.18 in (1022 hPa)", "Heavy Snow", "0.5 mile"},
    {"KBOS 081054Z 05019G31KT 3/4SM -RA BR OVC005 04/03 A2951",
     "39", "93%", "NE at 22 mph, gusts 36", "29.51 in (999 hPa)", "Light Rain", "0.8 mile"},
    {"KATL 081052Z 22006KT 1 1/2SM TSRA BR SCT010 BKN030CB OVC080 21/20 A2990",
     "70", "94%", "SW at 7 mph", "29.90 in (1013 hPa)", "Thunderstorm", "2 miles"},
    {"KDFW 081053Z 17018G28KT 10SM +TSRA BKN035CB 24/19 A2983",
     "75", "74%", "S at 21 mph, gusts 32", "29.83 in (1010 hPa)", "Heavy Thunderstorm", "10 miles"},
    {"KIAH 081053Z 15007KT 1/4SM FG VV001 19/19 A3010",
     "66", "100%", "SSE at 8 mph", "30.10 in (1019 hPa)", "Fog", "0.3 mile"},
    {"KSFO 081056Z 28014KT 10SM FEW012 12/09 A3003",
     "54", "82%", "W at 16 mph", "30.03 in (1017 hPa)", "Mostly Clear", "10 miles"},
    {"KLAS 081056Z 22025G38KT 5SM BLDU SCT100 22/M04 A2985",
     "72", "17%", "SW at 29 mph, gusts 44", "29.85 in (1011 hPa)", "Dust", "5 miles"},
    {"KANC 081053Z 01004KT 10SM FEW040 M18/M22 A2990",
     "0", "71%", "N at 5 mph", "29.90 in (1013 hPa)", "Mostly Clear", "10 miles"},
    {"PHNL 081053Z 06012KT 10SM FEW030 SCT045 25/18 A3006",
     "77", "65%", "ENE at 14 mph", "30.06 in (1018 hPa)", "Partly Cloudy", "10 miles"},
    {"KFAI 081053Z 00000KT 1/4SM FZFG M31/M33 A3040",
     "-24", "83%", "Calm", "30.40 in (1029 hPa)", "Freezing Fog", "0.3 mile"},
    {"KBUF 081054Z 25022G35KT 1/4SM +SN BLSN VV005 M05/M07 A2982",
     "23", "86%", "WSW at 25 mph, gusts 40", "29.82 in (1010 hPa)", "Heavy Snow", "0.3 mile"},
    {"KDCA 081052Z 36005KT 10SM OVC045 06/M01 A3025",
     "43", "61%", "N at 6 mph", "30.25 in (1024 hPa)", "Overcast", "10 miles"},
    {"KMSY 081053Z 13009KT 7SM -DZ OVC008 18/17 A3002",
     "64", "94%", "SE at 10 mph", "30.02 in (1017 hPa)", "Light Drizzle", "7 miles"},
    {"KSLC 081054Z 16005KT 4SM HZ FU SCT200 02/M06 A3040",
     "36", "55%", "SSE at 6 mph", "30.40 in (1029 hPa)", "Haze", "4 miles"},
    {"KPDX 081053Z 12005KT 3SM -FZRA BR OVC010 M01/M02 A3001",
     "30", "93%", "ESE at 6 mph", "30.01 in (1016 hPa)", "Light Freezing Rain", "3 miles"},
    {"KSTL 081051Z 31010KT 10SM BKN030 OVC040 M01/M06 A3024",
     "30", "69%", "NW at 12 mph", "30.24 in (1024 hPa)", "Overcast", "10 miles"},
    {"KAUS 081051Z 00000KT 10SM CLR 08/07 A3014",
     "46", "93%", "Calm", "30.14 in (1021 hPa)", "Clear", "10 miles"},
    {"KTUS 081053Z 12006KT 10SM FEW200 33/M03 A2993",
     "91", "10%", "ESE at 7 mph", "29.93 in (1014 hPa)", "Mostly Clear", "10 miles"},
    // Missing groups: no dew point, no altimeter, no wind, no visibility, no sky.
    {"KORD 081051Z AUTO 27010KT 10SM CLR M02/ A3012",
     "28", "n/a", "W at 12 mph", "30.12 in (1020 hPa)", "Clear", "10 miles"},
    {"KJFK 081051Z 24012KT 10SM FEW250 06/M02 RMK AO2",
     "43", "57%", "WSW at 14 mph", "n/a", "Mostly Clear", "10 miles"},
    {"KMDW 081051Z 10SM OVC030 M01/M05 A3011",
     "30", "74%", "n/a", "30.11 in (1020 hPa)", "Overcast", "10 miles"},
    {"KSEA 081053Z 17005KT OVC020 08/06 A2980",
     "46", "87%", "S at 6 mph", "29.80 in (1009 hPa)", "Overcast", "n/a"},
    {"KDEN 081053Z 36008KT 10SM 01/M10 A3030",
     "34", "44%", "N at 9 mph", "30.30 in (1026 hPa)", "n/a", "10 miles"},
    {"KORD 081051Z 27012KT 10SM FEW050 M02/M08 A3012 RMK AO2 T1017",
     "29", "62%", "W at 14 mph", "30.12 in (1020 hPa)", "Mostly Clear", "10 miles"},
    // Metric visibility, QNH, CAVOK, wind in metres per second, trend groups.
    {"EGLL 081050Z 24015KT 9999 FEW022 SCT035 11/07 Q1008",
     "52", "76%", "WSW at 17 mph", "29.77 in (1008 hPa)", "Partly Cloudy", "6 miles"},
    {"LFPG 081100Z 20012KT CAVOK 08/03 Q1021 NOSIG",
     "46", "71%", "SSW at 14 mph", "30.15 in (1021 hPa)", "Clear", "6 miles"},
    {"EDDF 081050Z VRB02KT 0300 FG VV001 M01/M01 Q1030 BECMG 1500 BR",
     "30", "100%", "Variable at 2 mph", "30.42 in (1030 hPa)", "Fog", "0.2 mile"},
    {"RJTT 081100Z 34007KT 9999 FEW030 09/M03 Q1024 NOSIG",
     "48", "43%", "NNW at 8 mph", "30.24 in (1024 hPa)", "Mostly Clear", "6 miles"},
    {"YSSY 081100Z 05018G28KT 9999 -SHRA SCT025 BKN040 22/17 Q1012",
     "72", "73%", "NE at 21 mph, gusts 32", "29.88 in (1012 hPa)", "Light Rain Showers", "6 miles"},
    {"UUEE 081100Z 20004MPS 3000 -SN BR OVC008 M14/M16 Q1018 NOSIG",
     "7", "85%", "SSW at 9 mph", "30.06 in (1018 hPa)", "Light Snow", "2 miles"},
    {"CYYZ 081100Z 27015G25KT 15SM -SHSN BKN030 M08/M13 A2995 RMK SC7",
     "18", "67%", "W at 17 mph, gusts 29", "29.95 in (1014 hPa)", "Light Snow Showers", "10 miles"},
    {"ZBAA 081100Z 36004MPS 8000 HZ NSC M03/M19 Q1032 NOSIG",
     "27", "28%", "N at 9 mph", "30.47 in (1032 hPa)", "Haze", "5 miles"},
    {"SBGR 081100Z 13010KT 9999 VCSH SCT020 FEW030TCU 27/21 Q1013",
     "81", "70%", "SE at 12 mph", "29.91 in (1013 hPa)", "Partly Cloudy", "6 miles"},
    {"OMDB 081100Z 33010KT 5000 DU NSC 30/12 Q1015 NOSIG",
     "86", "33%", "NNW at 12 mph", "29.97 in (1015 hPa)", "Dust", "3 miles"},
    {"LEMD 081100Z 04008KT 9999 NCD 12/M02 Q1027",
     "54", "38%", "NE at 9 mph", "30.33 in (1027 hPa)", "Clear", "6 miles"},
    {"ENGM 081050Z 01005KT 0800 +SN VV006 M09/M10 Q0998",
     "16", "92%", "N at 6 mph", "29.47 in (998 hPa)", "Heavy Snow", "0.5 mile"},
    {"BIKF 081100Z 10035G50KT 1500 +RASN OVC008 02/01 Q0975",
     "36", "93%", "E at 40 mph, gusts 58", "28.79 in (975 hPa)", "Heavy Rain and Snow", "0.9 mile"},
    {"VIDP 081100Z 00000KT 0800 FU NSC 17/14 Q1016 NOSIG",
     "63", "83%", "Calm", "30.00 in (1016 hPa)", "Smoke", "0.5 mile"},
    {"LIRF 081050Z 22010KT 4000 TSRA FEW015CB BKN030 17/15 Q1010",
     "63", "88%", "SW at 12 mph", "29.83 in (1010 hPa)", "Thunderstorm", "2 miles"},
};
// clang-format on

const QDateTime reference = utc_hour(2026, 12, 8, 12);

} // namespace

TEST(HostMetar, EveryReportReadsBackThroughTheConditionsParser) {
    const std::optional<HostPlace> place = host_place_titled(QStringLiteral("Chicago, Illinois"));
    ASSERT_TRUE(place);
    const QString degree_f = QString(QChar(0xB0)) + u'F';
    EXPECT_GE(std::size(metar_rows), 40u);
    for (const MetarRow& row : metar_rows) {
        SCOPED_TRACE(row.report);
        const std::optional<MetarReport> report = decode_metar(
            QStringLiteral("2026/12/08 10:51\n") + QLatin1String(row.report) + u'\n', reference);
        ASSERT_TRUE(report);
        const std::optional<PageValues> values = live_page_values(*place, *report, live_marker);
        ASSERT_TRUE(values);
        const QString page =
            QString::fromLatin1(encode_windows_1252(render_conditions_page(*place, *values)));
        const ConditionsResult r = parse_conditions(page, QStringLiteral("n"));
        EXPECT_TRUE(r.messages.isEmpty()) << r.messages.join(u'|').toStdString();
        EXPECT_EQ(r.heading.value_or(QString()).right(6), QStringLiteral("(live)"));
        const ConditionsLabels& l = r.labels;
        EXPECT_EQ(l.lblTemp2, QLatin1String(row.temperature) + degree_f);
        EXPECT_EQ(l.lblHumid2, QString::fromLatin1(row.humidity).leftJustified(4, u' '));
        EXPECT_EQ(l.lblWind2, QLatin1String(row.wind));
        EXPECT_EQ(l.lblPress2, QLatin1String(row.pressure));
        EXPECT_EQ(l.lblsky2, QLatin1String(row.sky));
        EXPECT_EQ(l.lblVisible2, QString::fromLatin1(row.visibility).leftJustified(8, u' '));
        EXPECT_EQ(l.lblSunrise2.trimmed(), values->sunrise);
        EXPECT_EQ(l.lblMoonSet2.trimmed(), values->moon_set);
        // Weather the tray has a picture for keeps it.
        const QLatin1String sky(row.sky);
        if (sky != u"n/a" && sky != u"Dust" && sky != u"Smoke") {
            EXPECT_NE(tray_icon_index(l.lblsky2), 0) << row.sky;
        }
    }
}

TEST(HostMetar, ReportTimesAndTheFileStamp) {
    struct Row {
        QString text;
        QDateTime reference;
        QDateTime observed;
    };
    const QDateTime dec8 = utc_hour(2026, 12, 8, 12);
    const Row rows[] = {
        // The file's stamp gives the date.
        {"2026/12/08 10:51\nKORD 081051Z 27012KT 10SM CLR M02/M08 A3012", dec8,
         QDateTime(QDate(2026, 12, 8), QTime(10, 51), QTimeZone::utc())},
        // Without it, the report's day of the month is placed at or before the reference.
        {"KORD 312351Z 27012KT 10SM CLR M02/M08 A3012", utc_hour(2027, 1, 1, 1),
         QDateTime(QDate(2026, 12, 31), QTime(23, 51), QTimeZone::utc())},
        {"METAR KORD 081051Z 27012KT 10SM CLR M02/M08 A3012=", dec8,
         QDateTime(QDate(2026, 12, 8), QTime(10, 51), QTimeZone::utc())},
    };
    for (const Row& row : rows) {
        const std::optional<MetarReport> report = decode_metar(row.text, row.reference);
        ASSERT_TRUE(report) << row.text.toStdString();
        EXPECT_EQ(report->observed_utc, row.observed) << row.text.toStdString();
    }
}
