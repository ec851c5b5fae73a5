// Prints the catalogue's two figures: the time to read and index every table from the
// resources (median of several loads), and the mean lookup_station time over every foreign
// city of the tree, asked the way the chooser asks.
#include "locations/catalogue.h"
#include "locations/catalogue_lookups.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);

    std::vector<double> load_ms;
    for (int i = 0; i < 15; ++i) {
        QElapsedTimer timer;
        timer.start();
        const Catalogue loaded = Catalogue::load();
        load_ms.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        if (loaded.places().empty())
            return 1;
    }
    std::sort(load_ms.begin(), load_ms.end());

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
    const double lookup_ns = static_cast<double>(timer.nsecsElapsed()) /
                             static_cast<double>(rounds * queries.size());
    if (found != static_cast<std::size_t>(rounds) * queries.size() * 5) {
        std::fprintf(stderr, "some foreign city did not resolve\n");
        return 1;
    }

    std::printf("catalogue.load_ms: %.2f\n", load_ms[load_ms.size() / 2]);
    std::printf("catalogue.lookup_ns: %.0f\n", lookup_ns);
    return 0;
}
