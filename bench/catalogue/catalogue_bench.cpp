// Prints the catalogue's figures: the time to read and index every table from the resources
// (median of several loads), that time against a memchr pass for line ends over the same
// resource bytes (a ratio that holds across machines), and the mean lookup_station time over
// every foreign city of the tree, asked the way the chooser asks. This machine's speed comes
// and goes in bursts, so each load is set against the scans timed right after it, and the
// figure is the median of those round ratios.
#include "bench_support.h"
#include "locations/catalogue.h"
#include "locations/catalogue_lookups.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

volatile qsizetype sink = 0;

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);

    std::vector<QByteArray> tables;
    for (const char* name :
         {"tree.tsv", "states.tsv", "regions.tsv", "stations.tsv", "us_places.tsv"}) {
        QFile file(QStringLiteral(":/locations/") + QLatin1String(name));
        if (!file.open(QIODevice::ReadOnly))
            return 1;
        tables.push_back(file.readAll());
    }

    std::vector<double> load_ms;
    std::vector<double> ratios;
    for (int round = 0; round < 61; ++round) {
        QElapsedTimer timer;
        timer.start();
        const Catalogue loaded = Catalogue::load();
        const double load_ns = static_cast<double>(timer.nsecsElapsed());
        if (loaded.places().empty())
            return 1;
        // The fastest of a few scans: one scan is short enough to be cut by a time slice.
        const double scan_ns = fastest_ns(5, [&](int) {
            for (const QByteArray& bytes : tables)
                sink = sink + memchr_count(bytes, '\n');
        });
        load_ms.push_back(load_ns / 1e6);
        ratios.push_back(load_ns / scan_ns);
    }

    const Catalogue& catalogue = Catalogue::instance();
    struct Query {
        QString city, label, region;
    };
    std::vector<Query> queries;
    for (const CataloguePlace& place : catalogue.places()) {
        if (place.us)
            continue;
        // The chooser's region: the province's country for Canada, else the continent.
        const LocationTreeNode& country = catalogue.tree()[catalogue.tree()[place.node].parent];
        const QString region = place.region == QStringLiteral("Canada")
                                   ? QStringLiteral("Canada")
                                   : catalogue.tree()[country.parent].text;
        queries.push_back({QString(place.city).replace(u'_', u' '), place.label, region});
    }
    const int rounds = 200;
    std::size_t found = 0;
    QElapsedTimer timer;
    timer.start();
    for (int r = 0; r < rounds; ++r)
        for (const Query& q : queries)
            found += lookup_station(catalogue, q.city, q.label, q.region).station.size();
    const double lookup_ns =
        static_cast<double>(timer.nsecsElapsed()) / static_cast<double>(rounds * queries.size());
    if (found != static_cast<std::size_t>(rounds) * queries.size() * 5) {
        std::fprintf(stderr, "some foreign city did not resolve\n");
        return 1;
    }

    std::printf("catalogue.load_ms: %.2f\n", median(load_ms));
    std::printf("catalogue.load_ratio_vs_scan: %.1f\n", median(ratios));
    std::printf("catalogue.lookup_ns: %.0f\n", lookup_ns);
    return 0;
}
