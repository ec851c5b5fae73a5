// Prints nimbrix-host's figure, measured side by side in this run:
//   host.cached_page_ratio_vs_static  requests per second for a live conditions page whose
//                                     report is in the cache / requests per second for
//                                     cpp-httplib answering a fixed string of the same size;
//                                     the same client threads and concurrency for both
#include "live/live_conditions.h"
#include "live/upstream_cache.h"
#include "live/upstream_client.h"
#include "site/host_server.h"
#include "site/host_site.h"

#include <QDateTime>
#include <QTemporaryDir>
#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int client_threads = 4;
constexpr int requests_per_thread = 300;
constexpr int rounds = 3;
const char* const target = "/US/IL/Chicago.html";

// Requests per second of client_threads threads, each sending requests_per_thread GETs of the
// target one after the other (a new connection each: both servers close after a reply).
double requests_per_second(int port) {
    std::atomic<int> failures{0};
    const auto start = std::chrono::steady_clock::now();
    std::vector<std::thread> threads;
    for (int t = 0; t < client_threads; ++t)
        threads.emplace_back([&] {
            httplib::Client client("127.0.0.1", port);
            for (int i = 0; i < requests_per_thread; ++i) {
                const auto reply = client.Get(target);
                if (!reply || reply->status != 200)
                    ++failures;
            }
        });
    for (std::thread& t : threads)
        t.join();
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (failures > 0)
        std::fprintf(stderr, "host_bench: %d requests failed\n", failures.load());
    return client_threads * requests_per_thread / seconds;
}

} // namespace

int main() {
    // The upstream: one report for every station, made ten minutes ago (an older one would be
    // shown as stale).
    const QDateTime observed = QDateTime::currentDateTimeUtc().addSecs(-600);
    const std::string report = observed.toString(QStringLiteral("yyyy/MM/dd HH:mm")).toStdString() +
                               "\nKMDW " +
                               observed.toString(QStringLiteral("ddHHmm")).toStdString() +
                               "Z 27012G22KT 10SM FEW050 BKN250 M02/M08 A3012 RMK AO2 T10171078\n";
    httplib::Server upstream;
    upstream.Get(".*", [&report](const httplib::Request&, httplib::Response& res) {
        res.set_content(report, "text/plain");
    });
    const int upstream_port = upstream.bind_to_any_port("127.0.0.1");
    std::thread upstream_thread([&] { upstream.listen_after_bind(); });

    QTemporaryDir folder;
    UpstreamClient client;
    UpstreamCache cache(client, QStringLiteral("http://127.0.0.1:%1").arg(upstream_port),
                        folder.path());
    LiveConditions live(cache, stderr);
    HostSite site;
    site.set_conditions_source(
        [&live](const HostPlace& place, const QDateTime& now) { return live.page(place, now); });
    HostServer host(site);
    const int host_port = host.bind("127.0.0.1", 0);
    std::thread host_thread([&] { host.run(); });

    // The page as served (this also fills the cache).
    httplib::Client probe("127.0.0.1", host_port);
    const auto page = probe.Get(target);
    if (!page || page->status != 200 || page->body.find("(live)") == std::string::npos) {
        std::fprintf(stderr, "host_bench: no live page\n");
        return 1;
    }

    httplib::Server fixed;
    fixed.set_keep_alive_max_count(1);
    const std::string body(page->body.size(), 'x');
    fixed.Get(target, [&body](const httplib::Request&, httplib::Response& res) {
        res.set_content(body, "text/html; charset=windows-1252");
    });
    const int fixed_port = fixed.bind_to_any_port("127.0.0.1");
    std::thread fixed_thread([&] { fixed.listen_after_bind(); });

    std::vector<double> ratios;
    for (int r = 0; r < rounds; ++r) {
        const double live_rate = requests_per_second(host_port);
        const double fixed_rate = requests_per_second(fixed_port);
        ratios.push_back(live_rate / fixed_rate);
    }
    std::sort(ratios.begin(), ratios.end());
    std::printf("host.cached_page_ratio_vs_static: %.2f\n", ratios[ratios.size() / 2]);

    fixed.stop();
    fixed_thread.join();
    host.stop();
    host_thread.join();
    upstream.stop();
    upstream_thread.join();
    return 0;
}
