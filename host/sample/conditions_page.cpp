#include "sample/conditions_page.h"

#include "sample/host_places.h"
#include "sample/host_text.h"
#include "sample/local_zone.h"
#include "sample/sky_events.h"

#include <QDate>
#include <cmath>

namespace {

constexpr long long ms_per_hour = 3600000;
constexpr long long ms_per_day = 86400000;
// Observations are taken at nine minutes before the hour.
constexpr long long observation_lead_ms = 9 * 60000;

const char* const month_names[] = {"January",   "February", "March",    "April",
                                   "May",       "June",     "July",     "August",
                                   "September", "October",  "November", "December"};

// A rise or set as the page shows it: the first within two days from local midnight (the
// day's own, or the next day's when the day has none), else what the body does all along.
QString event_text(const PlaceZone& zone, const RiseSet& events, bool rise, const QString& up_text,
                   const QString& down_text) {
    if (const std::optional<double> event = rise ? events.rise : events.set) {
        const long long ms = unix_ms_from_julian_day(*event);
        return clock_text(local_clock(zone, ms).local_ms);
    }
    return events.above_all_window ? up_text : down_text;
}

QString temperature_text(int f) {
    return QString::number(f) + QStringLiteral("&#176;F");
}

} // namespace

QDateTime page_hour(const QDateTime& moment) {
    const long long ms = moment.toMSecsSinceEpoch();
    const long long hour = ms >= 0 ? ms / ms_per_hour : (ms - ms_per_hour + 1) / ms_per_hour;
    return QDateTime::fromMSecsSinceEpoch(hour * ms_per_hour, Qt::UTC);
}

QString clock_text(long long local_ms) {
    const long long shifted = local_ms + 30000;
    const long long minute = shifted >= 0 ? shifted / 60000 : -((-shifted + 59999) / 60000);
    const long long minute_of_day = (minute % 1440 + 1440) % 1440;
    const int hour24 = static_cast<int>(minute_of_day / 60);
    const int minutes = static_cast<int>(minute_of_day % 60);
    const int hour12 = hour24 % 12 == 0 ? 12 : hour24 % 12;
    return QString::number(hour12) + u':' + QStringLiteral("%1").arg(minutes, 2, 10, QChar(u'0')) +
           (hour24 < 12 ? QStringLiteral(" AM") : QStringLiteral(" PM"));
}

QString observed_text(const PlaceZone& zone, long long unix_ms, const QString& marker) {
    const LocalClock clock = local_clock(zone, unix_ms);
    const QDate local_date = QDateTime::fromMSecsSinceEpoch(clock.local_ms, Qt::UTC).date();
    return clock_text(clock.local_ms) + u' ' + clock.zone_name + u' ' + marker +
           QStringLiteral(" on ") + QString::fromLatin1(month_names[local_date.month() - 1]) +
           u' ' + QString::number(local_date.day()) + QStringLiteral(", ") +
           QString::number(local_date.year());
}

ConditionsSample conditions_sample(const HostPlace& place, const QDateTime& hour_utc) {
    const long long hour_ms = page_hour(hour_utc).toMSecsSinceEpoch();
    const long long hour_index = hour_ms / ms_per_hour;
    const long long observed_ms = hour_ms - observation_lead_ms;
    const PlaceZone& zone = place.zone;

    ConditionsSample s;
    s.weather = sample_weather(place, hour_index, observed_ms);

    const LocalClock clock = local_clock(zone, observed_ms);
    s.observed = observed_text(zone, observed_ms, sample_marker);

    // Local midnight of the observation's date, as UT.
    const long long local_midnight_ms =
        (clock.local_ms - ((clock.local_ms % ms_per_day) + ms_per_day) % ms_per_day);
    const double midnight_jd =
        julian_day_from_unix_ms(local_midnight_ms - clock.offset_seconds * 1000LL);

    const RiseSet sun = sun_rise_set(midnight_jd, 2.0, place.latitude, place.longitude);
    const QString midnight_sun = QStringLiteral("Midnight sun");
    const QString polar_night = QStringLiteral("Polar night");
    s.sunrise = event_text(zone, sun, true, midnight_sun, polar_night);
    s.sunset = event_text(zone, sun, false, midnight_sun, polar_night);

    const RiseSet moon = moon_rise_set(midnight_jd, 2.0, place.latitude, place.longitude);
    const QString up = QStringLiteral("Up all day");
    const QString down = QStringLiteral("Down all day");
    s.moon_rise = event_text(zone, moon, true, up, down);
    s.moon_set = event_text(zone, moon, false, up, down);

    const MoonPhaseInfo phase = moon_phase_info(julian_day_from_unix_ms(observed_ms));
    s.moon_phase = QString::fromLatin1(moon_phase_name(phase.elongation)) + QStringLiteral(", ") +
                   QString::number(std::lround(phase.illuminated * 100.0)) +
                   QStringLiteral("% of the Moon is illuminated");
    return s;
}

QString conditions_page(const HostPlace& place, const QDateTime& hour_utc) {
    return conditions_page(place, hour_utc, QString());
}

QString conditions_page(const HostPlace& place, const QDateTime& hour_utc, const QString& notice) {
    const ConditionsSample s = conditions_sample(place, hour_utc);
    const SampleWeather& w = s.weather;
    PageValues v;
    v.observed = s.observed;
    v.temperature = temperature_text(w.temperature_f);
    if (w.heat_index_f)
        v.heat_index = temperature_text(*w.heat_index_f);
    v.humidity = QString::number(w.humidity) + u'%';
    v.wind = w.wind;
    v.pressure = w.pressure;
    v.sky = w.sky;
    v.visibility = w.visibility;
    v.sunrise = s.sunrise;
    v.sunset = s.sunset;
    v.moon_rise = s.moon_rise;
    v.moon_set = s.moon_set;
    v.moon_phase = s.moon_phase;
    v.note =
        (notice.isEmpty() ? QString() : notice + u' ') +
        QStringLiteral("Sample observations made up by nimbrix-host. Sun and moon times for ") +
        QString::number(std::fabs(place.latitude), 'f', 2) +
        (place.latitude < 0 ? QStringLiteral(" S, ") : QStringLiteral(" N, ")) +
        QString::number(std::fabs(place.longitude), 'f', 2) +
        (place.longitude < 0 ? QStringLiteral(" W") : QStringLiteral(" E")) +
        QStringLiteral(", in local time.");
    return render_conditions_page(place, v);
}

QString render_conditions_page(const HostPlace& place, const PageValues& v) {
    const QString name = html_escaped(place.title_name);
    const QString not_available = QStringLiteral("n/a");

    QString page;
    page.reserve(3000);
    page += QStringLiteral(
        "<html>\n<head>\n"
        "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1252\">\n"
        "<style type=\"text/css\">\n"
        "body { font-family: Verdana, Arial, sans-serif; font-size: 10pt; }\n"
        "th { text-align: left; font-weight: normal; padding-right: 1em; }\n"
        "</style>\n");
    // The place stands in the title exactly as the catalogue names it: the program takes it
    // from there unescaped.
    page += QStringLiteral("<title>Nimbrix Underground: ") + place.title_name +
            QStringLiteral(" Forecast</title>\n</head>\n<body>\n");
    page += QStringLiteral("<h1>") + name + QStringLiteral(" Weather</h1>\n");
    if (!place.zip.isEmpty())
        page += QStringLiteral("<p class=\"zip\">Zip code ") + place.zip + QStringLiteral("</p>\n");
    page += QStringLiteral("<p class=\"observed\">Updated: <b>") + v.observed +
            QStringLiteral("</b></p>\n");

    page += QStringLiteral("<table class=\"now\">\n<tr><th>Temperature:</th><td>") + v.temperature +
            QStringLiteral("</td></tr\n>");
    if (v.heat_index)
        page += QStringLiteral("<tr><th>HeatIndex:</th><td>") + *v.heat_index +
                QStringLiteral("</td></tr\n>");
    // The temperature ends at "Humidity", so that label always stands.
    // Humidity and visibility are read at a fixed width: blanks fill a shorter value.
    page += QStringLiteral("<tr><th>Humidity:</th><td>") +
            v.humidity.value_or(not_available).leftJustified(4, u' ') +
            QStringLiteral("</td></tr>\n");
    // Each of these labels ends the value before it: it stays (with "n/a") while that
    // value stands.
    bool previous = false;
    const auto row = [&](const char* label, const std::optional<QString>& value, bool fixed) {
        if (!value && !previous)
            return;
        page += QStringLiteral("<tr><th>") + QLatin1String(label) + QStringLiteral(":</th><td>") +
                (fixed ? value.value_or(not_available).leftJustified(8, u' ')
                       : value.value_or(not_available)) +
                (fixed ? QStringLiteral("</td></tr>\n") : QStringLiteral("</td></tr\n>"));
        previous = true;
    };
    row("Wind", v.wind, false);
    row("Pressure", v.pressure, false);
    row("Conditions", v.sky, false);
    row("Visibility", v.visibility, true);
    page += QStringLiteral("</table>\n");

    page += QStringLiteral("<table class=\"sky\">\n<tr><th>Sunrise</th><td>") + v.sunrise +
            QStringLiteral("</td></tr\n>");
    page += QStringLiteral("<tr><th>Sunset</th><td>") + v.sunset + QStringLiteral("</td></tr\n>");
    page +=
        QStringLiteral("<tr><th>Moon Rise</th><td>") + v.moon_rise + QStringLiteral("</td></tr\n>");
    page +=
        QStringLiteral("<tr><th>Moon Set</th><td>") + v.moon_set + QStringLiteral("</td></tr\n>");
    page += QStringLiteral("<tr><th>Moon Phase</th><td>") + v.moon_phase +
            QStringLiteral("</td></tr>\n</table>\n");
    page += QStringLiteral("<p class=\"note\">") + html_escaped(v.note) +
            QStringLiteral("</p>\n</body>\n</html>\n");
    return page;
}
