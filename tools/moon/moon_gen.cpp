// Writes the moon-phase tables: for every date of 1998 through 2099 the fraction of the
// Moon's disc that is illuminated at one fixed time of day (UT), to two decimals, laid out as
// 32 rows of 52 characters per year. The Moon's position comes from the truncated ELP-2000/82
// series (60 terms in longitude and distance, 60 in latitude, plus the additive terms of
// Venus, Jupiter and the Earth's flattening); the Sun's from its low-precision theory.
//
// Usage: moon_gen [minutes after 0h UT, default 2] > moon_tables.inc
// Two minutes after 0h UT: the 1998 values the lookup is checked against hold from about nine
// minutes before to five minutes after 0h UT.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr double pi = 3.14159265358979323846;
constexpr double rad = pi / 180.0;
constexpr int first_year = 1998;
constexpr int last_year = 2099;

double norm_deg(double x) {
    x = std::fmod(x, 360.0);
    return x < 0 ? x + 360.0 : x;
}

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
long days_from_civil(long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long>(doe) - 719468;
}

bool leap(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int days_in_month(int y, int m) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && leap(y) ? 29 : days[m - 1];
}

// Terrestrial time minus universal time in seconds: observed values fitted by polynomials
// up to 2005, then the usual extrapolations.
double delta_t(double year) {
    if (year < 2005.0) {
        const double t = year - 2000.0;
        return 63.86 + 0.3345 * t - 0.060374 * t * t + 0.0017275 * t * t * t +
               0.000651814 * t * t * t * t + 0.00002373599 * t * t * t * t * t;
    }
    if (year < 2050.0) {
        const double t = year - 2000.0;
        return 62.92 + 0.32217 * t + 0.005589 * t * t;
    }
    const double u = (year - 1820.0) / 100.0;
    return -20.0 + 32.0 * u * u - 0.5628 * (2150.0 - year);
}

// Periodic terms: multiples of D, M, M', F and the coefficient (1e-6 degree, or 1e-3 km).
struct LrTerm {
    int d, m, mp, f;
    double sl, sr;
};
struct BTerm {
    int d, m, mp, f;
    double sb;
};

constexpr LrTerm lr_terms[] = {
    {0, 0, 1, 0, 6288774, -20905355},
    {2, 0, -1, 0, 1274027, -3699111},
    {2, 0, 0, 0, 658314, -2955968},
    {0, 0, 2, 0, 213618, -569925},
    {0, 1, 0, 0, -185116, 48888},
    {0, 0, 0, 2, -114332, -3149},
    {2, 0, -2, 0, 58793, 246158},
    {2, -1, -1, 0, 57066, -152138},
    {2, 0, 1, 0, 53322, -170733},
    {2, -1, 0, 0, 45758, -204586},
    {0, 1, -1, 0, -40923, -129620},
    {1, 0, 0, 0, -34720, 108743},
    {0, 1, 1, 0, -30383, 104755},
    {2, 0, 0, -2, 15327, 10321},
    {0, 0, 1, 2, -12528, 0},
    {0, 0, 1, -2, 10980, 79661},
    {4, 0, -1, 0, 10675, -34782},
    {0, 0, 3, 0, 10034, -23210},
    {4, 0, -2, 0, 8548, -21636},
    {2, 1, -1, 0, -7888, 24208},
    {2, 1, 0, 0, -6766, 30824},
    {1, 0, -1, 0, -5163, -8379},
    {1, 1, 0, 0, 4987, -16675},
    {2, -1, 1, 0, 4036, -12831},
    {2, 0, 2, 0, 3994, -10445},
    {4, 0, 0, 0, 3861, -11650},
    {2, 0, -3, 0, 3665, 14403},
    {0, 1, -2, 0, -2689, -7003},
    {2, 0, -1, 2, -2602, 0},
    {2, -1, -2, 0, 2390, 10056},
    {1, 0, 1, 0, -2348, 6322},
    {2, -2, 0, 0, 2236, -9884},
    {0, 1, 2, 0, -2120, 5751},
    {0, 2, 0, 0, -2069, 0},
    {2, -2, -1, 0, 2048, -4950},
    {2, 0, 1, -2, -1773, 4130},
    {2, 0, 0, 2, -1595, 0},
    {4, -1, -1, 0, 1215, -3958},
    {0, 0, 2, 2, -1110, 0},
    {3, 0, -1, 0, -892, 3258},
    {2, 1, 1, 0, -810, 2616},
    {4, -1, -2, 0, 759, -1897},
    {0, 2, -1, 0, -713, -2117},
    {2, 2, -1, 0, -700, 2354},
    {2, 1, -2, 0, 691, 0},
    {2, -1, 0, -2, 596, 0},
    {4, 0, 1, 0, 549, -1423},
    {0, 0, 4, 0, 537, -1117},
    {4, -1, 0, 0, 520, -1571},
    {1, 0, -2, 0, -487, -1739},
    {2, 1, 0, -2, -399, 0},
    {0, 0, 2, -2, -381, -4421},
    {1, 1, 1, 0, 351, 0},
    {3, 0, -2, 0, -340, 0},
    {4, 0, -3, 0, 330, 0},
    {2, -1, 2, 0, 327, 0},
    {0, 2, 1, 0, -323, 1165},
    {1, 1, -1, 0, 299, 0},
    {2, 0, 3, 0, 294, 0},
    {2, 0, -1, -2, 0, 8752},
};

constexpr BTerm b_terms[] = {
    {0, 0, 0, 1, 5128122}, {0, 0, 1, 1, 280602},  {0, 0, 1, -1, 277693}, {2, 0, 0, -1, 173237},
    {2, 0, -1, 1, 55413},  {2, 0, -1, -1, 46271}, {2, 0, 0, 1, 32573},   {0, 0, 2, 1, 17198},
    {2, 0, 1, -1, 9266},   {0, 0, 2, -1, 8822},   {2, -1, 0, -1, 8216},  {2, 0, -2, -1, 4324},
    {2, 0, 1, 1, 4200},    {2, 1, 0, -1, -3359},  {2, -1, -1, 1, 2463},  {2, -1, 0, 1, 2211},
    {2, -1, -1, -1, 2065}, {0, 1, -1, -1, -1870}, {4, 0, -1, -1, 1828},  {0, 1, 0, 1, -1794},
    {0, 0, 0, 3, -1749},   {0, 1, -1, 1, -1565},  {1, 0, 0, 1, -1491},   {0, 1, 1, 1, -1475},
    {0, 1, 1, -1, -1410},  {0, 1, 0, -1, -1344},  {1, 0, 0, -1, -1335},  {0, 0, 3, 1, 1107},
    {4, 0, 0, -1, 1021},   {4, 0, -1, 1, 833},    {0, 0, 1, -3, 777},    {4, 0, -2, 1, 671},
    {2, 0, 0, -3, 607},    {2, 0, 2, -1, 596},    {2, -1, 1, -1, 491},   {2, 0, -2, 1, -451},
    {0, 0, 3, -1, 439},    {2, 0, 2, 1, 422},     {2, 0, -3, -1, 421},   {2, 1, -1, 1, -366},
    {2, 1, 0, 1, -351},    {4, 0, 0, 1, 331},     {2, -1, 1, 1, 315},    {2, -2, 0, -1, 302},
    {0, 0, 1, 3, -283},    {2, 1, 1, -1, -229},   {1, 1, 0, -1, 223},    {1, 1, 0, 1, 223},
    {0, 1, -2, -1, -220},  {2, 1, -1, -1, -220},  {1, 0, 1, 1, -185},    {2, -1, -2, -1, 181},
    {0, 1, 2, 1, -177},    {4, 0, -2, -1, 176},   {4, -1, -1, -1, 166},  {1, 0, 1, -1, -164},
    {4, 0, 1, -1, 132},    {1, 0, -1, -1, -119},  {4, -1, 0, -1, 115},   {2, -2, 0, 1, 107},
};

struct Ecliptic {
    double lon;  // degrees
    double lat;  // degrees
    double dist; // km
};

// Geocentric ecliptic position of the Moon (mean equinox of date) at T centuries of TT from J2000.
Ecliptic moon_position(double t) {
    const double t2 = t * t, t3 = t2 * t, t4 = t3 * t;
    const double lp = norm_deg(218.3164477 + 481267.88123421 * t - 0.0015786 * t2 + t3 / 538841.0 -
                               t4 / 65194000.0);
    const double d = norm_deg(297.8501921 + 445267.1114034 * t - 0.0018819 * t2 + t3 / 545868.0 -
                              t4 / 113065000.0);
    const double m = norm_deg(357.5291092 + 35999.0502909 * t - 0.0001536 * t2 + t3 / 24490000.0);
    const double mp = norm_deg(134.9633964 + 477198.8675055 * t + 0.0087414 * t2 + t3 / 69699.0 -
                               t4 / 14712000.0);
    const double f = norm_deg(93.2720950 + 483202.0175233 * t - 0.0036539 * t2 - t3 / 3526000.0 +
                              t4 / 863310000.0);
    const double a1 = norm_deg(119.75 + 131.849 * t);
    const double a2 = norm_deg(53.09 + 479264.290 * t);
    const double a3 = norm_deg(313.45 + 481266.484 * t);
    const double e = 1.0 - 0.002516 * t - 0.0000074 * t2;
    const auto e_factor = [e](int mult) {
        const int k = std::abs(mult);
        return k == 0 ? 1.0 : (k == 1 ? e : e * e);
    };

    double sl = 0.0, sr = 0.0, sb = 0.0;
    for (const auto& term : lr_terms) {
        const double arg = (term.d * d + term.m * m + term.mp * mp + term.f * f) * rad;
        const double factor = e_factor(term.m);
        sl += term.sl * factor * std::sin(arg);
        sr += term.sr * factor * std::cos(arg);
    }
    for (const auto& term : b_terms) {
        const double arg = (term.d * d + term.m * m + term.mp * mp + term.f * f) * rad;
        sb += term.sb * e_factor(term.m) * std::sin(arg);
    }
    sl += 3958.0 * std::sin(a1 * rad) + 1962.0 * std::sin((lp - f) * rad) +
          318.0 * std::sin(a2 * rad);
    sb += -2235.0 * std::sin(lp * rad) + 382.0 * std::sin(a3 * rad) +
          175.0 * std::sin((a1 - f) * rad) + 175.0 * std::sin((a1 + f) * rad) +
          127.0 * std::sin((lp - mp) * rad) - 115.0 * std::sin((lp + mp) * rad);
    return {norm_deg(lp + sl / 1e6), sb / 1e6, 385000.56 + sr / 1000.0};
}

// Geocentric ecliptic position of the Sun (geometric, mean equinox of date); dist in km.
Ecliptic sun_position(double t) {
    const double l0 = 280.46646 + 36000.76983 * t + 0.0003032 * t * t;
    const double m = 357.52911 + 35999.05029 * t - 0.0001537 * t * t;
    const double e = 0.016708634 - 0.000042037 * t - 0.0000001267 * t * t;
    const double c = (1.914602 - 0.004817 * t - 0.000014 * t * t) * std::sin(m * rad) +
                     (0.019993 - 0.000101 * t) * std::sin(2 * m * rad) +
                     0.000289 * std::sin(3 * m * rad);
    const double nu = m + c;
    const double r_au = 1.000001018 * (1 - e * e) / (1 + e * std::cos(nu * rad));
    return {norm_deg(l0 + c), 0.0, r_au * 149597870.7};
}

// Illuminated fraction of the Moon's disc at the given Julian day (UT).
double illuminated_fraction(double jd_ut, double year) {
    const double jde = jd_ut + delta_t(year) / 86400.0;
    const double t = (jde - 2451545.0) / 36525.0;
    const Ecliptic moon = moon_position(t);
    const Ecliptic sun = sun_position(t);
    // Nutation in longitude moves both bodies alike; only the Sun's aberration remains.
    const double sun_lon = sun.lon - 0.00569;
    const double cos_psi = std::cos(moon.lat * rad) * std::cos((moon.lon - sun_lon) * rad);
    const double psi = std::acos(cos_psi);
    const double i = std::atan2(sun.dist * std::sin(psi), moon.dist - sun.dist * std::cos(psi));
    return (1.0 + std::cos(i)) / 2.0;
}

std::string cell_text(double k) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%4.2f", k);
    return buf;
}

std::string year_table(int year, double minutes) {
    const char* filler = (year >= 2000 && year <= 2005) ? "0.00" : "9.99";
    std::string text;
    for (int day = 1; day <= 31; ++day) {
        char head[8];
        std::snprintf(head, sizeof head, "%04d", day);
        text += head;
        for (int month = 1; month <= 12; ++month) {
            if (day > days_in_month(year, month)) {
                text += filler;
                continue;
            }
            const double jd = static_cast<double>(days_from_civil(year, month, day)) + 2440587.5 +
                              minutes / 1440.0;
            const double year_frac = year + (month - 0.5) / 12.0;
            text += cell_text(illuminated_fraction(jd, year_frac));
        }
    }
    text += "9999";
    for (int month = 1; month <= 12; ++month)
        text += "9.99";
    return text;
}

} // namespace

int main(int argc, char** argv) {
    const double minutes = argc > 1 ? std::atof(argv[1]) : 2.0;
    std::printf("// Generated by tools/moon/generate (moon_gen %g); do not edit.\n", minutes);
    std::printf("// Illuminated fraction of the Moon at %g minutes after 0h UT of each date, "
                "%d through %d.\n",
                minutes, first_year, last_year);
    std::printf("constexpr int generated_first_year = %d;\n", first_year);
    std::printf("constexpr int generated_last_year = %d;\n", last_year);
    std::printf("constexpr const char* generated_tables[] = {\n");
    for (int year = first_year; year <= last_year; ++year) {
        const std::string text = year_table(year, minutes);
        std::printf("    // %d\n", year);
        for (std::size_t row = 0; row < 32; ++row)
            std::printf("    \"%s\"%s\n", text.substr(row * 52, 52).c_str(), row == 31 ? "," : "");
    }
    std::printf("};\n");
    return 0;
}
