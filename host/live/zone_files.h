#pragma once

#include "live/upstream_cache.h"

#include <QString>
#include <chrono>
#include <vector>

// Asking the file server for many per-zone files at once, for one page.

struct LiveTextLimits {
    int concurrency = 8; // files asked for at once
    // No further file is asked for once a page has taken this long; the files left over count
    // as failed.
    std::chrono::milliseconds page_budget{20000};
    qsizetype max_file_bytes = 256 * 1024;
};

struct ZoneFetch {
    std::size_t zone = 0; // index in the state's zones
    QString path;
    bool asked = false; // upstream was asked (through the cache)
    CachedBody cached;
};

// Fetches the files through the cache, `concurrency` at a time, until the page budget is spent.
// When a whole round of requests got no reply at all and none got one, the server cannot be
// reached: the files left over are not asked for, and their copies in the cache (stale ones
// too) stand in.
void fetch_zone_files(UpstreamCache& cache, std::vector<ZoneFetch>& fetches,
                      std::chrono::seconds lifetime, const LiveTextLimits& limits);

// Why a file gave nothing to read: not asked and not kept, or upstream failed with no copy;
// empty when it has a body (fresh or stale) or upstream said it has none (404, 410).
QString fetch_failure(const ZoneFetch& fetch);

// Upstream said the file does not exist: nothing is in force for it.
bool fetch_absent(const ZoneFetch& fetch);
