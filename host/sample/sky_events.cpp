#include "sample/sky_events.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>

namespace {

constexpr double deg = std::numbers::pi / 180.0;
constexpr double j2000 = 2451545.0;
constexpr double unix_epoch_jd = 2440587.5;

double sin_d(double a) {
    return std::sin(a * deg);
}
double cos_d(double a) {
    return std::cos(a * deg);
}

double normalised_degrees(double a) {
    a = std::fmod(a, 360.0);
    return a < 0 ? a + 360.0 : a;
}

Equatorial ecliptic_to_equatorial(double longitude, double latitude, double obliquity) {
    const double l = cos_d(latitude) * cos_d(longitude);
    const double m =
        cos_d(obliquity) * cos_d(latitude) * sin_d(longitude) - sin_d(obliquity) * sin_d(latitude);
    const double n =
        sin_d(obliquity) * cos_d(latitude) * sin_d(longitude) + cos_d(obliquity) * sin_d(latitude);
    return {normalised_degrees(std::atan2(m, l) / deg), std::asin(n) / deg};
}

double obliquity(double jd) {
    return 23.439 - 0.0000004 * (jd - j2000);
}

// Greenwich mean sidereal time, degrees.
double sidereal_degrees(double jd) {
    return normalised_degrees(280.46061837 + 360.98564736629 * (jd - j2000));
}

double altitude(const Equatorial& body, double jd, double latitude, double longitude) {
    const double hour_angle = sidereal_degrees(jd) + longitude - body.right_ascension;
    const double s = sin_d(latitude) * sin_d(body.declination) +
                     cos_d(latitude) * cos_d(body.declination) * cos_d(hour_angle);
    return std::asin(std::clamp(s, -1.0, 1.0)) / deg;
}

// Scans f (altitude minus the rise altitude) in ten-minute steps and narrows each crossing
// down by bisection.
RiseSet crossings(const std::function<double(double)>& f, double from, double days) {
    constexpr double step = 10.0 / 1440.0;
    RiseSet result;
    double t0 = from;
    double f0 = f(t0);
    bool always_up = f0 > 0;
    const int steps = static_cast<int>(std::ceil(days / step));
    for (int i = 1; i <= steps && !(result.rise && result.set); ++i) {
        const double t1 = std::min(from + i * step, from + days);
        const double f1 = f(t1);
        if (f1 <= 0)
            always_up = false;
        if ((f0 <= 0) != (f1 <= 0)) {
            double a = t0;
            double b = t1;
            double fa = f0;
            for (int k = 0; k < 30; ++k) {
                const double m = (a + b) / 2;
                const double fm = f(m);
                if ((fa <= 0) == (fm <= 0)) {
                    a = m;
                    fa = fm;
                } else {
                    b = m;
                }
            }
            const double t = (a + b) / 2;
            if (f0 <= 0 && !result.rise)
                result.rise = t;
            else if (f0 > 0 && !result.set)
                result.set = t;
        }
        t0 = t1;
        f0 = f1;
    }
    result.above_all_window = always_up && !result.rise && !result.set;
    return result;
}

} // namespace

double julian_day_from_unix_ms(long long unix_ms) {
    return unix_epoch_jd + static_cast<double>(unix_ms) / 86400000.0;
}

long long unix_ms_from_julian_day(double jd) {
    return std::llround((jd - unix_epoch_jd) * 86400000.0);
}

double sun_longitude(double jd) {
    const double n = jd - j2000;
    const double mean_longitude = 280.460 + 0.9856474 * n;
    const double anomaly = 357.528 + 0.9856003 * n;
    return normalised_degrees(mean_longitude + 1.915 * sin_d(anomaly) + 0.020 * sin_d(2 * anomaly));
}

Equatorial sun_position(double jd) {
    return ecliptic_to_equatorial(sun_longitude(jd), 0.0, obliquity(jd));
}

MoonPosition moon_position(double jd) {
    const double t = (jd - j2000) / 36525.0;
    MoonPosition m;
    m.longitude = normalised_degrees(
        218.32 + 481267.881 * t + 6.29 * sin_d(134.9 + 477198.85 * t) -
        1.27 * sin_d(259.2 - 413335.38 * t) + 0.66 * sin_d(235.7 + 890534.23 * t) +
        0.21 * sin_d(269.9 + 954397.70 * t) - 0.19 * sin_d(357.5 + 35999.05 * t) -
        0.11 * sin_d(186.6 + 966404.05 * t));
    m.latitude = 5.13 * sin_d(93.3 + 483202.03 * t) + 0.28 * sin_d(228.2 + 960400.87 * t) -
                 0.28 * sin_d(318.3 + 6003.18 * t) - 0.17 * sin_d(217.6 - 407332.20 * t);
    m.parallax = 0.9508 + 0.0518 * cos_d(134.9 + 477198.85 * t) +
                 0.0095 * cos_d(259.2 - 413335.38 * t) + 0.0078 * cos_d(235.7 + 890534.23 * t) +
                 0.0028 * cos_d(269.9 + 954397.70 * t);
    m.equatorial = ecliptic_to_equatorial(m.longitude, m.latitude, obliquity(jd));
    return m;
}

double sun_altitude(double jd, double latitude, double longitude) {
    return altitude(sun_position(jd), jd, latitude, longitude);
}

double moon_altitude(double jd, double latitude, double longitude) {
    return altitude(moon_position(jd).equatorial, jd, latitude, longitude);
}

RiseSet sun_rise_set(double from, double days, double latitude, double longitude) {
    return crossings([&](double jd) { return sun_altitude(jd, latitude, longitude) + 0.8333; },
                     from, days);
}

RiseSet moon_rise_set(double from, double days, double latitude, double longitude) {
    return crossings(
        [&](double jd) {
            const MoonPosition m = moon_position(jd);
            return altitude(m.equatorial, jd, latitude, longitude) - (0.7275 * m.parallax - 0.5667);
        },
        from, days);
}

MoonPhaseInfo moon_phase_info(double jd) {
    const MoonPosition m = moon_position(jd);
    const double elongation = normalised_degrees(m.longitude - sun_longitude(jd));
    const double cos_psi = cos_d(m.latitude) * cos_d(elongation);
    return {(1.0 - cos_psi) / 2.0, elongation};
}

const char* moon_phase_name(double elongation) {
    // Each principal phase covers about half a day either side of its moment.
    constexpr double half_width = 6.0;
    if (elongation < half_width || elongation >= 360.0 - half_width)
        return "New Moon";
    if (elongation < 90.0 - half_width)
        return "Waxing Crescent";
    if (elongation < 90.0 + half_width)
        return "First Quarter";
    if (elongation < 180.0 - half_width)
        return "Waxing Gibbous";
    if (elongation < 180.0 + half_width)
        return "Full Moon";
    if (elongation < 270.0 - half_width)
        return "Waning Gibbous";
    if (elongation < 270.0 + half_width)
        return "Last Quarter";
    return "Waning Crescent";
}
