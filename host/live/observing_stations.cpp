#include "live/observing_stations.h"

#include "sample/host_places.h"

#include <QFile>
#include <QHash>
#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace {

constexpr double us_search_km = 100.0;

struct MetarStation {
    QString icao;
    double latitude = 0.0;
    double longitude = 0.0;
};

struct StationTables {
    std::vector<MetarStation> stations;
    QHash<QString, int> by_icao;
    QHash<QString, QString> by_wmo;
};

// Rows of a tab-separated resource file, the header line skipped.
template <typename Row> void for_each_row(const QString& name, Row&& row) {
    QFile file(QStringLiteral(":/host/") + name);
    if (!file.open(QIODevice::ReadOnly))
        return;
    file.readLine();
    while (!file.atEnd()) {
        const QList<QByteArray> fields = file.readLine().trimmed().split('\t');
        if (fields.size() >= 2)
            row(fields);
    }
}

const StationTables& tables() {
    static const StationTables t = [] {
        StationTables s;
        for_each_row(QStringLiteral("metar_stations.tsv"), [&](const QList<QByteArray>& f) {
            if (f.size() != 3)
                return;
            s.by_icao.insert(QString::fromLatin1(f[0]), static_cast<int>(s.stations.size()));
            s.stations.push_back({QString::fromLatin1(f[0]), f[1].toDouble(), f[2].toDouble()});
        });
        for_each_row(QStringLiteral("wmo_metar.tsv"), [&](const QList<QByteArray>& f) {
            s.by_wmo.insert(QString::fromLatin1(f[0]), QString::fromLatin1(f[1]));
        });
        return s;
    }();
    return t;
}

double distance_km(double lat1, double lon1, double lat2, double lon2) {
    constexpr double radians = std::numbers::pi / 180.0;
    const double p1 = lat1 * radians;
    const double p2 = lat2 * radians;
    const double dp = p2 - p1;
    const double dl = (lon2 - lon1) * radians;
    const double a = std::sin(dp / 2) * std::sin(dp / 2) +
                     std::cos(p1) * std::cos(p2) * std::sin(dl / 2) * std::sin(dl / 2);
    return 6371.0 * 2.0 * std::asin(std::min(1.0, std::sqrt(a)));
}

} // namespace

bool known_metar_station(const QString& icao) {
    return tables().by_icao.contains(icao);
}

QStringList metar_stations_for(const HostPlace& place) {
    const StationTables& t = tables();
    if (!place.wmo_station.isEmpty()) {
        const QString icao = t.by_wmo.value(place.wmo_station);
        return icao.isEmpty() ? QStringList() : QStringList{icao};
    }
    std::vector<std::pair<double, const MetarStation*>> near;
    for (const MetarStation& s : t.stations) {
        // A cheap bound first: a degree of latitude is 111 km.
        if (std::fabs(s.latitude - place.latitude) > us_search_km / 111.0)
            continue;
        const double km = distance_km(place.latitude, place.longitude, s.latitude, s.longitude);
        if (km <= us_search_km)
            near.emplace_back(km, &s);
    }
    const std::size_t count = std::min<std::size_t>(near.size(), 3);
    std::partial_sort(near.begin(), near.begin() + static_cast<std::ptrdiff_t>(count), near.end());
    QStringList stations;
    for (std::size_t i = 0; i < count; ++i)
        stations.append(near[i].second->icao);
    return stations;
}
