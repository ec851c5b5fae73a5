// nimbrix-host's conditions pages read by the program's own parser: every catalogue place and
// a sample of zips give clean values, the title round-trips to the location, the sky words
// cover the tray rule, and the values are deterministic and plausible.
#include "host_test_support.h"

#include "app/conditions_parser.h"
#include "locations/catalogue_lookups.h"
#include "locations/zip_codes.h"
#include "sample/host_text.h"
#include "sample/sample_weather.h"
#include "sample/sky_events.h"
#include "site/host_site.h"
#include "tray/tray_rule.h"

#include <QRegularExpression>
#include <QSet>
#include <gtest/gtest.h>
#include <map>

namespace {

const QString degree_f = QString(QChar(0xB0)) + u'F';

QString temperature_label(int f) {
    return QString::number(f) + degree_f;
}

// Parses the page as the program reads it off the wire (Windows-1252 bytes, one byte one
// character) and compares every result with what the page was made from.
::testing::AssertionResult parses_clean(const HostPlace& place, const QDateTime& hour) {
    const ConditionsSample s = conditions_sample(place, hour);
    const SampleWeather& w = s.weather;
    const QString page = QString::fromLatin1(encode_windows_1252(conditions_page(place, hour)));
    const ConditionsResult r = parse_conditions(page, QStringLiteral("n"));
    const ConditionsLabels& l = r.labels;

    const auto fail = [&](const char* what, const QString& got, const QString& want) {
        return ::testing::AssertionFailure()
               << place.seed_key.toStdString() << " at " << hour.toString(Qt::ISODate).toStdString()
               << ": " << what << " is \"" << got.toStdString() << "\", expected \""
               << want.toStdString() << "\"";
    };
    if (!r.messages.isEmpty())
        return fail("the first message", r.messages.first(), "none");
    if (r.place_name.value_or(QStringLiteral("(none)")) != place.title_name)
        return fail("place_name", r.place_name.value_or(QStringLiteral("(none)")),
                    place.title_name);
    const QString heading = QStringLiteral("Conditions at ") +
                            s.observed.left(s.observed.indexOf(QStringLiteral(" on ")));
    if (r.heading.value_or(QString()) != heading)
        return fail("the heading", r.heading.value_or(QStringLiteral("(none)")), heading);
    if (r.temperature_f != w.temperature_f)
        return fail("temperature_f", QString::number(r.temperature_f.value_or(999)),
                    QString::number(w.temperature_f));

    const QString heat =
        w.heat_index_f ? temperature_label(*w.heat_index_f) : QStringLiteral("n/a");
    const QString humidity = QString::number(w.humidity) + u'%';
    const std::pair<const char*, std::pair<QString, QString>> fields[] = {
        {"lblTemp2", {l.lblTemp2, temperature_label(w.temperature_f)}},
        {"lblHeatIndex2", {l.lblHeatIndex2, heat}},
        // Humidity and visibility are cut at a fixed width; a shorter value ends in blanks.
        {"lblHumid2", {l.lblHumid2, humidity.leftJustified(4, u' ')}},
        {"lblWind2", {l.lblWind2, w.wind}},
        {"lblPress2", {l.lblPress2, w.pressure}},
        {"lblsky2", {l.lblsky2, w.sky}},
        {"lblVisible2", {l.lblVisible2, w.visibility.leftJustified(8, u' ')}},
        {"lblSunrise2", {l.lblSunrise2, s.sunrise}},
        {"lblSunset2", {l.lblSunset2, s.sunset}},
        {"lblMoonRise2", {l.lblMoonRise2, s.moon_rise}},
        {"lblMoonSet2", {l.lblMoonSet2, s.moon_set}},
        {"lblWindChill2", {l.lblWindChill2, QString()}},
    };
    for (const auto& [name, values] : fields)
        if (values.first != values.second)
            return fail(name, values.first, values.second);
    if (r.sky != w.sky)
        return fail("the tray's sky text", r.sky.value_or(QStringLiteral("(none)")), w.sky);
    if (tray_icon_index(w.sky) == 0)
        return fail("the tray picture of the sky", w.sky, "a weather picture");
    return ::testing::AssertionSuccess();
}

// The zip codes among every 37th number: about 900 real zips spread over every state.
std::vector<ZipPlace> sample_zips() {
    std::vector<ZipPlace> zips;
    for (int n = 501; n <= 99950; n += 37)
        if (const auto row = lookup_zip(QStringLiteral("%1").arg(n, 5, 10, QChar(u'0'))))
            zips.push_back(*row);
    return zips;
}

} // namespace

TEST(HostPages, EveryCataloguePlaceParsesCleanInWinterAndSummer) {
    const QDateTime hours[] = {utc_hour(2026, 1, 15, 18), utc_hour(2026, 7, 15, 21)};
    int checked = 0;
    int with_heat_index = 0;
    int failures = 0;
    for (const CataloguePlace& p : catalogue_places()) {
        const std::optional<HostPlace> place = place_for_city_path(p.request_path);
        ASSERT_TRUE(place) << p.request_path.toStdString();
        // A request path shared by two tree cities serves the first one's page.
        EXPECT_EQ(place->title_name,
                  Catalogue::instance().place_for_request_path(p.request_path)->title_name);
        for (const QDateTime& hour : hours) {
            const auto result = parses_clean(*place, hour);
            if (!result && ++failures <= 5)
                ADD_FAILURE() << result.message();
            with_heat_index += conditions_sample(*place, hour).weather.heat_index_f ? 1 : 0;
            ++checked;
        }
    }
    EXPECT_EQ(failures, 0);
    EXPECT_EQ(checked, 2 * static_cast<int>(catalogue_places().size()));
    EXPECT_GT(with_heat_index, 20) << "warm pages carry the HeatIndex field";
}

TEST(HostPages, ZipPagesParseCleanAndTheirTitleGivesBackTheState) {
    const std::vector<ZipPlace> zips = sample_zips();
    ASSERT_GT(zips.size(), 500u);
    QSet<QString> states;
    int failures = 0;
    for (const ZipPlace& zip : zips) {
        const std::optional<HostPlace> place = place_for_zip(zip.zip);
        ASSERT_TRUE(place) << zip.zip.toStdString();
        EXPECT_EQ(place->title_name, zip.place_name + u", " +
                                         Catalogue::instance().state_name_for_code(zip.state_code));
        // The preset made from a zip page turns the title back into the zip's state code.
        EXPECT_EQ(split_place_name(place->title_name).state_code, zip.state_code)
            << place->title_name.toStdString();
        const auto result = parses_clean(*place, utc_hour(2026, 4, 2, 15));
        if (!result && ++failures <= 5)
            ADD_FAILURE() << result.message();
        states.insert(zip.state_code);
    }
    EXPECT_EQ(failures, 0);
    EXPECT_GE(states.size(), 50);
}

TEST(HostPages, UnknownPlacesHaveNoPage) {
    for (const char* zip : {"00000", "99999", "6060", "606011", "6060a", "", " 60601"})
        EXPECT_FALSE(place_for_zip(QString::fromLatin1(zip))) << zip;
    for (const char* path :
         {"US/IL/Nowhere.html", "US//.html", "US/IL/Chicago.htm", "US/IL/chicago.html",
          "US/IL/New York.html", "global/stations/99999.html", "global/stations/.html"})
        EXPECT_FALSE(place_for_city_path(QString::fromLatin1(path))) << path;
    // A city whose words the tree joins with "_" is found by that spelling.
    EXPECT_TRUE(place_for_city_path(QStringLiteral("US/NY/New_York.html")));
}

TEST(HostPages, SameHourSamePageAndHoursChangeGradually) {
    const std::optional<HostPlace> chicago = place_for_city_path("US/IL/Chicago.html");
    ASSERT_TRUE(chicago);
    const QDateTime hour = utc_hour(2026, 3, 10, 15);
    const QString page = conditions_page(*chicago, hour);
    EXPECT_EQ(conditions_page(*chicago, hour), page);
    EXPECT_EQ(conditions_page(*chicago, hour.addSecs(59 * 60 + 59)), page);
    EXPECT_EQ(
        HostSite().answer(request_from_target("/US/IL/Chicago.html"), hour.addSecs(1800)).body,
        encode_windows_1252(page));
    EXPECT_NE(conditions_page(*chicago, hour.addSecs(3600)), page);

    // Another place the same hour differs.
    const std::optional<HostPlace> paris = host_place_titled("Paris, France");
    ASSERT_TRUE(paris);
    EXPECT_NE(conditions_sample(*paris, hour).weather.wind +
                  conditions_sample(*paris, hour).weather.pressure,
              conditions_sample(*chicago, hour).weather.wind +
                  conditions_sample(*chicago, hour).weather.pressure);

    // Over two weeks the temperature moves, but never jumps from one hour to the next.
    QSet<int> temperatures;
    int previous = conditions_sample(*chicago, hour).weather.temperature_f;
    int largest_step = 0;
    for (int h = 1; h < 14 * 24; ++h) {
        const int t = conditions_sample(*chicago, hour.addSecs(h * 3600)).weather.temperature_f;
        largest_step = std::max(largest_step, std::abs(t - previous));
        temperatures.insert(t);
        previous = t;
    }
    EXPECT_GE(temperatures.size(), 10);
    EXPECT_LE(largest_step, 12);
}

TEST(HostPages, SkyWordsCoverTheTrayRuleWithinTheirRules) {
    const QStringList tray_words = {
        "sun",  "clear", "mostly cloud", "scattered clouds", "partly cloud", "cloud", "overcast",
        "haze", "fog",   "snow",         "thunderstorm",     "rain",         "mist",  "drizzle"};
    const QRegularExpression wind_pattern(QStringLiteral(
        "^(Calm|(N|NNE|NE|ENE|E|ESE|SE|SSE|S|SSW|SW|WSW|W|WNW|NW|NNW) at [1-9][0-9]? mph)$"));
    const QRegularExpression pressure_pattern(QStringLiteral("^(29|30)\\.[0-9][0-9] in$"));
    const QRegularExpression visibility_pattern(
        QStringLiteral("^(10 miles|[2-9] miles|0\\.[258] mile)$"));

    std::map<QString, int> word_count;
    QSet<int> icons;
    int pages = 0;
    const auto& places = catalogue_places();
    const long long first_hour = utc_hour(2026, 1, 1, 0).toMSecsSinceEpoch() / 3600000;
    for (std::size_t i = 0; i < places.size(); i += 10) {
        const std::optional<HostPlace> place = place_for_city_path(places[i].request_path);
        ASSERT_TRUE(place);
        for (long long h = first_hour; h < first_hour + 365 * 24; h += 13) {
            const long long observed = h * 3600000 - 9 * 60000;
            const SampleWeather w = sample_weather(*place, h, observed);
            ++pages;
            const QString sky = w.sky.toLower();
            for (const QString& word : tray_words)
                if (sky.contains(word))
                    ++word_count[word];
            icons.insert(tray_icon_index(w.sky));
            const std::string where = place->seed_key.toStdString() + " hour " + std::to_string(h);
            if (sky.contains(u"snow")) {
                ASSERT_LE(w.temperature_f, 33) << where;
            }
            if (sky.contains(u"thunderstorm")) {
                ASSERT_GE(w.temperature_f, 60) << where;
            }
            if (sky.contains(u"sun")) {
                ASSERT_GT(sun_altitude(julian_day_from_unix_ms(observed), place->latitude,
                                       place->longitude),
                          0.0)
                    << where;
            }
            if (sky == u"fog" || sky == u"mist") {
                ASSERT_LT(w.temperature_f, 80) << where;
            }
            ASSERT_EQ(w.heat_index_f.has_value(), w.temperature_f >= 80) << where;
            // Muggy but never absurd: the heat index stays within reach of the temperature.
            ASSERT_LE(w.heat_index_f.value_or(0), w.temperature_f + 25) << where;
            ASSERT_TRUE(w.humidity >= 12 && w.humidity <= 100) << where;
            ASSERT_TRUE(wind_pattern.match(w.wind).hasMatch())
                << where << " " << w.wind.toStdString();
            ASSERT_TRUE(pressure_pattern.match(w.pressure).hasMatch()) << where;
            ASSERT_TRUE(visibility_pattern.match(w.visibility).hasMatch())
                << where << " " << w.visibility.toStdString();
        }
    }
    for (const QString& word : tray_words)
        EXPECT_GT(word_count[word], 0) << word.toStdString();
    // Every picture but the "none of them" picture 0, and 0 never.
    EXPECT_EQ(icons, (QSet<int>{1, 2, 3, 4, 5, 9, 10, 11, 12}));
    EXPECT_LT(word_count["snow"], pages / 5);
}

TEST(HostPages, TheSamePlaceByAnyPathAndNearbyPlacesShowTheSameWeather) {
    const struct {
        const char* city_path;
        const char* zip;
    } same_places[] = {{"US/IL/Chicago.html", "60601"},
                       {"US/CO/Denver.html", "80202"},
                       {"US/CA/San_Francisco.html", "94103"}};
    const long long first_hour = utc_hour(2026, 1, 1, 0).toMSecsSinceEpoch() / 3600000;
    for (const auto& row : same_places) {
        const std::optional<HostPlace> city = place_for_city_path(QLatin1String(row.city_path));
        const std::optional<HostPlace> zip = place_for_zip(QLatin1String(row.zip));
        ASSERT_TRUE(city && zip) << row.zip;
        ASSERT_EQ(zip->title_name, city->title_name) << row.zip;
        for (long long h = first_hour; h < first_hour + 365 * 24; h += 7) {
            const SampleWeather by_city = sample_weather(*city, h, h * 3600000);
            const SampleWeather by_zip = sample_weather(*zip, h, h * 3600000);
            ASSERT_EQ(by_zip.sky, by_city.sky) << row.zip << " hour " << h;
            ASSERT_EQ(by_zip.temperature_f, by_city.temperature_f) << row.zip << " hour " << h;
        }
    }

    // Two kilometres apart: nearly always the same sky, and under the same sky the same
    // temperature within a degree.
    const std::optional<HostPlace> chicago =
        place_for_city_path(QStringLiteral("US/IL/Chicago.html"));
    ASSERT_TRUE(chicago);
    HostPlace nearby = *chicago;
    nearby.latitude += 0.015;
    nearby.longitude -= 0.015;
    int hours = 0;
    int same_sky = 0;
    for (long long h = first_hour; h < first_hour + 365 * 24; h += 5, ++hours) {
        const SampleWeather a = sample_weather(*chicago, h, h * 3600000);
        const SampleWeather b = sample_weather(nearby, h, h * 3600000);
        if (a.sky == b.sky) {
            ++same_sky;
            ASSERT_LE(std::abs(a.temperature_f - b.temperature_f), 1) << "hour " << h;
        }
    }
    EXPECT_GE(same_sky, hours * 97 / 100);
}

namespace {

double monthly_mean_f(const QString& title, int month) {
    const std::optional<HostPlace> place = host_place_titled(title);
    if (!place) {
        ADD_FAILURE() << "no catalogue place " << title.toStdString();
        return 0.0;
    }
    const long long first = utc_hour(2026, month, 1, 0).toMSecsSinceEpoch() / 3600000;
    const int hours = 28 * 24;
    double sum = 0.0;
    for (long long h = first; h < first + hours; ++h)
        sum += sample_weather(*place, h, h * 3600000).temperature_f;
    return sum / hours;
}

double mean_at_utc_hour(const QString& title, int month, int utc) {
    const std::optional<HostPlace> place = host_place_titled(title);
    if (!place)
        return 0.0;
    double sum = 0.0;
    for (int day = 1; day <= 28; ++day) {
        const long long h = utc_hour(2026, month, day, utc).toMSecsSinceEpoch() / 3600000;
        sum += sample_weather(*place, h, h * 3600000).temperature_f;
    }
    return sum / 28;
}

} // namespace

TEST(HostPages, TemperaturesFollowLatitudeSeasonAndTimeOfDay) {
    EXPECT_GT(monthly_mean_f("Miami, Florida", 1) - monthly_mean_f("Anchorage, Alaska", 1), 30);
    EXPECT_GT(monthly_mean_f("Chicago, Illinois", 7) - monthly_mean_f("Chicago, Illinois", 1), 25);
    // Southern summer in January.
    EXPECT_GT(monthly_mean_f("Sydney, New South Wales", 1) -
                  monthly_mean_f("Sydney, New South Wales", 7),
              10);
    EXPECT_LT(std::abs(monthly_mean_f("Nairobi, Kenya", 1) - monthly_mean_f("Nairobi, Kenya", 7)),
              5);
    // Chicago at 3 PM is warmer than at 5 AM (21 and 11 UTC in summer time).
    EXPECT_GT(mean_at_utc_hour("Chicago, Illinois", 7, 20) -
                  mean_at_utc_hour("Chicago, Illinois", 7, 10),
              8);
    for (const char* title : {"Anchorage, Alaska", "Miami, Florida", "Moscow, Russia",
                              "Cairo, Egypt", "Tromso, Norway"})
        for (const int month : {1, 7}) {
            const double mean = monthly_mean_f(title, month);
            EXPECT_TRUE(mean > -20 && mean < 100) << title << " month " << month << ": " << mean;
        }
}

TEST(HostText, EncodesWindows1252OneBytePerCharacter) {
    const std::pair<QString, QByteArray> cases[] = {
        {"Chicago, Illinois 72\u00B0F", "Chicago, Illinois 72\xB0"
                                        "F"},
        {"\u20AC \u2019 \u0153 \u0178", "\x80 \x92 \x9C \x9F"},
        {"S\u00E3o Paulo", "S\xE3o Paulo"},
        {"\u4E2D|\U0001F600|\u0081", "?|?|?"},
        {"", ""},
    };
    for (const auto& [text, bytes] : cases)
        EXPECT_EQ(encode_windows_1252(text), bytes) << text.toStdString();
    EXPECT_EQ(html_escaped("Texas A&M <b>"), "Texas A&amp;M &lt;b&gt;");
}
