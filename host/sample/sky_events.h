#pragma once

#include <optional>

// Sun and Moon for the sample pages: positions from the low-precision formulas of the
// astronomical almanac (Sun about 0.01 degree, Moon about 0.3 degree), rise and set times
// found by scanning the altitude, and the Moon's phase. Times are Julian days (UT).

struct Equatorial {
    double right_ascension = 0.0; // degrees
    double declination = 0.0;     // degrees
};

// Julian day of a moment given as milliseconds since 1970-01-01 00:00 UT.
double julian_day_from_unix_ms(long long unix_ms);
long long unix_ms_from_julian_day(double jd);

Equatorial sun_position(double jd);

struct MoonPosition {
    double longitude = 0.0; // ecliptic, degrees
    double latitude = 0.0;  // ecliptic, degrees
    double parallax = 0.0;  // horizontal parallax, degrees
    Equatorial equatorial;
};
MoonPosition moon_position(double jd);

// The Sun's apparent ecliptic longitude, degrees.
double sun_longitude(double jd);

// Altitude above the horizon, degrees, of the centre of each body for an observer at
// latitude/longitude (degrees north/east); the Moon's is geocentric.
double sun_altitude(double jd, double latitude, double longitude);
double moon_altitude(double jd, double latitude, double longitude);

// Rise and set of a body within [from, from + days): the first upward and the first downward
// crossing of its rise altitude (the Sun's upper limb with refraction; the Moon's upper limb
// with refraction and parallax). Absent when the body does not cross in the window.
struct RiseSet {
    std::optional<double> rise;
    std::optional<double> set;
    bool above_all_window = false; // no crossing and the body stayed up
};
RiseSet sun_rise_set(double from, double days, double latitude, double longitude);
RiseSet moon_rise_set(double from, double days, double latitude, double longitude);

struct MoonPhaseInfo {
    double illuminated = 0.0; // fraction of the disc, 0 to 1
    double elongation = 0.0;  // Moon minus Sun in ecliptic longitude, 0 to 360 degrees
};
MoonPhaseInfo moon_phase_info(double jd);

// "New Moon", "Waxing Crescent", "First Quarter", "Waxing Gibbous", "Full Moon",
// "Waning Gibbous", "Last Quarter", "Waning Crescent".
const char* moon_phase_name(double elongation);
