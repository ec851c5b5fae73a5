#pragma once

#include <QString>

struct CurrentLocation;
struct ProgramState;

// The conditions request's own rules, apart from the window: how a location string becomes
// the fields of current_location, the three URL forms on the conditions host, and the texts
// the client's events become.

// Reads the location string in current_location.location_text into the other fields as the
// stats driver does: region and state cleared; zip form sets zip and state and keeps city; US
// form sets region "US", city with "_" for blanks, and a full state name becomes its code
// through split_place_name (place_name is set to city + "," + state on the way); foreign form
// sets city with blanks and state to the label ("France (O)").
void read_request_location(ProgramState& state);

// True when the fields ask for a foreign city, whose station must be looked up first.
bool needs_station_lookup(const CurrentLocation& location);

// The URL of a conditions request on root ("http://host/"): by zip when zip has 2 or more
// characters, else the US page of state and city when region is "US", else the station page
// of the foreign station.
QString conditions_url_by_zip(const QString& root, const QString& zip);
QString conditions_url_us(const QString& root, const QString& state, const QString& city);
QString conditions_url_station(const QString& root, const QString& station);

// Texts of the client's events: by command code 0-12 ("Get Succeeded", "Get Failed"); an
// unknown code gives an empty text.
QString command_success_text(int cmd);
QString command_failure_text(int cmd);
// The byte count of an arriving chunk: "<received> of <total> bytes retrieved" when the total
// is known, else "<received> bytes retrieved...".
QString packet_received_text(qint64 received, qint64 total);

inline const QString status_idle = QStringLiteral("Thank you for using Nimbrix...");
