#pragma once

#include <QByteArray>
#include <QString>

// The approximate local time of a place: the tz database's zone of its state, province or
// country (through QTimeZone, so daylight saving is included). States split between two
// zones are divided by a rough line; Mexico and Russia take the zone of the nearest main city
// of their zones in the system's zone list (zone.tab). Without a zone, or for one the system
// lacks, the offset is the longitude divided by 15, rounded to whole hours.

struct PlaceZone {
    QByteArray zone_id;              // "America/Chicago"; empty when none is known
    int fallback_offset_seconds = 0; // used when zone_id is empty or unknown to the system
};

// state_code: "IL", "PR". label: the station table's label, "Ontario (O)", "France (O)".
PlaceZone zone_for_us_place(const QString& state_code, double latitude, double longitude);
PlaceZone zone_for_foreign_place(const QString& label, double latitude, double longitude);

// True when the zone is named and the system knows it (local times then follow it).
bool zone_known(const PlaceZone& zone);

struct LocalClock {
    long long local_ms = 0; // the local wall-clock time, as milliseconds since 1970 "local"
    int offset_seconds = 0; // local minus UT
    QString zone_name;      // "CST", "CEST"; "GMT+3" where the zone has no letters
};

// The wall-clock reading of a place's zone at a moment (milliseconds since 1970 UT).
LocalClock local_clock(const PlaceZone& zone, long long unix_ms);
