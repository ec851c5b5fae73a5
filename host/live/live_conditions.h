#pragma once

#include "live/metar.h"
#include "sample/conditions_page.h"
#include "site/types/host_reply.h"

#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>
#include <cstdio>
#include <mutex>
#include <optional>

class UpstreamCache;
struct HostPlace;

// Conditions pages from the latest METAR report of the place's observing station, fetched
// through the cache from "<base>/data/observations/metar/stations/<ICAO>.TXT". Sun and moon
// stay computed. Whatever goes wrong (no station, upstream failure, a report that cannot be
// read or has no temperature) gives the sample page with a notice and one line on the log.

inline constexpr auto observation_lifetime = std::chrono::minutes(5);
// A report older than this is shown as stale even when upstream gave it just now.
inline constexpr auto observation_stale_age = std::chrono::hours(2);

QString metar_path(const QString& icao);

// The page values of a decoded report; nothing when it has no temperature (the page would
// lack its one required field). observed_marker is live_marker or stale_marker.
std::optional<PageValues> live_page_values(const HostPlace& place, const MetarReport& report,
                                           const QString& observed_marker);

// "10 miles", "3 miles", "1 mile", "0.5 mile": at most 8 characters.
QString visibility_text(double miles);

// "NW at 12 mph", "Calm", "Variable at 5 mph", "S at 17 mph, gusts 30" (short enough for the
// main window's value label).
QString wind_text(const MetarWind& wind);

class LiveConditions {
public:
    // log: one line per failure, or null.
    LiveConditions(UpstreamCache& cache, std::FILE* log);

    // The page, made when its report first came, kept as it is until the cache asks upstream
    // again.
    TimedPage page(const HostPlace& place, const QDateTime& now_utc);

private:
    TimedPage fallback(const HostPlace& place, const QDateTime& now_utc, const QString& why);
    QStringList stations_for(const HostPlace& place);

    // The last page made for a place, kept while the report and its marker stay the same.
    struct Rendered {
        QByteArray report;
        long long observed_ms = 0;
        QString marker;
        QString page;
        long long made_ms = 0;
    };

    UpstreamCache& cache_;
    std::FILE* log_;
    std::mutex mutex_;
    QHash<QString, QStringList> stations_;
    QHash<QString, Rendered> rendered_;
};
