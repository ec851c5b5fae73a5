#pragma once

#include <QString>

struct CurrentLocation;

// The location string: one line naming a location, used as preset caption and stored preset,
// as the "StartupLoc" setting, after "Nimbrix - " in the main window's caption and as the
// stats driver's input. Three forms:
//   US city  "Los_Angeles, CA"       (also "Chicago, Illinois" with the full state name)
//   foreign  "Paris, France (O)"     (the page's place name and " (O)")
//   zip      "60601 - Chicago, IL"
// Every caller reads with read_location_string and builds with the functions below.

enum class LocationForm { UsCity, Foreign, Zip };

struct LocationStringParts {
    LocationForm form = LocationForm::UsCity;
    QString zip;    // zip form: the first five characters; empty otherwise
    QString city;   // the text before the first "," (empty when there is none); US form with
                    // every blank made "_", foreign form with every "_" made a blank; empty
                    // in the zip form, where the caller keeps the city it had
    QString state;  // US and zip forms: everything from two characters after the first ","
                    // (from the second character when there is no comma): a code or a full
                    // state name; foreign form: the label, e.g. "France (O)"
    QString region; // "US" for the US form; empty otherwise (the station lookup derives it)
};

// The stats driver's reading. A first character that is a decimal digit makes the zip form;
// otherwise a "(" at the second character or later makes the foreign form, whose label is
// the text from two after the first "," up to that "(" followed by "(O)".
LocationStringParts read_location_string(const QString& text);

// True when the first "(" of the text stands at its second character or later: a foreign
// label such as "Egypt (O)" or a foreign location string.
bool has_foreign_marker(const QString& text);

// "Los_Angeles, CA": the city as the request used it and the two-letter code.
QString us_location_string(const QString& city, const QString& state_code);
// "Cairo, Egypt (O)": the place name of the page title and " (O)".
QString foreign_location_string(const QString& place_name);
// "60601 - Chicago, IL".
QString zip_location_string(const QString& zip, const QString& place_city,
                            const QString& state_code);

// The preset builder's entry for the location just fetched, with what it derives on the way.
struct PresetLocation {
    QString entry;      // the location string
    QString place_city; // zip requests: split_place_name's place_city; empty otherwise
    QString state_code; // zip requests: split_place_name's code, which also becomes `state`
};
// A zip of 2 or more characters gives the zip form from the split place name; a state with
// the foreign marker gives the foreign form from place_name; anything else the US form from
// city and state.
PresetLocation preset_location_string(const CurrentLocation& location);
