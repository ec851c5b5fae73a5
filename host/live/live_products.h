#pragma once

#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <optional>

class UpstreamCache;
enum class NwsProduct; // nws_products.h

// The weather service's bulletins of a state from its file server, which keeps the latest
// product of each kind per forecast zone in one file:
//   zone.html         /data/forecasts/zone/<st>/<zone>.txt
//   shortterm.html    /data/forecasts/nowcast/<st>/<zone>.txt
//   allwarnings.html  /data/watches_warnings/non_precip/... and .../thunderstorm/...
//   special.html      /data/watches_warnings/special_weather_stmt/...
//   hydro.html        /data/watches_warnings/flood/warning/... and .../flood/statement/...
//   public.html       stays the sample bulletin (no file per zone or state is published)
// ("<st>" and "<zone>" in lower case: /data/forecasts/zone/il/ilz014.txt.) Each zone's files are
// joined in zone order into the page frame of the sample bulletins, one section per zone that
// has something in force: the zone code line, the zone's counties in capitals (the program's
// county search looks for the county in capitals, and today's bulletins are in mixed case), the
// segment of the file that names the zone, "$$". A file that is not text, an HTML page or too
// large is dropped; a warning past its "Expires:" time counts as none. No section at all: the
// page says the product is not currently available, unless no zone file could be fetched, which
// gives the sample bulletin with a notice. Problems give one log line per page.

inline constexpr auto text_product_lifetime = std::chrono::minutes(15);

struct LiveTextLimits {
    int concurrency = 8; // zone files asked for at once
    // No further zone file is asked for once a page has taken this long; the zones left over
    // count as failed.
    std::chrono::milliseconds page_budget{20000};
    qsizetype max_file_bytes = 256 * 1024;
};

// The upstream paths of a product's files for a zone ("ILZ014"); empty for the public
// information statement.
QStringList live_text_paths(NwsProduct product, const QString& zone_code);

class LiveTextProducts {
public:
    // log: one line per page that had problems, or null.
    LiveTextProducts(UpstreamCache& cache, std::FILE* log, LiveTextLimits limits = {});

    // The page of the product for the state; nothing for a state the zone table lacks. A page
    // made without problems is kept for the text products' lifetime. Safe to call from
    // several threads.
    std::optional<QString> page(NwsProduct product, const QString& state_code,
                                const QDateTime& now_utc);

private:
    struct Kept {
        QString page;
        long long made_ms = 0;
    };

    UpstreamCache& cache_;
    std::FILE* log_;
    LiveTextLimits limits_;
    std::mutex mutex_;
    QHash<QString, Kept> kept_;
};
