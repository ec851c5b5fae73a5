// The one reader and the builders of location strings, and the chooser's field rule.
#include "locations/catalogue.h"
#include "locations/location_string.h"
#include "locations/tree_choice.h"
#include "shared/program_state.h"

#include <gtest/gtest.h>

TEST(ReadLocationString, RecognisesTheThreeFormsAsTheStatsDriverDoes) {
    struct Case {
        QString text;
        LocationForm form;
        QString zip, city, state, region;
    };
    const Case cases[] = {
        {"Chicago, IL", LocationForm::UsCity, "", "Chicago", "IL", "US"},
        {"New York, NY", LocationForm::UsCity, "", "New_York", "NY", "US"},
        {"Los_Angeles, CA", LocationForm::UsCity, "", "Los_Angeles", "CA", "US"},
        {"Springfield, Illinois", LocationForm::UsCity, "", "Springfield", "Illinois", "US"},
        {"", LocationForm::UsCity, "", "", "", "US"},
        // no comma: the city is empty and the state is everything from the second character
        {"Springfield", LocationForm::UsCity, "", "", "pringfield", "US"},
        // a "(" in the first position does not make the foreign form
        {"(Austin, TX", LocationForm::UsCity, "", "(Austin", "TX", "US"},
        {"Paris, France (O)", LocationForm::Foreign, "", "Paris", "France (O)", ""},
        {"Bombay, India (O)", LocationForm::Foreign, "", "Bombay", "India (O)", ""},
        {"St._Mawgan, United Kingdom (O)", LocationForm::Foreign, "", "St. Mawgan",
         "United Kingdom (O)", ""},
        {"London, Ontario (O)", LocationForm::Foreign, "", "London", "Ontario (O)", ""},
        {"Nowhere (O)", LocationForm::Foreign, "", "", "owhere (O)", ""},
        {"Cairo,Egypt (O)", LocationForm::Foreign, "", "Cairo", "gypt (O)", ""},
        {"A(b), Peru (O)", LocationForm::Foreign, "", "A(b)", "(O)", ""},
        {"60601 - Chicago, IL", LocationForm::Zip, "60601", "", "IL", ""},
        {"123", LocationForm::Zip, "123", "", "23", ""},
        {"9", LocationForm::Zip, "9", "", "", ""},
    };
    for (const Case& c : cases) {
        const LocationStringParts got = read_location_string(c.text);
        const std::string what = c.text.toStdString();
        EXPECT_EQ(got.form, c.form) << what;
        EXPECT_EQ(got.zip, c.zip) << what;
        EXPECT_EQ(got.city, c.city) << what;
        EXPECT_EQ(got.state, c.state) << what;
        EXPECT_EQ(got.region, c.region) << what;
    }
}

TEST(BuildLocationString, MakesThePresetEntriesThatReadBackTheSame) {
    CurrentLocation us;
    us.city = "Los_Angeles";
    us.state = "CA";
    EXPECT_EQ(preset_location_string(us).entry, "Los_Angeles, CA");

    CurrentLocation foreign;
    foreign.state = "Egypt (O)";
    foreign.city = "62366";
    foreign.place_name = "Cairo, Egypt";
    EXPECT_EQ(preset_location_string(foreign).entry, "Cairo, Egypt (O)");

    CurrentLocation zip;
    zip.zip = "60601";
    zip.state = ".";
    zip.place_name = "Chicago, Illinois";
    const PresetLocation z = preset_location_string(zip);
    EXPECT_EQ(z.entry, "60601 - Chicago, IL");
    EXPECT_EQ(z.place_city, "Chicago");
    EXPECT_EQ(z.state_code, "IL");

    // Round trips through the reader.
    const LocationStringParts back = read_location_string(us_location_string("Little_Rock", "AR"));
    EXPECT_EQ(back.city, "Little_Rock");
    EXPECT_EQ(back.state, "AR");
    const LocationStringParts f = read_location_string(foreign_location_string("Cairo, Egypt"));
    EXPECT_EQ(f.form, LocationForm::Foreign);
    EXPECT_EQ(f.city, "Cairo");
    EXPECT_EQ(f.state, "Egypt (O)");
    const LocationStringParts zz =
        read_location_string(zip_location_string("00802", "Charlotte Amalie", "VI"));
    EXPECT_EQ(zz.zip, "00802");
    EXPECT_EQ(zz.state, "VI");

    EXPECT_TRUE(has_foreign_marker("Egypt (O)"));
    EXPECT_FALSE(has_foreign_marker("(O)"));
    EXPECT_FALSE(has_foreign_marker("TX"));
}

TEST(ForeignPlaceTitles, ReadBackToTheirOwnLabel) {
    // The host titles each foreign page "City, Country"; the preset made from it must find the
    // label again.
    for (const CataloguePlace& p : catalogue_places()) {
        if (p.us)
            continue;
        const LocationStringParts parts =
            read_location_string(foreign_location_string(p.title_name));
        ASSERT_EQ(parts.form, LocationForm::Foreign) << p.title_name.toStdString();
        EXPECT_EQ(parts.state, p.label) << p.title_name.toStdString();
        EXPECT_EQ(parts.city, QString(p.city).replace('_', ' '));
    }
}

TEST(TreeChoice, AppliesTheChoosersFieldRule) {
    struct Case {
        QString path;
        TreeChoice::Outcome outcome;
        QString message, continent, region, state, city;
    };
    using O = TreeChoice::Outcome;
    const Case cases[] = {
        {"Continent\\North America\\United States\\Texas\\Austin\\", O::Complete, "",
         "North America", "United States", "Texas", "Austin"},
        {"Continent\\North America\\Canada\\Alberta\\Calgary Int'L\\", O::Complete, "",
         "North America", "Canada", "Alberta", "Calgary Int'L"},
        {"Continent\\Africa\\Egypt\\Cairo\\", O::Complete, "", "Africa", "Africa", "Egypt",
         "Cairo"},
        // A state or province without a city is refused (it would be looked up as a city).
        {"Continent\\North America\\United States\\Texas\\", O::NoCity,
         "Error - please select a City.", "", "", "", ""},
        {"Continent\\North America\\Canada\\Yukon Territory\\", O::NoCity,
         "Error - please select a City.", "", "", "", ""},
        {"Continent\\Africa\\Egypt\\", O::NoState, "Error - please select a State.", "", "", "",
         ""},
        {"Continent\\Africa\\", O::NoCountry, "Error - please select a Country.", "", "", "", ""},
        {"Continent\\", O::NoContinent, "Error - please select a Continent.", "", "", "", ""},
        {"\\", O::NoSelection, "", "", "", "", ""},
        {"", O::NoSelection, "", "", "", "", ""},
    };
    for (const Case& c : cases) {
        const TreeChoice got = tree_choice(c.path);
        const std::string what = c.path.toStdString();
        EXPECT_EQ(got.outcome, c.outcome) << what;
        EXPECT_EQ(got.message, c.message) << what;
        EXPECT_EQ(got.continent, c.continent) << what;
        EXPECT_EQ(got.region, c.region) << what;
        EXPECT_EQ(got.state, c.state) << what;
        EXPECT_EQ(got.city, c.city) << what;
    }
    const CataloguePlace* austin =
        Catalogue::instance().place_for_request_path("US/TX/Austin.html");
    ASSERT_NE(austin, nullptr);
    EXPECT_EQ(tree_path_for_node(austin->node),
              "Continent\\North America\\United States\\Texas\\Austin\\");
    EXPECT_EQ(tree_path_for_node(static_cast<int>(location_tree().size()) - 1), "\\");
}
