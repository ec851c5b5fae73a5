#include "locations/catalogue_lookups.h"

#include "locations/catalogue.h"
#include "platform/desktop.h"
#include "shared/program_state.h"

QString state_to_code(const QString& state) {
    const QString code = Catalogue::instance().code_for_state_name(state);
    return code.isEmpty() ? state : code;
}

void state_to_code(ProgramState& state) {
    state.current_location.state = state_to_code(state.current_location.state);
}

PlaceNameSplit split_place_name(const QString& place_name) {
    PlaceNameSplit split{place_name, QString()};
    const qsizetype comma = place_name.indexOf(u',');
    if (comma < 0)
        return split;
    split.place_city = place_name.left(comma);
    const QString rest = place_name.mid(comma + 1).trimmed();
    split.state_code = Catalogue::instance().code_for_place_state(rest);
    return split;
}

void split_place_name(ProgramState& state) {
    PlaceNameSplit split = split_place_name(state.current_location.place_name);
    state.place_city = std::move(split.place_city);
    state.current_location.state_code = std::move(split.state_code);
}

StationLookup lookup_station(const QString& city, const QString& label, const QString& region) {
    return lookup_station(Catalogue::instance(), city, label, region);
}

StationLookup lookup_station(const Catalogue& catalogue, const QString& city, const QString& label,
                             const QString& region) {
    StationLookup result;
    result.region = region;
    if (city.isEmpty()) {
        result.message =
            QStringLiteral("Error - City field is empty in Foreign_locations; city:") + city;
        result.beep = StationLookup::Beep::AfterMessage;
        return result;
    }
    if (result.region.isEmpty()) {
        result.region = catalogue.region_for_label(label);
        if (result.region.isEmpty()) {
            result.message =
                QStringLiteral("Error - invalid state/territory (Foreign_locations):") + label;
            result.beep = StationLookup::Beep::BeforeMessage;
            return result;
        }
    }
    const Catalogue::RegionStations* stations = catalogue.region_stations(result.region);
    if (stations == nullptr) {
        result.message =
            QStringLiteral("Sorry, this foreign country info is not added yet...") + result.region;
        return result;
    }
    const Catalogue::StationList* list = &stations->lists.front();
    if (stations->keying != StationKeying::City) {
        const auto found = stations->list_by_label.constFind(label);
        if (found == stations->list_by_label.constEnd())
            return result; // a label this region does not list: no station, no message
        list = &stations->lists[*found];
    }
    const auto row = list->rows.constFind(city);
    if (row == list->rows.constEnd()) {
        result.message = list->not_found_prefix + city;
        result.station = QStringLiteral("n/a");
        return result;
    }
    result.station = catalogue.stations()[*row].station;
    return result;
}

void lookup_station(ProgramState& state, Desktop& desktop) {
    CurrentLocation& loc = state.current_location;
    loc.station.clear();
    const StationLookup result = lookup_station(loc.city, loc.state, loc.region);
    loc.region = result.region;
    if (result.beep == StationLookup::Beep::BeforeMessage)
        desktop.beep();
    if (!result.message.isEmpty())
        desktop.message(result.message);
    if (result.beep == StationLookup::Beep::AfterMessage)
        desktop.beep();
    loc.station = result.station;
}
