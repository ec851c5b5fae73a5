#pragma once

#include "sample/local_zone.h"

#include <QString>
#include <optional>

// The places nimbrix-host serves conditions pages for: every city of the location catalogue
// and every US zip code of the zip table (or of a catalogue place where the table lacks it).

struct HostPlace {
    QString title_name; // as the page title names it: "Paris, France", "Chicago, Illinois"
    QString zip;        // zip pages only
    double latitude = 0.0;
    double longitude = 0.0;
    PlaceZone zone;      // for the local times
    QString seed_key;    // the request that names the place
    QString wmo_station; // foreign places: the catalogue's station number, "07150"
};

// A city request path without its leading "/": "US/IL/Chicago.html",
// "global/stations/07150.html". Nothing for a path no catalogue place has.
std::optional<HostPlace> place_for_city_path(const QString& path);

// A five-digit zip code. The title names the place as city, comma and the state table's name
// ("New Orleans, Lousiana"), which split_place_name turns back into the state code.
std::optional<HostPlace> place_for_zip(const QString& zip);

// The seed key of a zip page: the request the program sends for it.
QString zip_request_key(const QString& zip);
