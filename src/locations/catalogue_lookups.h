#pragma once

#include <QString>

class Catalogue;
class Desktop;
struct ProgramState;

// The catalogue's three operations. Each comes twice: a pure function that takes its inputs
// and returns what it decides, messages included, and a binding that reads and writes the
// program-wide state and shows the messages in the order the routine does.

// A state name from the state table ("Lousiana") becomes its code ("LA"); any other text
// (a province, a country, the "." of a zip request, "Louisiana") comes back unchanged.
QString state_to_code(const QString& state);
// current_location.state := state_to_code(current_location.state).
void state_to_code(ProgramState& state);

struct PlaceNameSplit {
    QString place_city; // the text before the first ","; the whole name when it has none
    QString state_code; // the table's answer for the trimmed rest; empty when none
};
// "Concord, New Hampshire" -> {"Concord", "NH"}; "Lima, Peru" -> {"Lima", "Peru (O)"};
// "Leeds, United_Kingdom" -> {"Leeds", "United Kingdom (O)"}; "Springfield" -> {"Springfield", ""}.
PlaceNameSplit split_place_name(const QString& place_name);
// Reads current_location.place_name; writes place_city and current_location.state_code.
void split_place_name(ProgramState& state);

struct StationLookup {
    enum class Beep { None, BeforeMessage, AfterMessage };

    QString station; // a station number, "n/a" (city not in its list) or empty
    QString region;  // the region afterwards: the caller's, or the region table's when it was
                     // empty and the label was found there
    QString message; // the one message box to show; empty for none
    Beep beep = Beep::None;
};
// Finds the station of a foreign city. `city` uses blanks, never "_"; `label` is the country
// or province followed by " (O)"; an empty `region` is taken from the region table by label.
// Messages: an empty city "Error - City field is empty in Foreign_locations; city:" (beep
// after the box); a label the region table lacks when the region is empty "Error - invalid
// state/territory (Foreign_locations):" + label (beep before); a region no list knows
// "Sorry, this foreign country info is not added yet..." + region; a city its list lacks the
// list's "Sorry, invalid ... found for ...:" + city with the station "n/a". A label that a
// label-keyed region does not list ends with an empty station and no message.
StationLookup lookup_station(const QString& city, const QString& label, const QString& region);
StationLookup lookup_station(const Catalogue& catalogue, const QString& city, const QString& label,
                             const QString& region);
// Reads current_location.city, .state (the label) and .region; clears .station, sets .region
// when it was empty, shows the message with its beep, then sets .station.
void lookup_station(ProgramState& state, Desktop& desktop);
