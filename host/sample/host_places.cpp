#include "sample/host_places.h"

#include "locations/catalogue.h"
#include "locations/zip_codes.h"

#include <QHash>

namespace {

bool is_zip(const QString& text) {
    if (text.size() != 5)
        return false;
    for (const QChar c : text)
        if (c < u'0' || c > u'9')
            return false;
    return true;
}

// Catalogue US places by their zip, for zips the zip table lacks.
const CataloguePlace* catalogue_place_for_zip(const QString& zip) {
    static const QHash<QString, int> by_zip = [] {
        QHash<QString, int> index;
        const auto& places = catalogue_places();
        for (int i = 0; i < static_cast<int>(places.size()); ++i)
            if (places[i].us && !places[i].zip.isEmpty() && !index.contains(places[i].zip))
                index.insert(places[i].zip, i);
        return index;
    }();
    const auto it = by_zip.constFind(zip);
    return it == by_zip.constEnd() ? nullptr : &catalogue_places()[*it];
}

// Catalogue US places by their page title ("Chicago, Illinois").
const CataloguePlace* catalogue_place_titled(const QString& title) {
    static const QHash<QString, int> by_title = [] {
        QHash<QString, int> index;
        const auto& places = catalogue_places();
        for (int i = 0; i < static_cast<int>(places.size()); ++i)
            if (places[i].us && !index.contains(places[i].title_name))
                index.insert(places[i].title_name, i);
        return index;
    }();
    const auto it = by_title.constFind(title);
    return it == by_title.constEnd() ? nullptr : &catalogue_places()[*it];
}

} // namespace

std::optional<HostPlace> place_for_city_path(const QString& path) {
    const CataloguePlace* place = Catalogue::instance().place_for_request_path(path);
    if (!place)
        return std::nullopt;
    HostPlace host;
    host.title_name = place->title_name;
    host.latitude = place->latitude;
    host.longitude = place->longitude;
    host.zone = place->us ? zone_for_us_place(place->state_code, place->latitude, place->longitude)
                          : zone_for_foreign_place(place->label, place->latitude, place->longitude);
    host.seed_key = path;
    if (!place->us)
        host.wmo_station = place->station;
    return host;
}

QString zip_request_key(const QString& zip) {
    return QStringLiteral("cgi-bin/findweather/getForecast?query=") + zip;
}

std::optional<HostPlace> place_for_zip(const QString& zip) {
    if (!is_zip(zip))
        return std::nullopt;
    HostPlace host;
    host.zip = zip;
    host.seed_key = zip_request_key(zip);
    if (const std::optional<ZipPlace> row = lookup_zip(zip)) {
        const QString state = Catalogue::instance().state_name_for_code(row->state_code);
        if (state.isEmpty())
            return std::nullopt;
        host.title_name = row->place_name + QStringLiteral(", ") + state;
        host.latitude = row->latitude;
        host.longitude = row->longitude;
        // A zip of a catalogue city is that city: its page shows what the city's page shows.
        if (const CataloguePlace* city = catalogue_place_titled(host.title_name)) {
            host.latitude = city->latitude;
            host.longitude = city->longitude;
        }
        host.zone = zone_for_us_place(row->state_code, host.latitude, host.longitude);
        return host;
    }
    if (const CataloguePlace* place = catalogue_place_for_zip(zip)) {
        host.title_name = place->title_name;
        host.latitude = place->latitude;
        host.longitude = place->longitude;
        host.zone = zone_for_us_place(place->state_code, place->latitude, place->longitude);
        return host;
    }
    return std::nullopt;
}
