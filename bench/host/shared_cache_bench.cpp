// Prints nimbrix-host's figure behind a standard HTTP cache, measured in this run:
//   host.shared_cache_clients_per_upstream_fetch  whole pages the clients got per request the
//                                                 upstream got: 200 clients asking nginx (its
//                                                 proxy cache in front of nimbrix-host in live
//                                                 mode) for one live page for 10 s
#include "shared_cache.h"

#include <QCoreApplication>
#include <algorithm>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const SharedCacheResult r =
        run_shared_cache(QStringLiteral(NIMBRIX_HOST_PROGRAM), 200, std::chrono::seconds(10));
    if (!r.skipped.empty() || !r.error.empty()) {
        std::fprintf(stderr, "shared_cache_bench: %s\n",
                     (r.skipped.empty() ? r.error : r.skipped).c_str());
        return r.skipped.empty() ? 1 : 0;
    }
    std::fprintf(stderr,
                 "shared_cache_bench: %lld whole pages, %lld broken, %d of 200 clients served, "
                 "%d requests to nimbrix-host, %d upstream\n",
                 r.whole, r.broken, r.clients_served, r.host_requests, r.upstream_requests);
    std::printf("host.shared_cache_clients_per_upstream_fetch: %.0f\n",
                static_cast<double>(r.whole) / std::max(1, r.upstream_requests));
    return r.broken == 0 ? 0 : 1;
}
