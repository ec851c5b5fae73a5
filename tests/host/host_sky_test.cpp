// Sun and moon times against almanac values, the moon's phases at known moments, polar days,
// and the local time zones of the places.
#include "host_test_support.h"

#include "locations/zip_codes.h"
#include "sample/local_zone.h"
#include "sample/sky_events.h"

#include <gtest/gtest.h>

namespace {

struct SunCase {
    const char* title;
    QDateTime hour; // a UTC hour on the local date
    const char* sunrise;
    const char* sunset;
};

double jd_of(const QDateTime& t) {
    return julian_day_from_unix_ms(t.toMSecsSinceEpoch());
}

} // namespace

TEST(HostSky, SunriseAndSunsetMatchTheAlmanacInLocalTime) {
    // Published times for these dates, in the zone's time of the day (daylight saving where it
    // applies); a catalogue place's coordinates may lie a few miles from the city's centre.
    const SunCase cases[] = {
        {"Chicago, Illinois", utc_hour(2026, 1, 5, 21), "7:18 AM", "4:34 PM"},
        {"New York, New York", utc_hour(2026, 1, 1, 18), "7:20 AM", "4:39 PM"},
        {"Paris, France", utc_hour(2026, 6, 21, 12), "5:47 AM", "9:58 PM"},
        {"London, United Kingdom", utc_hour(2026, 6, 21, 12), "4:43 AM", "9:21 PM"},
        {"Sydney, New South Wales", utc_hour(2026, 12, 21, 2), "5:41 AM", "8:05 PM"},
        {"Honolulu, Hawaii", utc_hour(2026, 6, 21, 22), "5:50 AM", "7:16 PM"},
        {"Anchorage, Alaska", utc_hour(2026, 12, 21, 22), "10:14 AM", "3:42 PM"},
    };
    for (const SunCase& c : cases) {
        const std::optional<HostPlace> place = host_place_titled(c.title);
        ASSERT_TRUE(place) << c.title;
        const ConditionsSample s = conditions_sample(*place, c.hour);
        EXPECT_NEAR(clock_minutes(s.sunrise), clock_minutes(c.sunrise), 4)
            << c.title << " " << s.sunrise.toStdString();
        EXPECT_NEAR(clock_minutes(s.sunset), clock_minutes(c.sunset), 4)
            << c.title << " " << s.sunset.toStdString();
    }
}

TEST(HostSky, PolarDaysSayWhatTheSunDoes) {
    const std::optional<HostPlace> tromso = host_place_titled("Tromso, Norway");
    ASSERT_TRUE(tromso);
    const ConditionsSample summer = conditions_sample(*tromso, utc_hour(2026, 6, 21, 12));
    EXPECT_EQ(summer.sunrise, "Midnight sun");
    EXPECT_EQ(summer.sunset, "Midnight sun");
    const ConditionsSample winter = conditions_sample(*tromso, utc_hour(2026, 12, 21, 12));
    EXPECT_EQ(winter.sunrise, "Polar night");
    EXPECT_EQ(winter.sunset, "Polar night");
    // In March the Sun rises and sets there as anywhere.
    const ConditionsSample spring = conditions_sample(*tromso, utc_hour(2026, 3, 20, 12));
    EXPECT_GE(clock_minutes(spring.sunrise), 0);
    EXPECT_GE(clock_minutes(spring.sunset), 0);
}

TEST(HostSky, MoonPhasesAtKnownMoments) {
    struct Case {
        QDateTime moment;
        double elongation;
        const char* name;
    };
    const Case cases[] = {
        {QDateTime(QDate(2024, 1, 11), QTime(11, 57), QTimeZone::utc()), 0.0, "New Moon"},
        {QDateTime(QDate(2024, 1, 18), QTime(3, 53), QTimeZone::utc()), 90.0, "First Quarter"},
        {QDateTime(QDate(2024, 1, 25), QTime(17, 54), QTimeZone::utc()), 180.0, "Full Moon"},
        {QDateTime(QDate(2024, 2, 2), QTime(23, 18), QTimeZone::utc()), 270.0, "Last Quarter"},
    };
    for (const Case& c : cases) {
        const MoonPhaseInfo info = moon_phase_info(jd_of(c.moment));
        double off = std::fmod(info.elongation - c.elongation + 540.0, 360.0) - 180.0;
        EXPECT_LT(std::abs(off), 2.0) << c.name << " " << info.elongation;
        EXPECT_STREQ(moon_phase_name(info.elongation), c.name);
    }
    EXPECT_GT(moon_phase_info(jd_of(cases[2].moment)).illuminated, 0.99);
    EXPECT_LT(moon_phase_info(jd_of(cases[0].moment)).illuminated, 0.01);
    EXPECT_NEAR(moon_phase_info(jd_of(cases[1].moment)).illuminated, 0.5, 0.03);
    EXPECT_STREQ(moon_phase_name(45.0), "Waxing Crescent");
    EXPECT_STREQ(moon_phase_name(135.0), "Waxing Gibbous");
    EXPECT_STREQ(moon_phase_name(225.0), "Waning Gibbous");
    EXPECT_STREQ(moon_phase_name(315.0), "Waning Crescent");
}

TEST(HostSky, FullMoonRisesAtSunsetAndNewMoonAtSunrise) {
    for (const char* title : {"Chicago, Illinois", "Paris, France", "Sydney, New South Wales"}) {
        const std::optional<HostPlace> place = host_place_titled(title);
        ASSERT_TRUE(place) << title;
        // Full moon 25 January 2024, new moon 11 January 2024; noon in each place.
        const int noon_utc =
            static_cast<int>(std::lround(12.0 - place->longitude / 15.0 + 24.0)) % 24;
        const ConditionsSample full = conditions_sample(*place, utc_hour(2024, 1, 25, noon_utc));
        EXPECT_NEAR(clock_minutes(full.moon_rise), clock_minutes(full.sunset), 75)
            << title << " " << full.moon_rise.toStdString() << " " << full.sunset.toStdString();
        EXPECT_NEAR(clock_minutes(full.moon_set), clock_minutes(full.sunrise), 75)
            << title << " " << full.moon_set.toStdString() << " " << full.sunrise.toStdString();
        const ConditionsSample fresh = conditions_sample(*place, utc_hour(2024, 1, 11, noon_utc));
        EXPECT_NEAR(clock_minutes(fresh.moon_rise), clock_minutes(fresh.sunrise), 75)
            << title << " " << fresh.moon_rise.toStdString();
        EXPECT_NEAR(clock_minutes(fresh.moon_set), clock_minutes(fresh.sunset), 75)
            << title << " " << fresh.moon_set.toStdString();
    }
}

TEST(HostSky, RiseAndSetAreCrossingsOfTheRiseAltitude) {
    // Chicago, 5 January 2026 from local midnight.
    const double from = jd_of(QDateTime(QDate(2026, 1, 5), QTime(6, 0), QTimeZone::utc()));
    const RiseSet sun = sun_rise_set(from, 1.0, 41.85, -87.65);
    ASSERT_TRUE(sun.rise && sun.set);
    EXPECT_LT(*sun.rise, *sun.set);
    const double minute = 1.0 / 1440.0;
    EXPECT_LT(sun_altitude(*sun.rise - minute, 41.85, -87.65), -0.8333);
    EXPECT_GT(sun_altitude(*sun.rise + minute, 41.85, -87.65), -0.8333);
    EXPECT_GT(sun_altitude(*sun.set - minute, 41.85, -87.65), -0.8333);
    EXPECT_LT(sun_altitude(*sun.set + minute, 41.85, -87.65), -0.8333);
    // Noon is well above the horizon, midnight well below.
    EXPECT_GT(sun_altitude(from + 0.5, 41.85, -87.65), 20.0);
    EXPECT_LT(sun_altitude(from, 41.85, -87.65), -50.0);

    const RiseSet moon = moon_rise_set(from, 2.0, 41.85, -87.65);
    ASSERT_TRUE(moon.rise && moon.set);
    EXPECT_GT(moon_altitude(*moon.rise + 10 * minute, 41.85, -87.65),
              moon_altitude(*moon.rise - 10 * minute, 41.85, -87.65));
    EXPECT_LT(moon_altitude(*moon.set + 10 * minute, 41.85, -87.65),
              moon_altitude(*moon.set - 10 * minute, 41.85, -87.65));
}

TEST(HostZones, PlacesGetTheirStateOrCountryZone) {
    struct Case {
        const char* title;
        const char* zone;
    };
    const Case cases[] = {
        {"Chicago, Illinois", "America/Chicago"},
        {"New Orleans, Lousiana", "America/Chicago"},
        {"El Paso, Texas", "America/Denver"},
        {"Indianapolis, Indiana", "America/Indiana/Indianapolis"},
        {"Honolulu, Hawaii", "Pacific/Honolulu"},
        {"Paris, France", "Europe/Paris"},
        {"Moscow, Russia", "Europe/Moscow"},
        {"London, Ontario", "America/Toronto"},
        {"Sydney, Nova Scotia", "America/Halifax"},
        {"Perth, Western Australia", "Australia/Perth"},
    };
    for (const Case& c : cases) {
        const std::optional<HostPlace> place = host_place_titled(c.title);
        ASSERT_TRUE(place) << c.title;
        EXPECT_EQ(place->zone.zone_id, QByteArray(c.zone)) << c.title;
    }
    // A New Orleans zip's nearest census place lies in Louisiana, on Central time.
    EXPECT_EQ(place_for_zip("70112")->zone.zone_id, "America/Chicago");
}

TEST(HostZones, EveryPlaceHasAZoneTheSystemKnows) {
    int unknown = 0;
    for (const CataloguePlace& p : catalogue_places()) {
        const std::optional<HostPlace> place = place_for_city_path(p.request_path);
        ASSERT_TRUE(place);
        if (!zone_known(place->zone) && ++unknown <= 5)
            ADD_FAILURE() << p.title_name.toStdString() << ": " << place->zone.zone_id.constData();
    }
    EXPECT_EQ(unknown, 0);
    for (const char* state : {"AK", "AL", "AZ", "PR", "VI", "DC", "WY"})
        EXPECT_TRUE(zone_known(zone_for_us_place(state, 40.0, -100.0))) << state;
}

TEST(HostZones, LocalClockFollowsDaylightSavingAndFallsBackToLongitude) {
    const PlaceZone chicago = zone_for_us_place("IL", 41.85, -87.65);
    const long long january =
        QDateTime(QDate(2026, 1, 5), QTime(21, 0), QTimeZone::utc()).toMSecsSinceEpoch();
    const long long july =
        QDateTime(QDate(2026, 7, 5), QTime(21, 0), QTimeZone::utc()).toMSecsSinceEpoch();
    EXPECT_EQ(local_clock(chicago, january).offset_seconds, -6 * 3600);
    EXPECT_EQ(local_clock(chicago, january).zone_name, "CST");
    EXPECT_EQ(local_clock(chicago, july).offset_seconds, -5 * 3600);
    EXPECT_EQ(local_clock(chicago, july).zone_name, "CDT");
    EXPECT_EQ(clock_text(local_clock(chicago, january).local_ms), "3:00 PM");

    // No zone for a state the table lacks: the longitude decides (-100 degrees: 7 hours).
    const PlaceZone unknown = zone_for_us_place("ZZ", 40.0, -100.0);
    EXPECT_FALSE(zone_known(unknown));
    EXPECT_EQ(local_clock(unknown, january).offset_seconds, -7 * 3600);
    EXPECT_EQ(local_clock(unknown, january).zone_name, "GMT-7");

    const std::pair<long long, const char*> clock_cases[] = {
        {0, "12:00 AM"},
        {29999, "12:00 AM"},
        {30000, "12:01 AM"},
        {12 * 3600000LL, "12:00 PM"},
        {(13 * 60 + 5) * 60000LL, "1:05 PM"},
        {(23 * 60 + 59) * 60000LL + 40000, "12:00 AM"},
        {-60000, "11:59 PM"},
    };
    for (const auto& [ms, text] : clock_cases)
        EXPECT_EQ(clock_text(ms), text) << ms;
}
