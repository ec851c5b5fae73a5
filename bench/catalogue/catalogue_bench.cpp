// Prints the catalogue's figures: the time to read and index every table from the resources
// (median of several loads), the fastest load against the fastest memchr pass for line ends
// over the same resource bytes (a ratio that holds across machines, and the fastest of each
// is what a busy machine disturbs least), and the mean lookup_station time over
// every foreign city of the tree, asked the way the chooser asks.
#include "locations/catalogue.h"
#include "locations/catalogue_lookups.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

// The fastest nanoseconds of one pass of memchr for line ends over every table the load reads.
double scan_ns(const std::vector<QByteArray>& tables) {
    std::vector<double> passes;
    std::size_t lines = 0;
    for (int i = 0; i < 201; ++i) {
        QElapsedTimer timer;
        timer.start();
        for (const QByteArray& bytes : tables) {
            const char* at = bytes.constData();
            const char* const end = at + bytes.size();
            while (const void* found = std::memchr(at, '\n', static_cast<std::size_t>(end - at))) {
                at = static_cast<const char*>(found) + 1;
                ++lines;
            }
        }
        passes.push_back(static_cast<double>(timer.nsecsElapsed()));
    }
    if (lines == 0)
        std::fprintf(stderr, "no line ends in the tables\n");
    std::sort(passes.begin(), passes.end());
    return passes.front();
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);

    std::vector<double> load_ms;
    for (int i = 0; i < 31; ++i) {
        QElapsedTimer timer;
        timer.start();
        const Catalogue loaded = Catalogue::load();
        load_ms.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        if (loaded.places().empty())
            return 1;
    }
    std::sort(load_ms.begin(), load_ms.end());

    std::vector<QByteArray> tables;
    for (const char* name :
         {"tree.tsv", "states.tsv", "regions.tsv", "stations.tsv", "us_places.tsv"}) {
        QFile file(QStringLiteral(":/locations/") + QLatin1String(name));
        if (!file.open(QIODevice::ReadOnly))
            return 1;
        tables.push_back(file.readAll());
    }
    const double scan = scan_ns(tables);

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

    std::printf("catalogue.load_ms: %.2f\n", load_ms[load_ms.size() / 2]);
    std::printf("catalogue.load_ratio_vs_scan: %.1f\n", load_ms.front() * 1e6 / scan);
    std::printf("catalogue.lookup_ns: %.0f\n", lookup_ns);
    return 0;
}
