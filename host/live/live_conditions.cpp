#include "live/live_conditions.h"

#include "live/observing_stations.h"
#include "live/upstream_cache.h"
#include "sample/host_places.h"
#include "sample/sample_weather.h"

#include <array>
#include <cmath>

namespace {

const std::array<const char*, 16> compass{"N", "NNE", "NE", "ENE", "E", "ESE", "SE", "SSE",
                                          "S", "SSW", "SW", "WSW", "W", "WNW", "NW", "NNW"};

QString temperature_text(int f) {
    return QString::number(f) + QStringLiteral("&#176;F");
}

// Stale when the cache could not renew the report, or when the report itself is old.
QString marker_for(Freshness freshness, long long observed_ms, const QDateTime& now_utc) {
    const long long stale_ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(observation_stale_age).count();
    const bool old = now_utc.toMSecsSinceEpoch() - observed_ms > stale_ms;
    return freshness == Freshness::Stale || old ? stale_marker : live_marker;
}

template <typename D> long long ms_of(D d) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(d).count();
}

int whole(double value) {
    return static_cast<int>(std::lround(value));
}

} // namespace

QString metar_path(const QString& icao) {
    return QStringLiteral("/data/observations/metar/stations/") + icao + QStringLiteral(".TXT");
}

QString visibility_text(double miles) {
    if (miles < 0.95) {
        const double tenths = std::max(0.1, std::round(miles * 10.0) / 10.0);
        return QString::number(tenths, 'f', 1) + QStringLiteral(" mile");
    }
    const int n = std::min(10, whole(miles));
    return QString::number(n) + (n == 1 ? QStringLiteral(" mile") : QStringLiteral(" miles"));
}

QString wind_text(const MetarWind& wind) {
    if (wind.calm || (whole(wind.speed_mph) == 0 && !wind.gust_mph))
        return QStringLiteral("Calm");
    QString text =
        wind.variable
            ? QStringLiteral("Variable")
            : QString::fromLatin1(
                  compass[static_cast<std::size_t>(std::lround(wind.direction_degrees / 22.5)) %
                          16]);
    text +=
        QStringLiteral(" at ") + QString::number(whole(wind.speed_mph)) + QStringLiteral(" mph");
    if (wind.gust_mph)
        text += QStringLiteral(", gusts ") + QString::number(whole(*wind.gust_mph));
    return text;
}

std::optional<PageValues> live_page_values(const HostPlace& place, const MetarReport& report,
                                           const QString& observed_marker) {
    if (!report.temperature_c || !report.observed_utc.isValid())
        return std::nullopt;
    const long long observed_ms = report.observed_utc.toMSecsSinceEpoch();
    // The sample's sun and moon for the hour the report falls in.
    const ConditionsSample sky =
        conditions_sample(place, page_hour(report.observed_utc).addSecs(3600));

    PageValues v;
    v.observed = observed_text(place.zone, observed_ms, observed_marker);
    const int temperature_f = fahrenheit(*report.temperature_c);
    v.temperature = temperature_text(temperature_f);
    if (report.dew_point_c) {
        const int humidity = relative_humidity(*report.temperature_c, *report.dew_point_c);
        v.humidity = QString::number(humidity) + u'%';
        if (temperature_f >= 80)
            v.heat_index = temperature_text(heat_index_f(temperature_f, humidity));
    }
    if (report.wind)
        v.wind = wind_text(*report.wind);
    if (report.pressure_in && report.pressure_hpa)
        v.pressure = QString::number(*report.pressure_in, 'f', 2) + QStringLiteral(" in (") +
                     QString::number(whole(*report.pressure_hpa)) + QStringLiteral(" hPa)");
    if (const QString words = sky_text(report); !words.isEmpty())
        v.sky = words;
    if (report.visibility_miles)
        v.visibility = visibility_text(*report.visibility_miles);
    v.sunrise = sky.sunrise;
    v.sunset = sky.sunset;
    v.moon_rise = sky.moon_rise;
    v.moon_set = sky.moon_set;
    v.moon_phase = sky.moon_phase;
    v.note = QStringLiteral("Observed at ") + report.station +
             QStringLiteral(" (METAR report, US National Weather Service). Sun and moon times "
                            "computed for ") +
             QString::number(std::fabs(place.latitude), 'f', 2) +
             (place.latitude < 0 ? QStringLiteral(" S, ") : QStringLiteral(" N, ")) +
             QString::number(std::fabs(place.longitude), 'f', 2) +
             (place.longitude < 0 ? QStringLiteral(" W") : QStringLiteral(" E")) +
             QStringLiteral(", in local time.");
    return v;
}

LiveConditions::LiveConditions(UpstreamCache& cache, std::FILE* log) : cache_(cache), log_(log) {}

TimedPage LiveConditions::fallback(const HostPlace& place, const QDateTime& now_utc,
                                   const QString& why) {
    if (log_)
        std::fprintf(log_, "nimbrix-host: live conditions for %s: %s; sample data served\n",
                     place.seed_key.toUtf8().constData(), why.toUtf8().constData());
    // Upstream is asked again once the cache no longer remembers the failure.
    const long long now_ms = now_utc.toMSecsSinceEpoch();
    return {conditions_page(place, now_utc,
                            QStringLiteral("Live observations are not available right now (") +
                                why + QStringLiteral("); these are sample values.")),
            now_ms, now_ms + ms_of(UpstreamCache::failure_memory)};
}

QStringList LiveConditions::stations_for(const HostPlace& place) {
    {
        const std::lock_guard lock(mutex_);
        const auto it = stations_.constFind(place.seed_key);
        if (it != stations_.constEnd())
            return *it;
    }
    const QStringList stations = metar_stations_for(place);
    const std::lock_guard lock(mutex_);
    stations_.insert(place.seed_key, stations);
    return stations;
}

TimedPage LiveConditions::page(const HostPlace& place, const QDateTime& now_utc) {
    const QStringList stations = stations_for(place);
    if (stations.isEmpty())
        return fallback(place, now_utc, QStringLiteral("no observing station near the place"));
    QStringList failures;
    for (const QString& icao : stations) {
        const CachedBody cached =
            cache_.get(metar_path(icao),
                       std::chrono::duration_cast<std::chrono::seconds>(observation_lifetime));
        if (cached.freshness == Freshness::Missing) {
            failures.append(icao + QStringLiteral(": ") + cached.error);
            // The next station is on the same server: no use waiting for it too.
            if (cached.unreachable)
                break;
            continue;
        }
        // It stays so until the cache asks upstream again: at the end of the report's
        // lifetime, or once a failure is no longer remembered.
        const long long until_ms =
            cached.freshness == Freshness::Stale
                ? now_utc.toMSecsSinceEpoch() + ms_of(UpstreamCache::failure_memory)
                : cached.fetched_unix_ms + ms_of(observation_lifetime);
        // The page of the same report with the same marker was made already.
        {
            const std::lock_guard lock(mutex_);
            const auto it = rendered_.constFind(place.seed_key);
            if (it != rendered_.constEnd() && it->report == cached.body &&
                it->marker == marker_for(cached.freshness, it->observed_ms, now_utc))
                return {it->page, it->made_ms, until_ms};
        }
        const std::optional<MetarReport> report =
            decode_metar(QString::fromLatin1(cached.body), now_utc);
        if (!report) {
            failures.append(icao + QStringLiteral(": the report cannot be read"));
            continue;
        }
        const long long observed_ms = report->observed_utc.toMSecsSinceEpoch();
        const QString marker = marker_for(cached.freshness, observed_ms, now_utc);
        if (const std::optional<PageValues> values = live_page_values(place, *report, marker)) {
            QString page = render_conditions_page(place, *values);
            const long long made_ms = now_utc.toMSecsSinceEpoch();
            const std::lock_guard lock(mutex_);
            rendered_.insert(place.seed_key, {cached.body, observed_ms, marker, page, made_ms});
            return {page, made_ms, until_ms};
        }
        failures.append(icao + QStringLiteral(": the report has no temperature"));
    }
    return fallback(place, now_utc, failures.join(QStringLiteral("; ")));
}
