#pragma once

#include <QString>
#include <QStringList>

struct HostPlace;

// The METAR stations whose reports stand for a place, best first: a foreign catalogue place
// reads the station its WMO number names in the WMO-ICAO list (or the nearest METAR station
// within 75 km, resolved when the table was made); a US city or zip code reads the nearest
// METAR stations within 100 km, up to three (not every listed station reports all the time).
// Empty when there is none. The tables are host/data/*.tsv, made by tools/live_stations/.
QStringList metar_stations_for(const HostPlace& place);

// True for a four-character ICAO identifier of the station table.
bool known_metar_station(const QString& icao);
