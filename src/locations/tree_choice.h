#pragma once

#include <QString>

// The chooser's reading of the selected node's path. The path is built from the node up:
// node text + "\" + path, so the city Austin gives
// "Continent\North America\United States\Texas\Austin\".

// The path of a node of location_tree() in that form.
QString tree_path_for_node(int node);

struct TreeChoice {
    enum class Outcome {
        NoSelection, // empty path, or the empty top-level node (the path starts with "\")
        NoContinent, // only "Continent"
        NoCountry,   // only a continent
        NoState,     // a country, Canada or United States without its next level
        NoCity,      // a US state or Canadian province without a city
        Complete,
    };
    Outcome outcome = Outcome::NoSelection;
    QString message; // the box of the incomplete outcomes (a beep follows it)
    QString continent;
    QString region; // "United States" or "Canada" for a city four levels down; otherwise the
                    // continent
    QString state;  // state or province; otherwise the country
    QString city;
};

// Cuts the path after its first "\" and splits the rest at "\" into fields 1 to 4 (a field is
// present when it is not empty). With a field 4: continent, region, state, city = fields 1-4;
// with three: city = field 3, state = field 2, region = continent = field 1.
TreeChoice tree_choice(const QString& tree_path);
