#pragma once

#include "live/zone_files.h"
#include "site/types/host_reply.h"

#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <optional>

class UpstreamCache;
enum class NwsProduct; // sample/nws_products.h

// The weather service's bulletins of a state from its file server, which keeps the latest
// product of each kind per forecast zone in one file, /data/<folder>/<st>/<zone>.txt ("<st>" and
// "<zone>" in lower case: /data/forecasts/zone/il/ilz014.txt), in the folders the zones file of
// Debian's weather-util-data lists for every zone:
//   zone.html         forecasts/zone
//   shortterm.html    forecasts/nowcast
//   allwarnings.html  watches_warnings/non_precip (urgent weather messages: winter storm, heat,
//                     wind, fog and the like), .../thunderstorm, .../severe_weather_stmt,
//                     .../flash_flood/warning, .../flash_flood/watch
//   special.html      watches_warnings/special_weather_stmt
//   hydro.html        watches_warnings/flood/warning, .../flood/statement,
//                     .../flash_flood/statement, .../flood/coastal
//   public.html       the latest public information statement of each office that serves the
//                     state, from the weather service's products interface (public_statements.h)
//
// Each product found in the state's files counts once, however many files hold it, and goes to
// every zone of the state that one of its segments names, by zone code or by county code (the
// zone table's county numbers); a product that names none of them stays with the zone whose file
// held it. The page has one section per zone with something in force, in zone order:
//
//   IAZ006-270515-                  the zone's code and the earliest end of its products (UT)
//   WINNEBAGO-                      the zone's counties in capitals
//                                   then per product, each after a blank line:
//   URGENT - WINTER WEATHER MESSAGE   its name in capitals
//   National Weather Service Des Moines IA    its issuer ("National Weather Service" at least)
//   301 PM CST SAT JAN 26 2013        its issuance, when the product has one
//   EXPIRES 2013-01-27 05:15 UTC (1115 PM CST SAT JAN 26 2013)   its end, and in local time
//   /O.UPG.KDMX.WS.A.0001.130127T1200Z-130128T0300Z/   its VTEC lines
//                                   a blank line, then the segment's text as issued: headlines
//   ...WINTER STORM WARNING IN EFFECT FROM 6 AM SUNDAY TO MIDNIGHT   ("...", over one or more
//   CST SUNDAY NIGHT...               lines), paragraphs, "&&", "LAT...LON" lines
//                                   a blank line, "$$", a blank line
//
// A file that is not text, an HTML page, empty, too large, or a product whose zone line does not
// parse is left out; so is a product past its "Expires:" time. No section at all: the page says
// the product is not currently available, unless no file could be fetched or read, which gives
// the sample bulletin with a notice. Problems give one log line per page. The heading says
// "(live)", or "(stale)" when a copy older than its lifetime had to stand in for a file upstream
// did not give.

inline constexpr auto text_product_lifetime = std::chrono::minutes(15);

// The upstream paths of a product's files for a zone ("ILZ014"); empty for the public
// information statement.
QStringList live_text_paths(NwsProduct product, const QString& zone_code);

class LiveTextProducts {
public:
    // log: one line per page that had problems, or null. products_api: the weather service's
    // products interface for the public information statements; without it public.html stays
    // the sample bulletin.
    LiveTextProducts(UpstreamCache& cache, std::FILE* log, LiveTextLimits limits = {},
                     UpstreamCache* products_api = nullptr);

    // The page of the product for the state; nothing for a state the zone table lacks. A page
    // made without problems is kept for the text products' lifetime. Safe to call from
    // several threads.
    std::optional<TimedPage> page(NwsProduct product, const QString& state_code,
                                  const QDateTime& now_utc);

private:
    std::optional<TimedPage> made_page(NwsProduct product, const QString& state_code,
                                       const QDateTime& now_utc, bool& keep);

    UpstreamCache& cache_;
    UpstreamCache* products_api_;
    std::FILE* log_;
    LiveTextLimits limits_;
    std::mutex mutex_;
    QHash<QString, TimedPage> kept_;
};
