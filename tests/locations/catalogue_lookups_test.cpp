// state_to_code, split_place_name and lookup_station: the pure answers with their messages and
// beeps, and the bindings' effect on the shared state and the desktop, in order.
#include "locations/catalogue_lookups.h"
#include "shared/program_state.h"
#include "support/recording_desktop.h"

#include <gtest/gtest.h>

TEST(StateToCode, ConvertsOnlyExactTableNames) {
    const std::pair<QString, QString> cases[] = {
        {"Lousiana", "LA"},
        {"Louisiana", "Louisiana"},
        {"Alberta", "Alberta"},
        {"Texas", "TX"},
        {"texas", "texas"},
        {"Texas ", "Texas "},
        {".", "."},
        {"", ""},
        {"Peru", "Peru"},
        {"United_Kingdom", "United_Kingdom"},
        {"Virgin Islands", "VI"},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(state_to_code(in), out) << in.toStdString();

    ProgramState state;
    state.current_location.state = "District of Columbia";
    state_to_code(state);
    EXPECT_EQ(state.current_location.state, "DC");
}

TEST(SplitPlaceName, SplitsAtTheFirstCommaAndLooksUpTheTrimmedRest) {
    struct Case {
        QString place_name, place_city, state_code;
    };
    const Case cases[] = {
        {"Concord, New Hampshire", "Concord", "NH"},
        {"Chicago,  Illinois ", "Chicago", "IL"},
        {"Lima, Peru", "Lima", "Peru (O)"},
        {"Leeds, United_Kingdom", "Leeds", "United Kingdom (O)"},
        {"Leeds, United Kingdom", "Leeds", ""},
        {"Springfield", "Springfield", ""},
        {"Paris, France", "Paris", ""},
        {"New Orleans, Lousiana", "New Orleans", "LA"},
        {"Boise, idaho", "Boise", ""},
        {", Texas", "", "TX"},
        {"Kansas City, Missouri, USA", "Kansas City", ""},
        {"", "", ""},
    };
    for (const Case& c : cases) {
        const PlaceNameSplit got = split_place_name(c.place_name);
        EXPECT_EQ(got.place_city, c.place_city) << c.place_name.toStdString();
        EXPECT_EQ(got.state_code, c.state_code) << c.place_name.toStdString();
    }

    ProgramState state;
    state.current_location.place_name = "Concord, New Hampshire";
    state.current_location.state_code = "XX";
    split_place_name(state);
    EXPECT_EQ(state.place_city, "Concord");
    EXPECT_EQ(state.current_location.state_code, "NH");
    state.current_location.place_name = "Springfield";
    split_place_name(state);
    EXPECT_EQ(state.place_city, "Springfield");
    EXPECT_EQ(state.current_location.state_code, "");
}

namespace {
using Beep = StationLookup::Beep;
struct LookupCase {
    QString city, label, region;
    QString station, region_after, message;
    Beep beep;
};
} // namespace

TEST(LookupStation, AnswersEveryCaseWithItsMessageAndBeep) {
    const QString none;
    const LookupCase cases[] = {
        {"London", "United Kingdom (O)", "Europe", "03772", "Europe", none, Beep::None},
        {"London", "Texas (O)", "Canada", "71623", "Canada", none, Beep::None},
        {"London", "", "Canada", "71623", "Canada", none, Beep::None},
        {"London", "Ontario (O)", "", "71623", "Canada", none, Beep::None},
        {"Bombay", "India (O)", "", "43003", "Asia", none, Beep::None},
        {"Cairo", "Egypt (O)", "", "62366", "Africa", none, Beep::None},
        {"Nassau", "Bahamas (O)", "Islands", "78073", "Islands", none, Beep::None},
        {"Nassau", "Fiji (O)", "Islands", "78073", "Islands", none, Beep::None},
        {"Nassau", "Cayman Island (O)", "", "78073", "Islands", none, Beep::None},
        {"George Town", "Trinidad And Tobago (O)", "", "78384", "Islands", none, Beep::None},
        {"Richmond", "Queensland (O)", "", "94753", "Australia", none, Beep::None},
        {"Santiago", "Panama (O)", "", "78460", "Central America", none, Beep::None},
        {"Santiago", "Spain (O)", "", "08042", "Europe", none, Beep::None},
        {"Boscombe Down", "United Kingdom (O)", "Europe", "03746", "Europe", none, Beep::None},
        // the key is written with blanks, so the tree's "_" form is not found
        {"Boscombe_Down", "United Kingdom (O)", "Europe", "n/a", "Europe",
         "Sorry, invalid City found for UK:Boscombe_Down", Beep::None},
        {"london", "United Kingdom (O)", "Europe", "n/a", "Europe",
         "Sorry, invalid City found for UK:london", Beep::None},
        {"London ", "United Kingdom (O)", "Europe", "n/a", "Europe",
         "Sorry, invalid City found for UK:London ", Beep::None},
        {"Atlantis", "Egypt (O)", "Africa", "n/a", "Africa",
         "Sorry, invalid Province/City found for Africa:Atlantis", Beep::None},
        {"Atlantis", "Alberta (O)", "Canada", "n/a", "Canada",
         "Sorry, invalid Province/City found for Canada:Atlantis", Beep::None},
        {"Atlantis", "Japan (O)", "Asia", "n/a", "Asia",
         "Sorry, invalid City found for Japan:Atlantis", Beep::None},
        {"Atlantis", "Peru (O)", "", "n/a", "South America",
         "Sorry, invalid City found for Peru:Atlantis", Beep::None},
        {"Atlantis", "Jamaica (O)", "Islands", "n/a", "Islands",
         "Sorry, invalid city found for Island locations:Atlantis", Beep::None},
        // Tokyo is in Japan's list, not India's
        {"Tokyo", "India (O)", "Asia", "n/a", "Asia", "Sorry, invalid City found for India:Tokyo",
         Beep::None},
        {"Paris", "Greece (O)", "Europe", "", "Europe", none, Beep::None},
        {"Nassau", "Greece (O)", "Islands", "", "Islands", none, Beep::None},
        {"Athens", "Greece (O)", "", "", "",
         "Error - invalid state/territory (Foreign_locations):Greece (O)", Beep::BeforeMessage},
        {"Cairo", "egypt (O)", "", "", "",
         "Error - invalid state/territory (Foreign_locations):egypt (O)", Beep::BeforeMessage},
        {"Pole", "Ross (O)", "Antarctica", "", "Antarctica",
         "Sorry, this foreign country info is not added yet...Antarctica", Beep::None},
        {"Austin", "United States (O)", "North America", "", "North America",
         "Sorry, this foreign country info is not added yet...North America", Beep::None},
        {"", "Egypt (O)", "Africa", "", "Africa",
         "Error - City field is empty in Foreign_locations; city:", Beep::AfterMessage},
        {"", "Greece (O)", "", "", "",
         "Error - City field is empty in Foreign_locations; city:", Beep::AfterMessage},
    };
    for (const LookupCase& c : cases) {
        const StationLookup got = lookup_station(c.city, c.label, c.region);
        const std::string what = QString(c.city + " / " + c.label + " / " + c.region).toStdString();
        EXPECT_EQ(got.station, c.station) << what;
        EXPECT_EQ(got.region, c.region_after) << what;
        EXPECT_EQ(got.message, c.message) << what;
        EXPECT_EQ(got.beep, c.beep) << what;
    }
}

TEST(LookupStation, BindingWritesTheSharedStateAndShowsBoxAndBeepInOrder) {
    struct Case {
        QString city, label, region;
        QString station, region_after;
        QStringList log;
    };
    const Case cases[] = {
        {"Bombay", "India (O)", "", "43003", "Asia", {}},
        {"Athens",
         "Greece (O)",
         "",
         "",
         "",
         {"beep", "message: Error - invalid state/territory (Foreign_locations):Greece (O)"}},
        {"",
         "Egypt (O)",
         "Africa",
         "",
         "Africa",
         {"message: Error - City field is empty in Foreign_locations; city:", "beep"}},
        {"Atlantis",
         "Egypt (O)",
         "",
         "n/a",
         "Africa",
         {"message: Sorry, invalid Province/City found for Africa:Atlantis"}},
    };
    for (const Case& c : cases) {
        ProgramState state;
        RecordingDesktop desktop;
        state.current_location.city = c.city;
        state.current_location.state = c.label;
        state.current_location.region = c.region;
        state.current_location.station = "stale";
        lookup_station(state, desktop);
        EXPECT_EQ(state.current_location.station, c.station) << c.city.toStdString();
        EXPECT_EQ(state.current_location.region, c.region_after) << c.city.toStdString();
        EXPECT_EQ(state.current_location.state, c.label);
        EXPECT_EQ(desktop.log(), c.log) << c.city.toStdString();
    }
}
