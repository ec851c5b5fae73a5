#include "app/conditions_parser.h"

#include "print_qstring.h"
#include "shared/page_text.h"

#include <QByteArray>
#include <gtest/gtest.h>
#include <random>
#include <utility>
#include <vector>

namespace {

// Texts in these tests write the degree sign as "~" for readability.
QString t(const char* text) {
    return QString::fromLatin1(text).replace(u'~', QChar(0xB0));
}

// A conditions page as the conditions host writes it, as raw Windows-1252 bytes.
const QByteArray base_page =
    "<html>\n<head><title>Weather Underground: Chicago, Illinois Forecast</title></head>\n"
    "<body>\n<h2>Chicago, Illinois</h2>\n"
    "<p class=\"obs\">Updated: <b>3:51 PM CST on January 5, 1998</b></p>\n"
    "<table class=\"current\">\n"
    "<tr><td>Temperature</td>\n<td><b>72</b>&#176;F</td></tr>\n"
    "<tr><td>HeatIndex</td>\n<td><b>75</b>&#176;F</td></tr>\n"
    "<tr><td>Humidity</td>\n<td>65%</td></tr>\n"
    "<tr><td>Wind</td>\n<td>NW at <b>10</b> mph</td></tr>\n"
    "<tr><td>Pressure</td>\n<td>30.01 in</td></tr>\n"
    "<tr><td>Conditions</td>\n<td>Partly Cloudy</td></tr>\n"
    "<tr><td>Visibility</td>\n<td>10 miles</td></tr>\n"
    "<tr><td>Sunrise</td>\n<td>6:58 AM</td></tr>\n"
    "<tr><td>Sunset</td>\n<td>4:33 PM</td></tr>\n"
    "<tr><td>Moon Rise</td>\n<td>1:02 PM</td></tr>\n"
    "<tr><td>Moon Set</td>\n<td>11:58 PM</td></tr>\n"
    "<tr><td>Moon Phase</td>\n<td><img src=\"moon.gif\" alt=\"\"></td></tr>\n"
    "</table>\n<p>Data: Weather Underground &amp; partners</p>\n</body>\n</html>\n";

QByteArray edited(std::vector<std::pair<QByteArray, QByteArray>> edits) {
    QByteArray page = base_page;
    for (const auto& [from, to] : edits) {
        EXPECT_TRUE(page.contains(from)) << from.constData();
        page.replace(from, to);
    }
    return page;
}

QString page_text(const QByteArray& bytes) {
    return QString::fromLatin1(bytes);
}

ConditionsLabels base_labels() {
    ConditionsLabels l;
    l.lblTemp2 = t("72~F ");
    l.lblHeatIndex2 = t("75~F ");
    l.lblHumid2 = "65% ";
    l.lblWind2 = "NW at 10 mph ";
    l.lblPress2 = "30.01 in ";
    l.lblsky2 = "Partly Cloudy";
    l.lblVisible2 = "10 miles";
    l.lblSunrise2 = " 6:58 AM ";
    l.lblSunset2 = " 4:33 PM ";
    l.lblMoonRise2 = " 1:02 PM ";
    l.lblMoonSet2 = " 11:58 PM ";
    return l;
}

using Label = QString ConditionsLabels::*;

const std::pair<Label, const char*> all_labels[] = {
    {&ConditionsLabels::lblsky2, "lblsky2"},
    {&ConditionsLabels::lblTemp2, "lblTemp2"},
    {&ConditionsLabels::lblHumid2, "lblHumid2"},
    {&ConditionsLabels::lblPress2, "lblPress2"},
    {&ConditionsLabels::lblWind2, "lblWind2"},
    {&ConditionsLabels::lblVisible2, "lblVisible2"},
    {&ConditionsLabels::lblSunrise2, "lblSunrise2"},
    {&ConditionsLabels::lblSunset2, "lblSunset2"},
    {&ConditionsLabels::lblMoonRise2, "lblMoonRise2"},
    {&ConditionsLabels::lblMoonSet2, "lblMoonSet2"},
    {&ConditionsLabels::lblHeatIndex2, "lblHeatIndex2"},
    {&ConditionsLabels::lblWindChill2, "lblWindChill2"},
};

void expect_labels(const ConditionsLabels& actual, const ConditionsLabels& expected) {
    for (const auto& [label, name] : all_labels)
        EXPECT_EQ(actual.*label, expected.*label) << name;
}

TEST(ParseConditions, ReadsEveryFieldOfACompletePage) {
    const ConditionsResult r = parse_conditions(page_text(base_page), "n");
    EXPECT_EQ(r.status_texts,
              QStringList({"...parsing data...", "Thank you for using Nimbrix..."}));
    EXPECT_TRUE(r.messages.isEmpty());
    EXPECT_EQ(r.place_name, QString("Chicago, Illinois"));
    EXPECT_EQ(r.heading, QString("Conditions at 3:51 PM CST"));
    EXPECT_EQ(r.sky, QString("Partly Cloudy"));
    EXPECT_EQ(r.temperature_f, 72);
    expect_labels(r.labels, base_labels());
}

TEST(ParseConditions, MetricDisplayConvertsTemperatureAndHeatIndex) {
    const ConditionsResult r = parse_conditions(page_text(base_page), "y");
    ConditionsLabels expected = base_labels();
    expected.lblTemp2 = t("22~ C  ");
    expected.lblHeatIndex2 = t("24~ C  ");
    expect_labels(r.labels, expected);
    EXPECT_EQ(r.temperature_f, 72);
}

struct FieldCase {
    const char* name;
    QByteArray page;
    std::vector<std::pair<Label, QString>> labels; // the labels this case is about
    std::optional<int> temperature_f = 72;
    std::optional<QString> sky = QString("Partly Cloudy");
};

TEST(ParseConditions, FieldEdgeCases) {
    const FieldCase cases[] = {
        {"without HeatIndex the temperature runs to Humidity",
         edited({{"<tr><td>HeatIndex</td>\n<td><b>75</b>&#176;F</td></tr>\n", ""}}),
         {{&ConditionsLabels::lblTemp2, t("72~F ")}, {&ConditionsLabels::lblHeatIndex2, "n/a"}}},
        {"without Humidity the temperature and heat index have no end",
         edited({{"<tr><td>Humidity</td>\n<td>65%</td></tr>\n", ""}}),
         {{&ConditionsLabels::lblTemp2, "n/a"},
          {&ConditionsLabels::lblHeatIndex2, ""},
          {&ConditionsLabels::lblHumid2, "n/a"},
          {&ConditionsLabels::lblWind2, "NW at 10 mph "}},
         999},
        {"missing labels show n/a and a missing end marker gives an empty value",
         edited({{"<tr><td>Visibility</td>\n<td>10 miles</td></tr>\n", ""},
                 {"<tr><td>Sunrise</td>\n<td>6:58 AM</td></tr>\n", ""},
                 {"<tr><td>Moon Rise</td>\n<td>1:02 PM</td></tr>\n", ""}}),
         {{&ConditionsLabels::lblVisible2, "n/a"},
          {&ConditionsLabels::lblSunrise2, "n/a"},
          {&ConditionsLabels::lblMoonRise2, "n/a"},
          {&ConditionsLabels::lblSunset2, ""},
          {&ConditionsLabels::lblMoonSet2, " 11:58 PM "},
          {&ConditionsLabels::lblsky2, "Partly Cloudy Sunse"}}, // 30 characters at most
         72,
         QString("Partly Cloudy Sunse")},
        {"without Visibility the sky text ends before \" Up\"",
         edited({{"<tr><td>Visibility</td>\n<td>10 miles</td></tr>\n",
                  "<tr><td colspan=\"2\">Updated hourly</td></tr>\n"}}),
         {{&ConditionsLabels::lblsky2, "Partly Cloudy"}}},
        {"without Visibility the sky text ends before \"Add\"",
         edited({{"Partly Cloudy", "Clear"},
                 {"<tr><td>Visibility</td>\n<td>10 miles</td></tr>\n",
                  "<tr><td><a href=\"/fav\">Add to favorites</a></td></tr>\n"}}),
         {{&ConditionsLabels::lblsky2, "Clear"}},
         72,
         QString("Clear")},
        {"without Conditions the sky shows n/a and the tray is left alone",
         edited({{"<tr><td>Conditions</td>\n<td>Partly Cloudy</td></tr>\n", ""}}),
         {{&ConditionsLabels::lblsky2, "n/a"}, {&ConditionsLabels::lblPress2, ""}},
         72,
         std::nullopt},
        {"entities lose their ampersand only",
         edited({{"Partly Cloudy", "Rain &amp; Snow"}}),
         {{&ConditionsLabels::lblsky2, "Rain amp; Snow"}},
         72,
         QString("Rain amp; Snow")},
        {"any other # becomes the degree sign and swallows four characters",
         edited({{"30.01 in", "30.01 in #1234"}}),
         {{&ConditionsLabels::lblPress2, t("30.01 in ~ ")}}},
        {"a page cut inside a tag keeps the fields before it",
         base_page.left(base_page.indexOf("alt=")),
         {{&ConditionsLabels::lblMoonSet2, " 11:58 PM "}}},
        {"NUL, tab, vertical tab and form feed become blanks",
         edited({{"NW at <b>10</b> mph", QByteArray("NW\0at\t10\x0Bmph", 12)},
                 {"30.01 in", "30.01\x0Cin"}}),
         {{&ConditionsLabels::lblWind2, "NW at 10 mph "},
          {&ConditionsLabels::lblPress2, "30.01 in "}}},
        {"CRLF line ends give two separators",
         QByteArray(base_page).replace("\n", "\r\n"),
         {{&ConditionsLabels::lblTemp2, t("72~F  ").prepend(u' ')},
          {&ConditionsLabels::lblHumid2, " 65%"}}},
        {"Windows-1252 bytes are one character each",
         edited({{"<b>72</b>&#176;F", "72\xB0"
                                      "F"},
                 {"Partly Cloudy", "Rain \x96 Heavy"}}),
         {{&ConditionsLabels::lblTemp2, t("72~F ")},
          {&ConditionsLabels::lblsky2, QString::fromLatin1("Rain \x96 Heavy")}},
         72,
         QString::fromLatin1("Rain \x96 Heavy")},
        {"underscores become blanks",
         edited({{"Partly Cloudy", "Partly_Cloudy"}}),
         {{&ConditionsLabels::lblsky2, "Partly Cloudy"}}},
        {"an end marker before its label gives an empty value",
         edited({{"<tr><td>Sunrise</td>\n<td>6:58 AM</td></tr>\n", ""},
                 {"<tr><td>Moon Rise</td>", "<tr><td>Sunrise</td>\n<td>6:58 AM</td></tr>\n"
                                            "<tr><td>Moon Rise</td>"}}),
         {{&ConditionsLabels::lblSunrise2, ""},
          {&ConditionsLabels::lblSunset2, " 4:33 PM Sunrise 6:58 AM "}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ConditionsResult r = parse_conditions(page_text(c.page), "n");
        EXPECT_TRUE(r.messages.isEmpty());
        for (const auto& [label, text] : c.labels)
            EXPECT_EQ(r.labels.*label, text);
        EXPECT_EQ(r.temperature_f, c.temperature_f);
        EXPECT_EQ(r.sky, c.sky);
    }
}

struct StopCase {
    const char* name;
    QByteArray page;
    QStringList messages;
    std::optional<QString> place_name;
    std::optional<QString> heading;
};

TEST(ParseConditions, PagesWithoutMarkersStopWithTheirMessages) {
    const StopCase cases[] = {
        {"no title marker: P1, then P2",
         edited({{"Underground:", "Underground"}}),
         {parse_message_p1, parse_message_p2},
         std::nullopt,
         std::nullopt},
        {"an empty page: P1, then P2",
         "",
         {parse_message_p1, parse_message_p2},
         std::nullopt,
         std::nullopt},
        {"no Updated line: P2",
         edited({{"Updated:", "Updated"}}),
         {parse_message_p2},
         QString("Chicago, Illinois"),
         std::nullopt},
        {"Updated right behind the eight dropped characters: P2",
         "<title>Weather Underground:12345678Updated: <b>3:51 PM on Monday</b>"
         "Temperature 72",
         {parse_message_p2},
         QString(""),
         std::nullopt},
        {"no Temperature: P3",
         edited({{"Temperature", "Temp"}}),
         {parse_message_p3},
         QString("Chicago, Illinois"),
         QString("Conditions at 3:51 PM CST")},
        {"a tag left open before the fields: P3",
         base_page.left(base_page.indexOf("<table")) + "<table Temperature 72 Humidity 65%",
         {parse_message_p3},
         QString(""),
         QString("Conditions at 3:51 PM CST")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ConditionsResult r = parse_conditions(page_text(c.page), "y");
        EXPECT_EQ(r.messages, c.messages);
        EXPECT_EQ(r.place_name, c.place_name);
        EXPECT_EQ(r.heading, c.heading);
        expect_labels(r.labels, ConditionsLabels{});
        EXPECT_EQ(r.sky, std::nullopt);
        EXPECT_EQ(r.temperature_f, std::nullopt);
        EXPECT_EQ(r.status_texts,
                  QStringList({"...parsing data...", "Thank you for using Nimbrix..."}));
    }
}

struct TitleCase {
    const char* name;
    QByteArray page;
    std::optional<QString> place_name;
    std::optional<QString> heading;
};

TEST(ParseConditions, TitleAndHeading) {
    const TitleCase cases[] = {
        {"no Forecast</title: empty place name",
         edited({{"Chicago, Illinois Forecast</title>", "Chicago, Illinois</title>"}}), QString(""),
         QString("Conditions at 3:51 PM CST")},
        {"no Weather behind the title: empty place name",
         edited({{"Data: Weather Underground", "Data: Underground"}}), QString(""),
         QString("Conditions at 3:51 PM CST")},
        {"Weather before Forecast</title ends the place name",
         edited({{"Chicago, Illinois Forecast</title>", "Chicago Weather Forecast</title>"}}),
         QString("Chicago"), QString("Conditions at 3:51 PM CST")},
        {"Windows-1252 letters in the place name",
         edited({{"Chicago, Illinois Forecast", "Montr\xE9"
                                                "al, Quebec Forecast"}}),
         QString::fromLatin1("Montr\xE9"
                             "al, Quebec"),
         QString("Conditions at 3:51 PM CST")},
        {"a page saying Conditions at keeps the heading",
         edited({{"Updated: <b>3:51 PM CST on January 5, 1998</b>", "Conditions at 3:51 PM CST"}}),
         QString("Chicago, Illinois"), std::nullopt},
        {"without \" on\" the heading takes 13 characters",
         edited({{"3:51 PM CST on January 5, 1998", "3:51 PM CST"}}), QString("Chicago, Illinois"),
         QString("Conditions at 3:51 PM CST</")},
        {"\" on\" right after the colon gives an empty time",
         edited({{"Updated: <b>3:51 PM CST on January", "Updated: on <b>3:51 PM CST January"}}),
         QString("Chicago, Illinois"), QString("Conditions at ")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ConditionsResult r = parse_conditions(page_text(c.page), "n");
        EXPECT_TRUE(r.messages.isEmpty());
        EXPECT_EQ(r.place_name, c.place_name);
        EXPECT_EQ(r.heading, c.heading);
        EXPECT_EQ(r.temperature_f, 72);
    }
}

TEST(ParseConditions, PageSayingConditionsAtIsNotCut) {
    // The working text keeps the title, so the first "Conditions" is the heading's own.
    const ConditionsResult r =
        parse_conditions(page_text(edited({{"Updated: <b>3:51 PM CST on January 5, 1998</b>",
                                            "Conditions at 3:51 PM CST"}})),
                         "n");
    EXPECT_EQ(r.labels.lblTemp2, t("72~F "));
    EXPECT_EQ(r.labels.lblPress2, "");
    EXPECT_TRUE(r.labels.lblsky2.startsWith("at 3:51 PM CST"));
}

TEST(ParseConditions, ScrambledPagesKeepTheResultConsistent) {
    // Pieces of real pages in random order and lengths, with stray markup and control bytes.
    const QByteArray pieces[] = {"Underground:",
                                 "Weather",
                                 "Forecast</title",
                                 "Updated:",
                                 " on",
                                 "Conditions at",
                                 "Temperature",
                                 "HeatIndex",
                                 "Humidity",
                                 "Wind",
                                 "Pressure",
                                 "Conditions",
                                 "Visibility",
                                 "Sunrise",
                                 "Sunset",
                                 "Moon Rise",
                                 "Moon Set",
                                 "Moon Phase",
                                 " Up",
                                 "Add",
                                 "<",
                                 ">",
                                 "<b>",
                                 "#",
                                 "#176;",
                                 "&",
                                 "nbsp;",
                                 "_",
                                 QByteArray(1, '\0'),
                                 "\r\n",
                                 "\xB0",
                                 "\x96",
                                 " ",
                                 "72",
                                 "-5",
                                 "65%",
                                 "NW at 15 mph",
                                 "Partly Cloudy"};
    std::mt19937 random(20260105);
    std::uniform_int_distribution<std::size_t> pick(0, std::size(pieces) - 1);
    std::uniform_int_distribution<int> length(0, 60);
    for (int round = 0; round < 3000; ++round) {
        QByteArray page;
        for (int n = length(random); n > 0; --n)
            page += pieces[pick(random)];
        SCOPED_TRACE(page.toStdString());
        const ConditionsResult r = parse_conditions(page_text(page), round % 2 ? "y" : "n");
        ASSERT_EQ(r.status_texts.size(), 2);
        // Fields are read exactly when no message was shown.
        ASSERT_EQ(r.messages.isEmpty(), r.temperature_f.has_value());
        if (!r.messages.isEmpty()) {
            ASSERT_FALSE(r.sky.has_value());
        }
        ASSERT_EQ(r.place_name.has_value(), !r.messages.startsWith(parse_message_p1));
        // The bytes as the host sent them read like their decoded text.
        const QString metric = round % 2 ? "y" : "n";
        const ConditionsResult text = parse_conditions(decode_windows_1252(page), metric);
        const ConditionsResult bytes = parse_conditions(page, metric);
        expect_labels(bytes.labels, text.labels);
        ASSERT_EQ(bytes.messages, text.messages);
        ASSERT_EQ(bytes.place_name, text.place_name);
        ASSERT_EQ(bytes.heading, text.heading);
        ASSERT_EQ(bytes.sky, text.sky);
        ASSERT_EQ(bytes.temperature_f, text.temperature_f);
    }
}

TEST(RemoveMarkup, CleansOneLine) {
    const std::pair<QByteArray, const char*> cases[] = {
        {"<b>72</b>&#176;F", "72~F"},
        {"#176;F", "~F"},
        {"a&nbsp;b", "a b"},
        {"anbsp;b", "a b"},
        {"nbsp", "nbsp"},
        {"Rain &amp; Snow", "Rain amp; Snow"},
        {"&lt;x&gt;", "lt;xgt;"},
        {"#12345", "~5"},
        {"&#176", "~"},
        {"ab#", "ab~"},
        {"a_b", "a b"},
        {QByteArray("a\0b\bc\td\ne\vf\fg\rh", 15), "a b c d e f g h"},
        {"a\x0E"
         "b\x1F"
         "c\x7F",
         "a\x0E"
         "b\x1F"
         "c\x7F"},
        {"a<b", "a"},
        {"a<b>c<d", "ac"},
        {"<>x", "x"},
        {"a>b", "a>b"},
        {"<p>one</p>\n<p>two</p>", "one two"},
        {"  \t x \r\n", "x"},
        {"", ""},
        // Hostile markup: a tag cut off by the end of the page, ">" inside quotes, comments
        // and scripts end a tag at their first ">", character references are not decoded.
        {"abc<div class=", "abc"},
        {"<a title=\">\">x", "\">x"},
        {"<!-- a > b -->c", "b -->c"},
        {"<script>if(a<b)x</script>y", "if(ay"},
        {"&#0;", "~"},
        {"&#x110000;", "~000;"},
    };
    for (const auto& [input, expected] : cases) {
        SCOPED_TRACE(input.toStdString());
        EXPECT_EQ(remove_markup(QString::fromLatin1(input)), t(expected));
    }
}

TEST(ConditionsCaption, NamesTheDriversLocationOrTheChoosersPreset) {
    EXPECT_EQ(conditions_caption("Chicago, IL", "Paris, France (O)"), "Nimbrix - Chicago, IL");
    EXPECT_EQ(conditions_caption("", "Paris, France (O)"), "Nimbrix - Paris, France (O)");
    EXPECT_EQ(conditions_caption("C", "Paris, France (O)"), "Nimbrix - Paris, France (O)");
}

} // namespace
