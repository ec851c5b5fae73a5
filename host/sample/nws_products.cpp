#include "sample/nws_products.h"

#include "locations/catalogue.h"
#include "sample/conditions_page.h"
#include "sample/host_places.h"
#include "sample/host_text.h"
#include "sample/local_zone.h"
#include "sample/nws_zones.h"
#include "sample/sample_weather.h"
#include "sample/seeded_random.h"

#include <QDate>
#include <QMap>
#include <algorithm>
#include <array>
#include <cmath>

namespace {

constexpr long long ms_per_hour = 3600000;
// Observations are taken at nine minutes before the hour, as on the conditions pages.
constexpr long long observation_lead_ms = 9 * 60000;

const QString iwin_prefix = QStringLiteral("/iwin/");

struct ProductInfo {
    NwsProduct product;
    const char* file;
    const char* title;   // the page title after the state's name
    const char* heading; // the product's first line
    const char* wmo;     // WMO heading and product identifier
    const char* awips;
};

// clang-format off
constexpr std::array<ProductInfo, 6> products{{
    {NwsProduct::Zone,      "zone.html",        "Zone Forecasts",              "ZONE FORECAST PRODUCT",        "FPUS53", "ZFP"},
    {NwsProduct::ShortTerm, "shortterm.html",   "Short Term Forecast",         "SHORT TERM FORECAST",          "FPUS73", "NOW"},
    {NwsProduct::Public,    "public.html",      "Public Information",          "PUBLIC INFORMATION STATEMENT", "NOUS43", "PNS"},
    {NwsProduct::Warnings,  "allwarnings.html", "Warnings and Advisories",     "WARNINGS AND ADVISORIES",      "WWUS43", "WSW"},
    {NwsProduct::Special,   "special.html",     "Special Weather Statements",  "SPECIAL WEATHER STATEMENT",    "WWUS83", "SPS"},
    {NwsProduct::Hydro,     "hydro.html",       "Hydrological Data",           "HYDROLOGIC SUMMARY",           "SXUS53", "HYD"},
}};
// clang-format on

const ProductInfo& info(NwsProduct product) {
    return products[static_cast<std::size_t>(product)];
}

const char* const day_names[] = {"MONDAY", "TUESDAY",  "WEDNESDAY", "THURSDAY",
                                 "FRIDAY", "SATURDAY", "SUNDAY"};
const char* const month_abbreviations[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                           "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};

std::optional<HostPlace> weather_place(const NwsZone& zone) {
    return zone.weather_key.contains(u'/') ? place_for_city_path(zone.weather_key)
                                           : place_for_zip(zone.weather_key);
}

SampleWeather weather_at(const HostPlace& place, long long hour_index) {
    return sample_weather(place, hour_index, hour_index * ms_per_hour - observation_lead_ms);
}

QDateTime local_date_time(const HostPlace& place, long long unix_ms, LocalClock* clock_out) {
    const LocalClock clock = local_clock(place.zone, unix_ms);
    if (clock_out)
        *clock_out = clock;
    return QDateTime::fromMSecsSinceEpoch(clock.local_ms, Qt::UTC);
}

// "1000 AM CST TUE DEC 8 2026".
QString issuance_line(const HostPlace& place, long long unix_ms) {
    LocalClock clock;
    const QDateTime t = local_date_time(place, unix_ms, &clock);
    const int hour24 = t.time().hour();
    const int hour12 = hour24 % 12 == 0 ? 12 : hour24 % 12;
    return QString::number(hour12) +
           QStringLiteral("%1").arg(t.time().minute(), 2, 10, QChar(u'0')) +
           (hour24 < 12 ? QStringLiteral(" AM ") : QStringLiteral(" PM ")) +
           clock.zone_name.toUpper() + u' ' +
           QString::fromLatin1(day_names[t.date().dayOfWeek() - 1]).left(3) + u' ' +
           QString::fromLatin1(month_abbreviations[t.date().month() - 1]) + u' ' +
           QString::number(t.date().day()) + u' ' + QString::number(t.date().year());
}

// "951 AM CST": the time of the observation behind the page hour.
QString observation_time(const HostPlace& place, long long hour_index) {
    const QString line = issuance_line(place, hour_index * ms_per_hour - observation_lead_ms);
    return line.section(u' ', 0, 2);
}

// "081500": day, hour and minute in UT, as WMO headings and expiry codes carry them.
QString utc_stamp(long long unix_ms) {
    const QDateTime t = QDateTime::fromMSecsSinceEpoch(unix_ms, Qt::UTC);
    return t.toString(QStringLiteral("ddHHmm"));
}

// "Louisiana": the state's name as page titles show it.
QString state_full_name(const QString& state_code) {
    for (const StateRow& row : state_table())
        if (row.code == state_code && !row.split_only)
            return row.full_name;
    return state_code;
}

// --- Forecast words --------------------------------------------------------------------------

enum class Wet { None, Drizzle, Rain, Snow, Thunderstorms };

Wet wet_kind(const QString& sky) {
    if (sky.contains(QStringLiteral("Thunderstorm")))
        return Wet::Thunderstorms;
    if (sky.contains(QStringLiteral("Snow")))
        return Wet::Snow;
    if (sky.contains(QStringLiteral("Rain")))
        return Wet::Rain;
    if (sky.contains(QStringLiteral("Drizzle")))
        return Wet::Drizzle;
    return Wet::None;
}

QString wet_word(Wet wet) {
    switch (wet) {
    case Wet::Drizzle:
        return QStringLiteral("DRIZZLE");
    case Wet::Snow:
        return QStringLiteral("SNOW");
    case Wet::Thunderstorms:
        return QStringLiteral("THUNDERSTORMS");
    default:
        return QStringLiteral("RAIN");
    }
}

// The forecast's words for a dry sky of the conditions pages.
QString dry_sky_words(const QString& sky, bool day) {
    if (sky == u"Sunny" || sky == u"Clear")
        return day ? QStringLiteral("SUNNY") : QStringLiteral("CLEAR");
    if (sky == u"Mostly Sunny" || sky == u"Mostly Clear")
        return day ? QStringLiteral("MOSTLY SUNNY") : QStringLiteral("MOSTLY CLEAR");
    if (sky == u"Partly Cloudy" || sky == u"Scattered Clouds")
        return QStringLiteral("PARTLY CLOUDY");
    if (sky == u"Mostly Cloudy")
        return QStringLiteral("MOSTLY CLOUDY");
    if (sky == u"Haze")
        return QStringLiteral("HAZY");
    if (sky == u"Fog")
        return QStringLiteral("AREAS OF FOG");
    if (sky == u"Mist")
        return QStringLiteral("PATCHY FOG");
    return QStringLiteral("CLOUDY");
}

// "IN THE MID 40S", "IN THE UPPER TEENS", "AROUND ZERO", "AROUND 10 BELOW".
QString temperature_words(int f) {
    if (f < 10) {
        const int r = static_cast<int>(std::lround(f / 5.0)) * 5;
        if (r == 0)
            return QStringLiteral("AROUND ZERO");
        return r < 0 ? QStringLiteral("AROUND %1 BELOW").arg(-r)
                     : QStringLiteral("AROUND %1").arg(r);
    }
    const int unit = f % 10;
    const QString part = unit <= 3   ? QStringLiteral("LOWER")
                         : unit <= 6 ? QStringLiteral("MID")
                                     : QStringLiteral("UPPER");
    const int decade = f - unit;
    return QStringLiteral("IN THE ") + part + u' ' +
           (decade == 10 ? QStringLiteral("TEENS") : QString::number(decade) + u'S');
}

struct Wind {
    QString direction; // "NORTHWEST"; empty when calm
    int mph = 0;
};

Wind parse_wind(const QString& text) {
    // "NW at 12 mph" or "Calm"
    const QStringList words = text.split(u' ');
    if (words.size() < 3)
        return {};
    static const QMap<QString, QString> names{{QStringLiteral("N"), QStringLiteral("NORTH")},
                                              {QStringLiteral("E"), QStringLiteral("EAST")},
                                              {QStringLiteral("S"), QStringLiteral("SOUTH")},
                                              {QStringLiteral("W"), QStringLiteral("WEST")},
                                              {QStringLiteral("NE"), QStringLiteral("NORTHEAST")},
                                              {QStringLiteral("SE"), QStringLiteral("SOUTHEAST")},
                                              {QStringLiteral("SW"), QStringLiteral("SOUTHWEST")},
                                              {QStringLiteral("NW"), QStringLiteral("NORTHWEST")}};
    // "NNE" blows mostly from the north, "ENE" mostly from the east.
    const QString code = words[0].size() == 3 ? words[0].left(1) : words[0];
    return {names.value(code), words[2].toInt()};
}

QString wind_words(const std::vector<SampleWeather>& samples) {
    int total = 0;
    for (const SampleWeather& w : samples)
        total += parse_wind(w.wind).mph;
    const int mph = total / static_cast<int>(samples.size());
    const Wind middle = parse_wind(samples[samples.size() / 2].wind);
    if (mph < 5 || middle.direction.isEmpty())
        return QStringLiteral("LIGHT WINDS.");
    const int low = mph / 5 * 5;
    return middle.direction + QStringLiteral(" WINDS %1 TO %2 MPH.").arg(low).arg(low + 5);
}

// The sky and precipitation of a stretch of hours: "PARTLY CLOUDY WITH A CHANCE OF RAIN." and
// "CHANCE OF RAIN 40 PERCENT." (empty when dry).
struct SkyWords {
    QString sky;
    QString chance;
};

SkyWords sky_words(const std::vector<SampleWeather>& samples, bool day) {
    QMap<QString, int> dry;
    int wet_count = 0;
    Wet wet = Wet::None;
    for (const SampleWeather& w : samples) {
        const Wet kind = wet_kind(w.sky);
        if (kind == Wet::None) {
            ++dry[dry_sky_words(w.sky, day)];
        } else {
            ++wet_count;
            wet = std::max(wet, kind);
        }
    }
    QString dominant = QStringLiteral("CLOUDY");
    int most = 0;
    for (auto it = dry.cbegin(); it != dry.cend(); ++it)
        if (it.value() > most) {
            most = it.value();
            dominant = it.key();
        }
    if (wet_count == 0)
        return {dominant + u'.', {}};
    const int percent = std::clamp(
        static_cast<int>(std::lround(10.0 * wet_count / static_cast<double>(samples.size()))) * 10,
        20, 100);
    const QString word = wet_word(wet);
    SkyWords words;
    if (percent >= 80)
        words.sky = wet == Wet::Thunderstorms ? QStringLiteral("SHOWERS AND THUNDERSTORMS.")
                    : wet == Wet::Drizzle     ? QStringLiteral("CLOUDY WITH DRIZZLE.")
                                              : word + u'.';
    else if (percent >= 60)
        words.sky = QStringLiteral("CLOUDY WITH ") + word + QStringLiteral(" LIKELY.");
    else
        // Rain does not fall from a clear sky.
        words.sky = (dominant.contains(QStringLiteral("SUNNY")) ||
                             dominant.contains(QStringLiteral("CLEAR"))
                         ? QStringLiteral("PARTLY CLOUDY")
                         : dominant) +
                    QStringLiteral(" WITH A CHANCE OF ") + word + u'.';
    words.chance =
        QStringLiteral("CHANCE OF ") + word + QStringLiteral(" %1 PERCENT.").arg(percent);
    return words;
}

// Samples every three hours from `from` (inclusive) to `to` (exclusive), UTC hour indexes.
std::vector<SampleWeather> samples_between(const HostPlace& place, long long from, long long to) {
    std::vector<SampleWeather> samples;
    for (long long h = from; h < to || samples.empty(); h += 3)
        samples.push_back(weather_at(place, h));
    return samples;
}

int highest(const std::vector<SampleWeather>& samples) {
    int t = samples.front().temperature_f;
    for (const SampleWeather& w : samples)
        t = std::max(t, w.temperature_f);
    return t;
}

int lowest(const std::vector<SampleWeather>& samples) {
    int t = samples.front().temperature_f;
    for (const SampleWeather& w : samples)
        t = std::min(t, w.temperature_f);
    return t;
}

// Lines of a text wrapped at 66 columns, as the bulletins were set.
QString wrapped(const QString& text) {
    QString out;
    qsizetype line_start = 0;
    for (const QString& word : text.split(u' ', Qt::SkipEmptyParts)) {
        if (out.size() > line_start && out.size() - line_start + 1 + word.size() > 66) {
            out += u'\n';
            line_start = out.size();
        } else if (out.size() > line_start) {
            out += u' ';
        }
        out += word;
    }
    return out + u'\n';
}

// The zone forecast's periods from the page hour: today (or tonight), then day and night by
// name, then three days of extended forecast.
QString zone_forecast_text(const HostPlace& place, long long hour_index) {
    const long long now_ms = hour_index * ms_per_hour;
    LocalClock clock;
    const QDateTime local = local_date_time(place, now_ms, &clock);
    const long long offset_ms = clock.offset_seconds * 1000LL;
    const int hour = local.time().hour();
    // Local 6 AM of the first forecast day, as UT milliseconds.
    const QDateTime six = QDateTime(local.date(), QTime(6, 0), Qt::UTC);
    long long start_ms = six.toMSecsSinceEpoch() - offset_ms;
    if (hour < 6)
        start_ms -= 24 * ms_per_hour;
    const auto hour_of = [](long long ms) { return ms / ms_per_hour; };

    QString text;
    // Periods of twelve hours from start_ms; the one holding the page hour comes first.
    long long period_start = start_ms + (hour >= 18 || hour < 6 ? 12 : 0) * ms_per_hour;
    QDate day = local.date();
    if (hour < 6)
        day = day.addDays(-1);
    for (int period = 0; period < 5; ++period, period_start += 12 * ms_per_hour) {
        const bool daytime = ((period_start - start_ms) / (12 * ms_per_hour)) % 2 == 0;
        const QDate period_day = day.addDays((period_start - start_ms) / (24 * ms_per_hour));
        QString name;
        if (period == 0 && !daytime && hour < 6)
            name = QStringLiteral("REST OF TONIGHT");
        else if (period_day == local.date())
            name = daytime ? QStringLiteral("TODAY") : QStringLiteral("TONIGHT");
        else
            name = QString::fromLatin1(day_names[period_day.dayOfWeek() - 1]) +
                   (daytime ? QString() : QStringLiteral(" NIGHT"));
        const long long from = period == 0 ? hour_index : hour_of(period_start);
        const std::vector<SampleWeather> samples =
            samples_between(place, from, hour_of(period_start + 12 * ms_per_hour));
        const SkyWords sky = sky_words(samples, daytime);
        QString words = u'.' + name + QStringLiteral("...") + sky.sky + u' ' +
                        (daytime ? QStringLiteral("HIGHS ") + temperature_words(highest(samples))
                                 : QStringLiteral("LOWS ") + temperature_words(lowest(samples))) +
                        QStringLiteral(". ") + wind_words(samples);
        if (!sky.chance.isEmpty())
            words += u' ' + sky.chance;
        text += wrapped(words);
    }
    text += QStringLiteral(".EXTENDED FORECAST...\n");
    for (int extra = 0; extra < 3; ++extra, period_start += 24 * ms_per_hour) {
        // A day starts at local 6 AM: the morning low, then the afternoon high.
        const long long day_start =
            period_start + (period_start - start_ms) / (12 * ms_per_hour) % 2 * 12 * ms_per_hour;
        const QDate the_day = day.addDays((day_start - start_ms) / (24 * ms_per_hour));
        const std::vector<SampleWeather> samples =
            samples_between(place, hour_of(day_start) - 6, hour_of(day_start) + 18);
        const SkyWords sky = sky_words(samples, true);
        text += wrapped(u'.' + QString::fromLatin1(day_names[the_day.dayOfWeek() - 1]) +
                        QStringLiteral("...") + sky.sky + QStringLiteral(" LOWS ") +
                        temperature_words(lowest(samples)) + QStringLiteral(". HIGHS ") +
                        temperature_words(highest(samples)) + u'.');
    }
    return text;
}

QString temperature_trend(int now, int later) {
    // "IN THE LOWER 80S" reads "INTO THE LOWER 80S"; "AROUND ZERO" reads "TO AROUND ZERO".
    const QString words = temperature_words(later);
    const QString target = words.startsWith(QStringLiteral("IN "))
                               ? QStringLiteral("INTO") + words.mid(2)
                               : QStringLiteral("TO ") + words;
    if (later >= now + 3)
        return QStringLiteral("RISING ") + target;
    if (later <= now - 3)
        return QStringLiteral("FALLING ") + target;
    return QStringLiteral("HOLDING STEADY");
}

// The nowcast: the weather at the page hour, then the three hours ahead.
QString short_term_text(const HostPlace& place, long long hour_index) {
    const SampleWeather now = weather_at(place, hour_index);
    const std::vector<SampleWeather> ahead = samples_between(place, hour_index + 1, hour_index + 4);
    const QString until = issuance_line(place, (hour_index + 3) * ms_per_hour).section(u' ', 0, 1);
    const Wind wind = parse_wind(now.wind);
    QString words = QStringLiteral("AT ") + observation_time(place, hour_index) +
                    QStringLiteral("...") + now.sky.toUpper() +
                    QStringLiteral(" WITH A TEMPERATURE OF %1 DEGREES").arg(now.temperature_f) +
                    (wind.direction.isEmpty()
                         ? QStringLiteral(" AND LIGHT WINDS.")
                         : (wind.direction.startsWith(u'E') ? QStringLiteral(" AND AN ")
                                                            : QStringLiteral(" AND A ")) +
                               wind.direction + QStringLiteral(" WIND AT %1 MPH.").arg(wind.mph));
    const int later = ahead.back().temperature_f;
    const SkyWords sky = sky_words(ahead, true);
    words += QStringLiteral(" THROUGH ") + until + QStringLiteral("...") + sky.sky +
             QStringLiteral(" TEMPERATURES ") + temperature_trend(now.temperature_f, later) +
             QStringLiteral(". ") + wind_words(ahead);
    return QStringLiteral(".NOW...\n") + wrapped(words);
}

QString observation_text(const HostPlace& place, long long hour_index) {
    const SampleWeather w = weather_at(place, hour_index);
    const Wind wind = parse_wind(w.wind);
    QString pressure = w.pressure;
    pressure.replace(QStringLiteral(" in"), QStringLiteral(" INCHES"));
    return wrapped(u'.' + QStringLiteral("AT ") + observation_time(place, hour_index) +
                   QStringLiteral("...") + w.sky.toUpper() +
                   QStringLiteral(". TEMPERATURE %1. HUMIDITY %2 PERCENT. ")
                       .arg(w.temperature_f)
                       .arg(w.humidity) +
                   (wind.direction.isEmpty() ? QStringLiteral("WIND CALM.")
                                             : QStringLiteral("WIND ") + wind.direction +
                                                   QStringLiteral(" AT %1 MPH.").arg(wind.mph)) +
                   QStringLiteral(" PRESSURE ") + pressure + QStringLiteral(". VISIBILITY ") +
                   w.visibility.toUpper() + u'.');
}

// The warning or advisory the weather at the page hour calls for; empty when none.
QString hazard_text(const HostPlace& place, long long hour_index) {
    const SampleWeather w = weather_at(place, hour_index);
    const QString until = issuance_line(place, (hour_index + 6) * ms_per_hour).section(u' ', 0, 2);
    QString hazard;
    QString what;
    if (w.sky == u"Thunderstorm") {
        hazard = QStringLiteral("SEVERE THUNDERSTORM WATCH");
        what = QStringLiteral("THUNDERSTORMS MAY PRODUCE DAMAGING WINDS AND LARGE HAIL.");
    } else if (w.sky == u"Heavy Rain") {
        hazard = QStringLiteral("FLOOD WATCH");
        what = QStringLiteral("HEAVY RAIN MAY FLOOD LOW SPOTS AND SMALL STREAMS.");
    } else if (w.sky == u"Snow") {
        hazard = QStringLiteral("WINTER WEATHER ADVISORY");
        what = QStringLiteral("SNOW WILL MAKE TRAVEL DIFFICULT. SLOW DOWN AND ALLOW EXTRA TIME.");
    } else if (w.sky == u"Fog" && w.visibility != u"0.8 mile") {
        hazard = QStringLiteral("DENSE FOG ADVISORY");
        what = QStringLiteral("VISIBILITY ") + w.visibility.toUpper() +
               QStringLiteral(" OR LESS IN FOG. USE LOW BEAMS WHEN DRIVING.");
    } else if (w.heat_index_f && *w.heat_index_f >= 105) {
        hazard = QStringLiteral("HEAT ADVISORY");
        what = QStringLiteral("HEAT INDEX VALUES AROUND %1. DRINK PLENTY OF WATER.")
                   .arg(*w.heat_index_f);
    } else if (parse_wind(w.wind).mph >= 25) {
        hazard = QStringLiteral("WIND ADVISORY");
        what = QStringLiteral("WINDS OF %1 MPH. SECURE LOOSE OBJECTS.").arg(parse_wind(w.wind).mph);
    } else {
        return {};
    }
    return QStringLiteral("...") + hazard + QStringLiteral(" IN EFFECT UNTIL ") + until +
           QStringLiteral("...\n\n") + wrapped(what);
}

// A special weather statement for rain, snow, storms or fog in the three hours ahead.
QString special_text(const HostPlace& place, long long hour_index) {
    const std::vector<SampleWeather> ahead = samples_between(place, hour_index, hour_index + 4);
    for (const SampleWeather& w : ahead) {
        const Wet wet = wet_kind(w.sky);
        if (wet == Wet::None && w.sky != u"Fog" && w.sky != u"Mist")
            continue;
        const QString until =
            issuance_line(place, (hour_index + 3) * ms_per_hour).section(u' ', 0, 2);
        const QString what = wet == Wet::None ? QStringLiteral("PATCHY FOG") : wet_word(wet);
        return wrapped(QStringLiteral("...") + what + QStringLiteral(" THROUGH ") + until +
                       QStringLiteral("...") + QStringLiteral(" ") + what +
                       QStringLiteral(" WILL AFFECT THE AREA OVER THE NEXT FEW HOURS. "
                                      "VISIBILITY MAY DROP TO ") +
                       w.visibility.toUpper() + QStringLiteral(" AT TIMES."));
    }
    return {};
}

// Water of one hour of each sky, inches.
double hourly_precipitation(const QString& sky) {
    static const QMap<QString, double> inches{
        {QStringLiteral("Light Drizzle"), 0.01}, {QStringLiteral("Drizzle"), 0.02},
        {QStringLiteral("Light Rain"), 0.04},    {QStringLiteral("Rain"), 0.10},
        {QStringLiteral("Heavy Rain"), 0.30},    {QStringLiteral("Thunderstorm"), 0.35},
        {QStringLiteral("Light Snow"), 0.01},    {QStringLiteral("Snow"), 0.04}};
    return inches.value(sky, 0.0);
}

QString hydro_text(const HostPlace& place, long long hour_index) {
    double total = 0.0;
    int snow_hours = 0;
    for (long long h = hour_index - 23; h <= hour_index; ++h) {
        const SampleWeather w = weather_at(place, h);
        total += hourly_precipitation(w.sky);
        snow_hours += w.sky.contains(QStringLiteral("Snow")) ? 1 : 0;
    }
    QString amount = total < 0.005 ? QStringLiteral("NONE")
                                   : QString::number(total, 'f', 2) + QStringLiteral(" INCH");
    QString words = QStringLiteral(".24 HOUR PRECIPITATION ENDING ") +
                    observation_time(place, hour_index) + QStringLiteral("...") + amount + u'.';
    if (snow_hours > 0)
        words += QStringLiteral(" SNOW FELL DURING %1 OF THE LAST 24 HOURS.").arg(snow_hours);
    return wrapped(words);
}

// A zone's section: code line, counties, places, issuance line, text, "$$".
QString section(const NwsZone& zone, const QString& issued, long long expires_ms,
                const QString& text) {
    QString out = zone.code + u'-' + utc_stamp(expires_ms) + QStringLiteral("-\n");
    out += zone.counties.join(u'-') + QStringLiteral("-\n");
    if (!zone.cities.isEmpty())
        out += QStringLiteral("INCLUDING THE CITIES OF...") +
               zone.cities.join(QStringLiteral("...")) + u'\n';
    out += issued + QStringLiteral("\n\n") + text + QStringLiteral("$$\n\n");
    return out;
}

// The larger places' zones: those whose weather follows a catalogue city.
bool has_catalogue_city(const NwsZone& zone) {
    return zone.weather_key.contains(u'/');
}

QString html_page(const QString& title, const QString& preformatted, const QString& note,
                  const QString& marker) {
    const QString heading = marker.isEmpty() ? title : title + u' ' + marker;
    return QStringLiteral("<html>\n<head>\n<title>") + heading +
           QStringLiteral("</title>\n</head>\n<body bgcolor=\"#ffffff\">\n<h2>") + heading +
           QStringLiteral("</h2>\n<pre>\n") + preformatted + QStringLiteral("</pre>\n<p><i>") +
           note + QStringLiteral("</i></p>\n</body>\n</html>\n");
}

QString product_page(NwsProduct product, const QString& state, const std::vector<NwsZone>& zones,
                     long long hour_index, const QString& notice) {
    const ProductInfo& p = info(product);
    const long long issued_ms = hour_index * ms_per_hour;
    const long long expires_ms =
        issued_ms + (product == NwsProduct::ShortTerm ? 3 : 12) * ms_per_hour;

    QString body;
    QString issued;
    int sections = 0;
    for (const NwsZone& zone : zones) {
        if ((product == NwsProduct::Public || product == NwsProduct::Hydro) &&
            !has_catalogue_city(zone))
            continue;
        const std::optional<HostPlace> place = weather_place(zone);
        if (!place)
            continue;
        const QString line = issuance_line(*place, issued_ms);
        if (issued.isEmpty())
            issued = line;
        QString text;
        switch (product) {
        case NwsProduct::Zone:
            text = zone_forecast_text(*place, hour_index);
            break;
        case NwsProduct::ShortTerm:
            text = short_term_text(*place, hour_index);
            break;
        case NwsProduct::Public:
            text = observation_text(*place, hour_index);
            break;
        case NwsProduct::Warnings:
            text = hazard_text(*place, hour_index);
            break;
        case NwsProduct::Special:
            text = special_text(*place, hour_index);
            break;
        case NwsProduct::Hydro:
            text = hydro_text(*place, hour_index);
            break;
        }
        if (text.isEmpty())
            continue;
        body += section(zone, line, expires_ms, text);
        ++sections;
    }
    if (sections == 0)
        body =
            (product == NwsProduct::Warnings
                 ? QStringLiteral("NO WARNINGS OR ADVISORIES ARE IN EFFECT AT THIS TIME.\n")
                 : QStringLiteral("NO SPECIAL WEATHER STATEMENTS ARE IN EFFECT AT THIS TIME.\n")) +
            QStringLiteral("\n$$\n\n");
    if (issued.isEmpty() && !zones.empty())
        if (const std::optional<HostPlace> place = weather_place(zones.front()))
            issued = issuance_line(*place, issued_ms);

    const QString head = QString::fromLatin1(p.wmo) + QStringLiteral(" KWBC ") +
                         utc_stamp(issued_ms) + u'\n' + QString::fromLatin1(p.awips) + state +
                         QStringLiteral("\n\n") + QString::fromLatin1(p.heading) +
                         QStringLiteral("\nNATIONAL WEATHER SERVICE\n") + issued +
                         QStringLiteral("\n\n");
    return html_page(nws_page_title(product, state), head + body,
                     notice.isEmpty()
                         ? QStringLiteral("Sample bulletin made up by nimbrix-host from its "
                                          "sample weather; not an official forecast.")
                         : notice,
                     sample_marker);
}

} // namespace

QString nws_page_title(NwsProduct product, const QString& state_code) {
    return state_full_name(state_code) + u' ' + QString::fromLatin1(info(product).title);
}

QString nws_product_heading(NwsProduct product) {
    return QString::fromLatin1(info(product).heading);
}

QString nws_bulletin_page(NwsProduct product, const QString& state_code,
                          const QString& preformatted, const QString& note, const QString& marker) {
    return html_page(nws_page_title(product, state_code), preformatted, note, marker);
}

QString nws_zone_time(const NwsZone& zone, long long unix_ms) {
    const std::optional<HostPlace> place = weather_place(zone);
    return place ? issuance_line(*place, unix_ms) : QString();
}

QString nws_not_available_page(NwsProduct product, const QString& state_code) {
    const QString title = nws_page_title(product, state_code);
    return QStringLiteral("<html>\n<head>\n<title>") + title +
           QStringLiteral("</title>\n</head>\n<body bgcolor=\"#ffffff\">\n<h2>") + title +
           QStringLiteral(
               "</h2>\n<p>This product is not currently available.</p>\n</body>\n</html>\n");
}

std::optional<NwsProduct> nws_product_for_file(const QString& file) {
    for (const ProductInfo& p : products)
        if (file == QLatin1String(p.file))
            return p.product;
    return std::nullopt;
}

bool nws_product_available(NwsProduct product, const QString& state_code) {
    if (product == NwsProduct::Zone || product == NwsProduct::ShortTerm)
        return true;
    const std::uint64_t h = stable_key_hash(QLatin1String(info(product).file) + state_code);
    return mix64(h) % 3 != 0;
}

std::optional<QString> nws_page(NwsProduct product, const QString& state_code,
                                const QDateTime& now_utc, const QString& notice) {
    const std::vector<NwsZone>& zones = nws_zones(state_code);
    if (zones.empty())
        return std::nullopt;
    if (!nws_product_available(product, state_code))
        return nws_not_available_page(product, state_code);
    const long long hour_index = page_hour(now_utc).toMSecsSinceEpoch() / ms_per_hour;
    return product_page(product, state_code, zones, hour_index, notice);
}

std::optional<HostReply> answer_nws(const HostRequest& request, const QDateTime& now_utc,
                                    const NwsPageSource& source) {
    if (!request.path.startsWith(iwin_prefix))
        return std::nullopt;
    const QStringList parts = request.path.mid(iwin_prefix.size()).split(u'/');
    if (parts.size() != 2)
        return std::nullopt;
    const std::optional<NwsProduct> product = nws_product_for_file(parts[1]);
    if (!product)
        return std::nullopt;
    const QString state = parts[0].toUpper();
    std::optional<TimedPage> page;
    if (source) {
        page = source(*product, state, now_utc);
    } else if (std::optional<QString> sample = nws_page(*product, state, now_utc)) {
        // A sample bulletin is made for its hour.
        const long long hour_ms = page_hour(now_utc).toMSecsSinceEpoch();
        page = TimedPage{*sample, hour_ms, hour_ms + ms_per_hour};
    }
    if (!page)
        return std::nullopt;
    HostReply reply{200, conditions_content_type, encode_windows_1252(page->page)};
    reply.made_ms = page->made_ms;
    reply.until_ms = page->until_ms;
    return reply;
}
