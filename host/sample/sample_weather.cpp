#include "sample/sample_weather.h"

#include "sample/host_places.h"
#include "sample/seeded_random.h"
#include "sample/sky_events.h"

#include <QDate>
#include <QDateTime>
#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <vector>

namespace {

// Salts naming the independent quantities.
enum Salt : std::uint64_t {
    salt_sky = 1,
    salt_sky_words,
    salt_anomaly,
    salt_jitter,
    salt_humidity,
    salt_wind_speed,
    salt_wind_direction,
    salt_pressure,
    salt_visibility,
    salt_intensity,
};

enum class Regime {
    Clear,
    MostlyClear,
    PartlyCloudy,
    ScatteredClouds,
    MostlyCloudy,
    Cloudy,
    Overcast,
    Haze,
    Fog,
    Mist,
    Drizzle,
    Rain,
    Thunderstorm
};

struct RegimeShare {
    Regime regime;
    double share;
};

// How often each sky turns up; the shares add up to 1.
constexpr std::array<RegimeShare, 13> regime_shares{{
    {Regime::Clear, 0.20},
    {Regime::MostlyClear, 0.10},
    {Regime::PartlyCloudy, 0.11},
    {Regime::ScatteredClouds, 0.08},
    {Regime::MostlyCloudy, 0.10},
    {Regime::Cloudy, 0.08},
    {Regime::Overcast, 0.07},
    {Regime::Haze, 0.04},
    {Regime::Fog, 0.04},
    {Regime::Mist, 0.04},
    {Regime::Drizzle, 0.04},
    {Regime::Rain, 0.07},
    {Regime::Thunderstorm, 0.03},
}};

Regime pick_regime(double roll) {
    double sum = 0.0;
    for (const RegimeShare& s : regime_shares) {
        sum += s.share;
        if (roll < sum)
            return s.regime;
    }
    return Regime::Clear;
}

bool wet(Regime r) {
    return r == Regime::Drizzle || r == Regime::Rain || r == Regime::Thunderstorm;
}

// Half the difference between the warm and the cold part of the day, degrees F.
double diurnal_half_range(Regime r) {
    switch (r) {
    case Regime::Clear:
    case Regime::MostlyClear:
    case Regime::Haze:
        return 9.0;
    case Regime::PartlyCloudy:
    case Regime::ScatteredClouds:
        return 7.0;
    case Regime::MostlyCloudy:
        return 5.0;
    default:
        return 3.0;
    }
}

struct Range {
    int low;
    int high;
};

Range humidity_range(Regime r) {
    switch (r) {
    case Regime::Clear:
    case Regime::MostlyClear:
        return {25, 65};
    case Regime::PartlyCloudy:
    case Regime::ScatteredClouds:
        return {35, 75};
    case Regime::MostlyCloudy:
    case Regime::Cloudy:
    case Regime::Overcast:
        return {50, 85};
    case Regime::Haze:
        return {40, 65};
    case Regime::Fog:
        return {95, 100};
    case Regime::Mist:
        return {85, 97};
    case Regime::Thunderstorm:
        return {65, 92};
    default:
        return {80, 98};
    }
}

// Lattice spacing of the fields, degrees: skies change over a few hundred kilometres,
// departures from the normal temperature and the pressure over larger areas.
constexpr double sky_cell = 5.0;
constexpr double hourly_cell = 3.0;
constexpr double broad_cell = 8.0;

// A field value spread evenly over [0, 1), so that a value picks from a weighted list with the
// list's own shares (the field itself gathers near its middle). The spread is read from a
// fixed sample of the field.
double evenly(double field_value) {
    static const std::vector<double> sample = [] {
        std::vector<double> values;
        constexpr int count = 8192;
        values.reserve(count);
        for (int i = 0; i < count; ++i) {
            const double lat = unit_random(1, 101, i) * 170.0 - 85.0;
            const double lon = unit_random(1, 102, i) * 360.0 - 180.0;
            const double hours = unit_random(1, 103, i) * 1000.0;
            values.push_back(weather_field(104, lat, lon, hours, 1.0, 1.0));
        }
        std::sort(values.begin(), values.end());
        return values;
    }();
    const auto below = std::lower_bound(sample.begin(), sample.end(), field_value) - sample.begin();
    return static_cast<double>(std::min<std::ptrdiff_t>(below, std::ssize(sample) - 1)) /
           static_cast<double>(sample.size());
}

int in_range(Range range, double u) {
    return range.low + std::min(range.high - range.low,
                                static_cast<int>(std::floor(u * (range.high - range.low + 1))));
}

// Muggy air rarely holds a dew point above this.
constexpr double highest_dew_point_f = 75.0;

// Relative humidity, percent, of air at temperature_f whose dew point is dew_point_f
// (the Magnus formula).
int humidity_at_dew_point(int temperature_f, double dew_point_f) {
    const auto vapour = [](double f) {
        const double c = (f - 32.0) * 5.0 / 9.0;
        return std::exp(17.625 * c / (243.04 + c));
    };
    return static_cast<int>(std::floor(
        100.0 * vapour(std::min<double>(dew_point_f, temperature_f)) / vapour(temperature_f)));
}

QString miles(int n) {
    return QString::number(n) + QStringLiteral(" miles");
}

const std::array<const char*, 16> compass{"N", "NNE", "NE", "ENE", "E", "ESE", "SE", "SSE",
                                          "S", "SSW", "SW", "WSW", "W", "WNW", "NW", "NNW"};

// The fields at one place: every value is read from fields over the globe and time at the
// place's coordinates, so one place reached by several paths (city page, zip, station) and
// places near each other agree.
struct PlaceFields {
    double lat_deg;
    double lon_deg;
    long long hour_index;

    // Independent from one index to the next (each index is a knot of the field's time axis).
    double per_index(Salt salt, double cell, long long index) const {
        return evenly(weather_field(salt, lat_deg, lon_deg, static_cast<double>(index), cell, 1.0));
    }
    double smooth(Salt salt, double cell, double period) const {
        return weather_field(salt, lat_deg, lon_deg, static_cast<double>(hour_index), cell, period);
    }
};

// The latitude's yearly mean, the season, the time of day and a slowly wandering departure
// from normal, a little cooler in rain; degrees F.
int sample_temperature(const HostPlace& place, const PlaceFields& fields, Regime regime,
                       long long observed_unix_ms) {
    const QDateTime observed = QDateTime::fromMSecsSinceEpoch(observed_unix_ms, Qt::UTC);
    const double lat = std::fabs(place.latitude);
    const double yearly_mean = 78.0 - 0.012 * lat * lat;
    const double seasonal_half_range = std::min(0.45 * lat, 26.0);
    const double year_angle = 2.0 * std::numbers::pi * (observed.date().dayOfYear() - 20) / 365.25;
    const double season =
        (place.latitude >= 0 ? -1.0 : 1.0) * seasonal_half_range * std::cos(year_angle);
    const double utc_hours = static_cast<double>(observed_unix_ms % 86400000LL) / 3600000.0;
    const double solar_hours = std::fmod(utc_hours + place.longitude / 15.0 + 48.0, 24.0);
    const double day_cycle =
        diurnal_half_range(regime) * std::cos(2.0 * std::numbers::pi * (solar_hours - 15.0) / 24.0);
    const double departure =
        9.0 * fields.smooth(salt_anomaly, broad_cell, 30.0) +
        1.2 * (2.0 * fields.per_index(salt_jitter, hourly_cell, fields.hour_index) - 1.0);
    const double temperature =
        yearly_mean + season + day_cycle + departure - (wet(regime) ? 2.0 : 0.0);
    return std::clamp(static_cast<int>(std::lround(temperature)), -60, 125);
}

// What the page says of the sky and how far one sees.
struct SkyWords {
    QString sky;
    QString visibility = QStringLiteral("10 miles");
};

// The rolls that pick among the words of a sky: intensity and word_roll hold for the sky's
// three hours, visibility_roll changes every hour.
struct SkyRolls {
    double intensity;
    double word_roll;
    double visibility_roll;
};

// Rain and thunderstorms: thunder at 60 F and above, snow at 33 F and below, else rain by
// its intensity.
SkyWords precipitation_words(Regime regime, const SkyRolls& rolls, int temperature_f) {
    const double v = rolls.visibility_roll;
    if (regime == Regime::Thunderstorm && temperature_f >= 60)
        return {QStringLiteral("Thunderstorm"), miles(2 + static_cast<int>(v * 5))};
    if (temperature_f <= 33)
        return {rolls.intensity < 0.6 ? QStringLiteral("Light Snow") : QStringLiteral("Snow"),
                miles((rolls.intensity < 0.6 ? 3 : 2) + static_cast<int>(v * 3))};
    if (rolls.intensity < 0.45)
        return {QStringLiteral("Light Rain"), miles(5 + static_cast<int>(v * 4))};
    if (rolls.intensity < 0.9)
        return {QStringLiteral("Rain"), miles(3 + static_cast<int>(v * 4))};
    return {QStringLiteral("Heavy Rain"), miles(2 + static_cast<int>(v * 2))};
}

SkyWords sky_words(Regime regime, const SkyRolls& rolls, int temperature_f, bool daytime) {
    const double v = rolls.visibility_roll;
    switch (regime) {
    case Regime::Clear:
        return {daytime && rolls.word_roll < 0.6 ? QStringLiteral("Sunny")
                                                 : QStringLiteral("Clear")};
    case Regime::MostlyClear:
        return {daytime ? QStringLiteral("Mostly Sunny") : QStringLiteral("Mostly Clear")};
    case Regime::PartlyCloudy:
        return {QStringLiteral("Partly Cloudy")};
    case Regime::ScatteredClouds:
        return {QStringLiteral("Scattered Clouds")};
    case Regime::MostlyCloudy:
        return {QStringLiteral("Mostly Cloudy")};
    case Regime::Cloudy:
        return {QStringLiteral("Cloudy")};
    case Regime::Overcast:
        return {QStringLiteral("Overcast")};
    case Regime::Haze:
        return {QStringLiteral("Haze"), miles(4 + static_cast<int>(v * 4))};
    case Regime::Fog: {
        static const std::array<const char*, 3> fog{"0.2 mile", "0.5 mile", "0.8 mile"};
        return {QStringLiteral("Fog"), QString::fromLatin1(fog[static_cast<std::size_t>(v * 3)])};
    }
    case Regime::Mist:
        return {QStringLiteral("Mist"), miles(3 + static_cast<int>(v * 4))};
    case Regime::Drizzle:
        if (temperature_f <= 33)
            return {QStringLiteral("Light Snow"), miles(3 + static_cast<int>(v * 4))};
        return {rolls.intensity < 0.5 ? QStringLiteral("Light Drizzle") : QStringLiteral("Drizzle"),
                miles(5 + static_cast<int>(v * 5))};
    case Regime::Rain:
    case Regime::Thunderstorm:
        return precipitation_words(regime, rolls, temperature_f);
    }
    return {};
}

// The sky's humidity range, held under the highest dew point.
int sample_humidity(Regime regime, const PlaceFields& fields, int temperature_f) {
    const int humidity =
        std::min(in_range(humidity_range(regime),
                          fields.per_index(salt_humidity, hourly_cell, fields.hour_index)),
                 humidity_at_dew_point(temperature_f, highest_dew_point_f));
    return std::clamp(humidity, 12, 100);
}

// Wind: mostly light, stronger in rain and much stronger in thunderstorms, weak in fog.
QString sample_wind(Regime regime, const PlaceFields& fields) {
    const double calmness = (fields.smooth(salt_wind_speed, sky_cell, 12.0) + 1.0) / 2.0;
    double speed = 18.0 * calmness * calmness;
    if (wet(regime))
        speed += 4.0;
    if (regime == Regime::Thunderstorm)
        speed += 10.0;
    if (regime == Regime::Fog || regime == Regime::Mist)
        speed *= 0.4;
    const int mph = static_cast<int>(std::lround(speed));
    if (mph < 3)
        return QStringLiteral("Calm");
    const double bearing = 180.0 + 180.0 * fields.smooth(salt_wind_direction, sky_cell, 18.0);
    const auto point = static_cast<std::size_t>(std::lround(bearing / 22.5)) % compass.size();
    return QString::fromLatin1(compass[point]) + QStringLiteral(" at ") + QString::number(mph) +
           QStringLiteral(" mph");
}

// Pressure: lower in rain, higher under a clear sky.
QString sample_pressure(Regime regime, const PlaceFields& fields) {
    double pressure = 30.00 + 0.30 * fields.smooth(salt_pressure, broad_cell, 36.0);
    if (wet(regime))
        pressure -= 0.20;
    if (regime == Regime::Clear || regime == Regime::MostlyClear)
        pressure += 0.08;
    return QString::number(pressure, 'f', 2) + QStringLiteral(" in");
}

} // namespace

int heat_index_f(int temperature_f, int humidity) {
    const double t = temperature_f;
    const double rh = humidity;
    double hi = 0.5 * (t + 61.0 + (t - 68.0) * 1.2 + rh * 0.094);
    if ((hi + t) / 2.0 >= 80.0) {
        hi = -42.379 + 2.04901523 * t + 10.14333127 * rh - 0.22475541 * t * rh -
             0.00683783 * t * t - 0.05481717 * rh * rh + 0.00122874 * t * t * rh +
             0.00085282 * t * rh * rh - 0.00000199 * t * t * rh * rh;
        if (rh < 13.0 && t >= 80.0 && t <= 112.0)
            hi -= (13.0 - rh) / 4.0 * std::sqrt((17.0 - std::fabs(t - 95.0)) / 17.0);
        else if (rh > 85.0 && t >= 80.0 && t <= 87.0)
            hi += (rh - 85.0) / 10.0 * ((87.0 - t) / 5.0);
    }
    return static_cast<int>(std::lround(hi));
}

SampleWeather sample_weather(const HostPlace& place, long long hour_index,
                             long long observed_unix_ms) {
    const PlaceFields fields{place.latitude, place.longitude, hour_index};
    SampleWeather w;

    // The sky holds for three hours at a time.
    const long long block = hour_index >= 0 ? hour_index / 3 : (hour_index - 2) / 3;
    Regime regime = pick_regime(fields.per_index(salt_sky, sky_cell, block));
    w.temperature_f = sample_temperature(place, fields, regime, observed_unix_ms);
    // Fog and mist need air near saturation, which hot air does not reach here.
    if ((regime == Regime::Fog || regime == Regime::Mist) && w.temperature_f >= 80)
        regime = Regime::Haze;

    const bool daytime = sun_altitude(julian_day_from_unix_ms(observed_unix_ms), place.latitude,
                                      place.longitude) > 0.0;
    const SkyRolls rolls{fields.per_index(salt_intensity, sky_cell, block),
                         fields.per_index(salt_sky_words, sky_cell, block),
                         fields.per_index(salt_visibility, hourly_cell, hour_index)};
    SkyWords words = sky_words(regime, rolls, w.temperature_f, daytime);
    w.sky = std::move(words.sky);
    w.visibility = std::move(words.visibility);

    w.humidity = sample_humidity(regime, fields, w.temperature_f);
    if (w.temperature_f >= 80)
        w.heat_index_f = heat_index_f(w.temperature_f, w.humidity);
    w.wind = sample_wind(regime, fields);
    w.pressure = sample_pressure(regime, fields);
    return w;
}
