#pragma once

#include "shared/app_error.h"

#include <QHash>
#include <QString>
#include <vector>

// The location catalogue: the tree the chooser shows, the US state table, the region table
// and the foreign station table, plus what nimbrix-host needs to serve a page for every place.
// The data lives in src/locations/data/*.tsv, compiled in as resources under ":/locations/";
// it is read and indexed once, at first use, and never changes afterwards, so every accessor
// may be called from any thread.
//
// Lookups with the catalogue's messages: catalogue_lookups.h. Location strings:
// location_string.h. The chooser's reading of a tree path: tree_choice.h. Zip codes (host
// only): zip_codes.h.

// A malformed data file; only a broken build can raise it.
class CatalogueError : public AppError {
public:
    using AppError::AppError;
};

// One node of `location_tree`. The nodes are kept in stored order (pre-order), so a tree
// widget is filled by walking the vector once: a node's parent always comes before it.
struct LocationTreeNode {
    int level = 0;   // 0: "Continent" and the empty node; 1 continent; 2 country; 3; 4
    int parent = -1; // index of the parent node; -1 for the two top-level nodes
    QString text;
};

// A row of `state_table`: the 53 states and territories, then the two rows that only
// split_place_name consults ("Peru", "United_Kingdom").
struct StateRow {
    QString name;      // as matched: "Lousiana", "District of Columbia", "United_Kingdom"
    QString code;      // "LA", "DC"; "United Kingdom (O)" for a split-only row
    QString full_name; // the name a page title shows ("Louisiana"); empty for split-only rows
    bool split_only = false;
};

// A row of `region_table`: a label and the region it belongs to.
struct RegionRow {
    QString label;  // "Ontario (O)"
    QString region; // "Canada"
};

// A row of `station_table`, in table order; the table has one row per foreign tree city.
struct StationRow {
    QString region;  // "Europe"
    QString label;   // "United Kingdom (O)"
    QString city;    // the key, always with blanks: "Boscombe Down"
    QString station; // five digits, leading zeros kept: "03746"
};

// Every city of the tree with what a page about it needs.
struct CataloguePlace {
    int node = -1;          // index of the city's node in location_tree()
    bool us = false;        // a US place (state table) rather than a foreign one
    QString city;           // the tree's text: "Los_Angeles", "Boscombe_Down", "Calgary Int'L"
    QString parent;         // country, province or state as the tree names it
    QString title_name;     // "Paris, France", "London, Ontario", "Chicago, Illinois"
    QString request_path;   // "US/IL/Chicago.html" or "global/stations/07150.html"
    double latitude = 0.0;  // degrees north (foreign places: the station's position)
    double longitude = 0.0; // degrees east
    // Foreign places only.
    QString station; // the place's own station number (a repeated city key such as
                     // Queensland's "Richmond" has its own row, though lookups stop
                     // at the first)
    QString label;   // "Ontario (O)"
    QString region;  // the station table's region: "Canada", "Islands"
    // US places only.
    QString state_code;    // "IL"
    QString zip;           // a real zip code of the place: "60604"
    QString forecast_zone; // the weather service's forecast zone: "ILZ014"
};

// How a station list of one region is searched.
enum class StationKeying { City, Label, SharedLabels };

class Catalogue {
public:
    // The program-wide catalogue, loaded from the resources at first call.
    static const Catalogue& instance();
    // Reads and indexes every table from the resources (the benchmark times this).
    static Catalogue load();

    const std::vector<LocationTreeNode>& tree() const { return tree_; }
    const std::vector<StateRow>& states() const { return states_; }
    const std::vector<RegionRow>& regions() const { return regions_; }
    const std::vector<StationRow>& stations() const { return stations_; }
    const std::vector<CataloguePlace>& places() const { return places_; }

    // The place of a city node; nullptr for any other node.
    const CataloguePlace* place_for_node(int node) const;
    // The first place fetched by a conditions request path ("US/IL/Chicago.html",
    // "global/stations/03772.html"); nullptr when no place has it.
    const CataloguePlace* place_for_request_path(const QString& path) const;

    // Code of one of the 53 state names (exact, case-sensitive); empty when none.
    QString code_for_state_name(const QString& name) const;
    // Result of split_place_name's table: the 53 names, then "Peru", then "United_Kingdom".
    QString code_for_place_state(const QString& name) const;
    // Region of a label from the region table; empty when no label matches.
    QString region_for_label(const QString& label) const;
    // The table spelling of a state from its code ("LA" -> "Lousiana"); empty when none.
    QString state_name_for_code(const QString& code) const;

    struct StationList {
        QString not_found_prefix; // message shown before the city when the list lacks it
        QHash<QString, int> rows; // city key -> first row of the station table
    };
    struct RegionStations {
        StationKeying keying = StationKeying::City;
        std::vector<StationList> lists;    // one list (City, SharedLabels) or one per label
        QHash<QString, int> list_by_label; // unused for City keying
    };
    // The station lists of a region; nullptr for a region the table does not know.
    const RegionStations* region_stations(const QString& region) const;

private:
    Catalogue() = default;
    // The steps of load: the tables in order, each checked against the tree; then the indexes.
    struct PlaceSlots;
    void read_tree();
    void read_states_and_regions();
    PlaceSlots lay_out_places();
    std::size_t read_stations(const PlaceSlots& layout);
    std::size_t read_us_places(const PlaceSlots& layout);
    // The state and region tables' indexes, then the station table's.
    void index_states();
    void index_stations();

    std::vector<LocationTreeNode> tree_;
    std::vector<StateRow> states_;
    std::vector<RegionRow> regions_;
    std::vector<StationRow> stations_;
    std::vector<CataloguePlace> places_;

    QHash<QString, int> state_by_name_;       // the 53 names
    QHash<QString, int> place_state_by_name_; // the 53 names and the two split-only rows
    QHash<QString, int> state_by_code_;
    QHash<QString, QString> region_by_label_;
    QHash<QString, RegionStations> station_regions_;
    std::vector<int> place_by_node_;        // tree node -> place, -1 for other nodes
    QHash<QStringView, int> place_by_path_; // views of the places' request_path
};

// The tables as the rest of the program names them.
inline const std::vector<LocationTreeNode>& location_tree() {
    return Catalogue::instance().tree();
}
inline const std::vector<StateRow>& state_table() {
    return Catalogue::instance().states();
}
inline const std::vector<RegionRow>& region_table() {
    return Catalogue::instance().regions();
}
inline const std::vector<StationRow>& station_table() {
    return Catalogue::instance().stations();
}
inline const std::vector<CataloguePlace>& catalogue_places() {
    return Catalogue::instance().places();
}
