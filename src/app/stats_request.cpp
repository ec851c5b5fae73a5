#include "app/stats_request.h"

#include "locations/catalogue_lookups.h"
#include "locations/location_string.h"
#include "shared/program_state.h"

namespace {

constexpr const char* command_words[] = {"Get",    "Options", "Head",   "Post",   "Put",
                                         "Patch",  "Copy",    "Move",   "Delete", "Link",
                                         "UnLink", "Trace",   "Wrapped"};

} // namespace

void read_request_location(ProgramState& state) {
    CurrentLocation& location = state.current_location;
    location.region.clear();
    location.state.clear();
    const LocationStringParts parts = read_location_string(location.location_text);
    switch (parts.form) {
    case LocationForm::Zip:
        location.zip = parts.zip;
        location.state = parts.state;
        break;
    case LocationForm::UsCity:
        location.zip.clear();
        location.city = parts.city;
        location.state = parts.state;
        location.region = parts.region;
        if (location.state.size() > 2) { // a full state name
            location.place_name = location.city + QLatin1Char(',') + location.state;
            split_place_name(state);
            location.state = location.state_code;
        }
        break;
    case LocationForm::Foreign:
        location.zip.clear();
        location.city = parts.city;
        location.state = parts.state;
        break;
    }
}

bool needs_station_lookup(const CurrentLocation& location) {
    return location.zip.size() < 2 && location.region != QLatin1String("US");
}

QString conditions_url_by_zip(const QString& root, const QString& zip) {
    return root + QStringLiteral("cgi-bin/findweather/getForecast?query=") + zip;
}

QString conditions_url_us(const QString& root, const QString& state, const QString& city) {
    return root + QStringLiteral("US/") + state + QLatin1Char('/') + city + QStringLiteral(".html");
}

QString conditions_url_station(const QString& root, const QString& station) {
    return root + QStringLiteral("global/stations/") + station + QStringLiteral(".html");
}

namespace {

QString command_text(int cmd, QLatin1String outcome) {
    if (cmd < 0 || cmd >= int(std::size(command_words)))
        return {};
    return QLatin1String(command_words[cmd]) + QLatin1Char(' ') + outcome;
}

} // namespace

QString command_success_text(int cmd) {
    return command_text(cmd, QLatin1String("Succeeded"));
}

QString command_failure_text(int cmd) {
    return command_text(cmd, QLatin1String("Failed"));
}

QString packet_received_text(qint64 received, qint64 total) {
    if (total > 0)
        return QStringLiteral("%1 of %2 bytes retrieved").arg(received).arg(total);
    return QStringLiteral("%1 bytes retrieved...").arg(received);
}
