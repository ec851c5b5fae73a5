#include "live/zone_files.h"

#include <algorithm>
#include <atomic>
#include <thread>

void fetch_zone_files(UpstreamCache& cache, std::vector<ZoneFetch>& fetches,
                      std::chrono::seconds lifetime, const LiveTextLimits& limits) {
    if (fetches.empty())
        return;
    using SteadyClock = std::chrono::steady_clock;
    const SteadyClock::time_point deadline = SteadyClock::now() + limits.page_budget;
    std::atomic<std::size_t> next{0};
    std::atomic<int> replied{0};
    std::atomic<int> unreached{0};
    const int concurrency = std::max(1, limits.concurrency);
    const auto work = [&] {
        for (std::size_t i = next++; i < fetches.size(); i = next++) {
            if (SteadyClock::now() >= deadline || (replied == 0 && unreached >= concurrency)) {
                fetches[i].cached = cache.kept(fetches[i].path, lifetime);
                continue;
            }
            fetches[i].cached = cache.get(fetches[i].path, lifetime);
            fetches[i].asked = true;
            if (fetches[i].cached.freshness == Freshness::Missing && fetches[i].cached.unreachable)
                ++unreached;
            else
                ++replied;
        }
    };
    std::vector<std::thread> workers;
    const std::size_t helpers = std::min(fetches.size(), static_cast<std::size_t>(concurrency)) - 1;
    for (std::size_t n = 0; n < helpers; ++n)
        workers.emplace_back(work);
    work();
    for (std::thread& t : workers)
        t.join();
}

bool fetch_absent(const ZoneFetch& fetch) {
    // A file the server no longer has: nothing in force, even if an older copy is kept.
    return fetch.asked && (fetch.cached.status == 404 || fetch.cached.status == 410);
}

QString fetch_failure(const ZoneFetch& fetch) {
    if (!fetch.asked && fetch.cached.freshness == Freshness::Missing)
        return fetch.path + QStringLiteral(": not asked (the page took too long, or the server "
                                           "cannot be reached)");
    if (fetch_absent(fetch) || fetch.cached.freshness != Freshness::Missing)
        return {};
    return fetch.cached.error;
}
