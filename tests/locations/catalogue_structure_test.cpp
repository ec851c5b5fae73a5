// The catalogue's shape: counts per level and per parent, stored order, required spellings and
// telling rows, and every foreign tree city resolving through the chooser's own steps.
#include "locations/catalogue.h"
#include "locations/catalogue_lookups.h"
#include "locations/tree_choice.h"
#include "locations/zip_codes.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <gtest/gtest.h>
#include <map>

namespace {

const std::vector<LocationTreeNode>& tree() {
    return location_tree();
}

std::vector<int> children(int node) {
    std::vector<int> out;
    for (int i = 0; i < static_cast<int>(tree().size()); ++i)
        if (tree()[i].parent == node)
            out.push_back(i);
    return out;
}

int child_named(int node, const QString& text) {
    for (int c : children(node))
        if (tree()[c].text == text)
            return c;
    return -1;
}

QStringList texts(const std::vector<int>& nodes) {
    QStringList out;
    for (int n : nodes)
        out << tree()[n].text;
    return out;
}

int node_at(const QStringList& path) {
    int node = 0;
    for (const QString& part : path) {
        node = child_named(node, part);
        if (node < 0)
            return -1;
    }
    return node;
}

} // namespace

TEST(LocationTree, HasTheExactCountsPerLevel) {
    ASSERT_EQ(tree().size(), 2006u);
    std::map<int, int> per_level;
    for (const LocationTreeNode& n : tree())
        ++per_level[n.level];
    EXPECT_EQ(per_level[0], 2);
    EXPECT_EQ(per_level[1], 8);
    EXPECT_EQ(per_level[2], 48);
    EXPECT_EQ(per_level[3], 1000);
    EXPECT_EQ(per_level[4], 948);

    EXPECT_EQ(tree().front().text, "Continent");
    EXPECT_EQ(tree().back().text, "");
    EXPECT_EQ(tree().back().level, 0);
    EXPECT_TRUE(children(static_cast<int>(tree().size()) - 1).empty());
}

TEST(LocationTree, ContinentsAndCountriesInStoredOrderWithTheirCityCounts) {
    const std::vector<std::pair<QString, std::vector<std::pair<QString, int>>>> expected = {
        {"Africa", {{"Egypt", 1}, {"Kenya", 18}, {"Tanzania", 15}}},
        {"Asia", {{"India", 5}, {"Japan", 123}, {"Malaysia", 14}}},
        {"Australia",
         {{"Capital Territory", 1},
          {"New South Wales", 14},
          {"New Zealand", 37},
          {"Northern Territory", 13},
          {"Queensland", 28},
          {"South Australia", 30},
          {"Tasmania", 5},
          {"Victoria", 8},
          {"Western Australia", 93}}},
        {"Central America",
         {{"Belize", 3},
          {"Costa Rica", 5},
          {"Dominica", 2},
          {"Dominican Republic", 8},
          {"El Salvador", 3},
          {"Guatemala", 8},
          {"Honduras", 13},
          {"Mexico", 91},
          {"Nicaragua", 5},
          {"Panama", 4}}},
        {"Europe",
         {{"Finland", 13},
          {"France", 72},
          {"Germany", 43},
          {"Italy", 74},
          {"Netherlands", 19},
          {"Norway", 42},
          {"Romania", 7},
          {"Russia", 1},
          {"Spain", 4},
          {"Switzerland", 3},
          {"Turkey", 1},
          {"United Kingdom", 51}}},
        {"Islands",
         {{"Antigua", 1},
          {"Bahamas", 12},
          {"Barbados", 1},
          {"Bermuda", 1},
          {"Cayman Island", 1},
          {"Fiji", 12},
          {"Jamaica", 2},
          {"Trinidad And Tobago", 2}}},
        {"North America", {{"Canada", 12}, {"United States", 53}}},
        {"South America", {{"Peru", 26}}},
    };
    const std::vector<int> continents = children(0);
    ASSERT_EQ(continents.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(tree()[continents[i]].text, expected[i].first);
        const std::vector<int> countries = children(continents[i]);
        ASSERT_EQ(countries.size(), expected[i].second.size()) << expected[i].first.toStdString();
        for (std::size_t j = 0; j < countries.size(); ++j) {
            EXPECT_EQ(tree()[countries[j]].text, expected[i].second[j].first);
            EXPECT_EQ(static_cast<int>(children(countries[j]).size()), expected[i].second[j].second)
                << expected[i].second[j].first.toStdString();
        }
    }
}

TEST(LocationTree, CanadianProvincesInStoredOrderWithTheirCityCounts) {
    const std::vector<std::pair<QString, int>> expected = {
        {"Alberta", 53},       {"British Columbia", 78}, {"Manitoba", 29},
        {"New Brunswick", 10}, {"Newfoundland", 0},      {"Northwest Territory", 0},
        {"Nova Scotia", 13},   {"Ontario", 63},          {"Prince Edward Island", 3},
        {"Quebec", 75},        {"Saskatchewan", 37},     {"Yukon Territory", 0}};
    const std::vector<int> provinces = children(node_at({"North America", "Canada"}));
    ASSERT_EQ(provinces.size(), expected.size());
    int cities = 0;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(tree()[provinces[i]].text, expected[i].first);
        EXPECT_EQ(static_cast<int>(children(provinces[i]).size()), expected[i].second);
        cities += static_cast<int>(children(provinces[i]).size());
    }
    EXPECT_EQ(cities, 361);
}

TEST(LocationTree, UsStatesAreTheStateTableInAlphabeticalOrderWithTheirCityCounts) {
    const std::vector<int> states = children(node_at({"North America", "United States"}));
    QStringList table;
    for (const StateRow& row : state_table())
        if (!row.split_only)
            table << row.name;
    ASSERT_EQ(table.size(), 53);
    EXPECT_EQ(texts(states), table);
    QStringList sorted = table;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted, table);
    EXPECT_EQ(table.indexOf("Lousiana"), table.indexOf("Kentucky") + 1);
    EXPECT_EQ(table.indexOf("Maine"), table.indexOf("Lousiana") + 1);

    const std::map<QString, int> fixed = {{"California", 40}, {"Texas", 35},
                                          {"Michigan", 25},   {"Washington", 21},
                                          {"Florida", 20},    {"District of Columbia", 1}};
    int total = 0;
    for (int s : states) {
        const int n = static_cast<int>(children(s).size());
        total += n;
        EXPECT_GE(n, 1) << tree()[s].text.toStdString();
        EXPECT_LE(n, 40) << tree()[s].text.toStdString();
        const auto it = fixed.find(tree()[s].text);
        if (it != fixed.end()) {
            EXPECT_EQ(n, it->second) << it->first.toStdString();
        }
    }
    EXPECT_EQ(total, 587);
}

TEST(LocationTree, OnlyCitiesAreLeavesBesidesThreeProvincesAndTheEmptyNode) {
    QStringList other_leaves;
    for (int i = 0; i < static_cast<int>(tree().size()); ++i) {
        if (!children(i).empty())
            continue;
        if (catalogue_places().empty() || Catalogue::instance().place_for_node(i) == nullptr)
            other_leaves << tree()[i].text;
    }
    EXPECT_EQ(other_leaves,
              QStringList({"Newfoundland", "Northwest Territory", "Yukon Territory", ""}));
    EXPECT_EQ(catalogue_places().size(), 1296u + 587u);
}

TEST(LocationTree, NoCityRepeatsUnderOneParentAndNoCityTextBreaksALocationString) {
    std::map<int, QSet<QString>> seen;
    for (const CataloguePlace& place : catalogue_places()) {
        const int parent = tree()[place.node].parent;
        EXPECT_FALSE(seen[parent].contains(place.city)) << place.city.toStdString();
        seen[parent].insert(place.city);
        EXPECT_FALSE(place.city.contains(u',') || place.city.contains(u'(') ||
                     place.city.contains(u'\\'))
            << place.city.toStdString();
    }
}

TEST(LocationTree, RequiredSpellingsStandUnderTheirParents) {
    const std::vector<QStringList> required = {
        {"Asia", "India", "Bombay"},
        {"South America", "Peru", "Lima-Callao"},
        {"North America", "Canada", "Alberta", "Calgary Int'L"},
        {"Europe", "Finland", "Helsinki-Vantaa"},
        {"Africa", "Tanzania", "Dar Es Salaam"},
        {"Europe", "United Kingdom", "Boscombe_Down"},
        {"Europe", "United Kingdom", "St._Mawgan"},
        {"Europe", "United Kingdom", "Brize Norton"},
        {"Europe", "United Kingdom", "Isle Of Man"},
        {"Europe", "United Kingdom", "London"},
        {"North America", "Canada", "Ontario", "London"},
        {"Australia", "New South Wales", "Sydney"},
        {"North America", "Canada", "Nova Scotia", "Sydney"},
        {"Australia", "New South Wales", "Richmond"},
        {"Australia", "Queensland", "Richmond"},
        {"North America", "United States", "Virginia", "Richmond"},
        {"Central America", "Dominican Republic", "Santiago"},
        {"Central America", "Panama", "Santiago"},
        {"Europe", "Spain", "Santiago"},
        {"North America", "United States", "California", "Los_Angeles"},
        {"North America", "United States", "Arkansas", "Little_Rock"},
        {"North America", "United States", "Alabama", "Muscle_Shoals"},
        {"North America", "United States", "Texas", "Austin"},
        {"Africa", "Egypt", "Cairo"},
    };
    for (const QStringList& path : required)
        EXPECT_GE(node_at(path), 0) << path.join('\\').toStdString();
    // Largest place of each state first.
    EXPECT_EQ(tree()[children(node_at({"North America", "United States", "California"}))[0]].text,
              "Los_Angeles");
    EXPECT_EQ(tree()[children(node_at({"North America", "United States", "Arkansas"}))[0]].text,
              "Little_Rock");
}

TEST(StationTable, HasOneRowPerForeignTreeCityWithTheRegionCounts) {
    ASSERT_EQ(station_table().size(), 1296u);
    std::map<QString, int> per_region;
    const QRegularExpression five_digits("^\\d{5}$");
    for (const StationRow& row : station_table()) {
        ++per_region[row.region];
        EXPECT_TRUE(five_digits.match(row.station).hasMatch()) << row.station.toStdString();
        EXPECT_FALSE(row.city.contains(u'_')) << row.city.toStdString();
        EXPECT_TRUE(row.label.endsWith(" (O)"));
    }
    const std::map<QString, int> expected = {
        {"Africa", 34},           {"Asia", 142},   {"Australia", 229}, {"Canada", 361},
        {"Central America", 142}, {"Europe", 330}, {"Islands", 32},    {"South America", 26}};
    EXPECT_EQ(per_region, expected);
}

TEST(StationTable, TellingRowsAnswerTheirNumbers) {
    struct Row {
        const char* region;
        const char* label;
        const char* city;
        const char* station;
    };
    const Row rows[] = {
        {"Africa", "Egypt (O)", "Cairo", "62366"},
        {"Africa", "Kenya (O)", "Nairobi", "63740"},
        {"Asia", "India (O)", "Bombay", "43003"},
        {"Asia", "Japan (O)", "Tokyo", "47662"},
        {"Australia", "New South Wales (O)", "Sydney", "94767"},
        {"Australia", "New Zealand (O)", "Auckland", "93110"},
        {"Canada", "Nova Scotia (O)", "Sydney", "71707"},
        {"Canada", "Ontario (O)", "London", "71623"},
        {"Europe", "United Kingdom (O)", "London", "03772"},
        {"Europe", "United Kingdom (O)", "Boscombe Down", "03746"},
        {"Europe", "France (O)", "Paris", "07150"},
        {"Europe", "Russia (O)", "Moscow", "27515"},
        {"Islands", "Bahamas (O)", "Nassau", "78073"},
        {"South America", "Peru (O)", "Lima-Callao", "84628"},
        // a city repeated in a list keyed by city alone resolves to its first row
        {"Australia", "Queensland (O)", "Richmond", "94753"},
        {"Central America", "Panama (O)", "Santiago", "78460"},
    };
    for (const Row& r : rows) {
        const StationLookup got = lookup_station(r.city, r.label, r.region);
        EXPECT_EQ(got.station, r.station) << r.city;
        EXPECT_EQ(got.message, "") << r.city;
    }
    // The never-reached rows still hold their own stations.
    QStringList second_rows;
    for (const StationRow& row : station_table())
        if ((row.city == "Richmond" && row.label == "Queensland (O)") ||
            (row.city == "Santiago" && row.label == "Panama (O)"))
            second_rows << row.station;
    EXPECT_EQ(second_rows, QStringList({"94340", "78795"}));
}

TEST(StateAndRegionTables, HaveTheirRowsAndCodes) {
    ASSERT_EQ(state_table().size(), 55u);
    EXPECT_EQ(region_table().size(), 57u);
    const QRegularExpression code("^[A-Z]{2}$");
    for (const StateRow& row : state_table()) {
        if (!row.split_only) {
            EXPECT_TRUE(code.match(row.code).hasMatch()) << row.name.toStdString();
        }
    }
    EXPECT_EQ(state_table()[53].name, "Peru");
    EXPECT_EQ(state_table()[53].code, "Peru (O)");
    EXPECT_EQ(state_table()[54].name, "United_Kingdom");
    EXPECT_EQ(state_table()[54].code, "United Kingdom (O)");
    const std::map<QString, QString> spot = {{"Lousiana", "LA"},    {"District of Columbia", "DC"},
                                             {"Puerto Rico", "PR"}, {"Virgin Islands", "VI"},
                                             {"Nebraska", "NE"},    {"Maine", "ME"}};
    for (const auto& [name, c] : spot)
        EXPECT_EQ(state_to_code(name), c);
    // every label of the region table is a tree node's text plus " (O)"
    QSet<QString> tree_labels;
    for (const LocationTreeNode& n : tree())
        if (n.level >= 1 && n.level <= 3)
            tree_labels.insert(n.text + " (O)");
    for (const RegionRow& row : region_table())
        EXPECT_TRUE(tree_labels.contains(row.label)) << row.label.toStdString();
}

// The chooser's steps: path of the node, field rule, state_to_code, " (O)" on the state,
// "_" made blanks, then lookup_station with the field rule's region.
TEST(ForeignTreeCities, EveryOneResolvesThroughTheChoosersLookup) {
    int resolved = 0;
    for (const CataloguePlace& place : catalogue_places()) {
        if (place.us)
            continue;
        const TreeChoice choice = tree_choice(tree_path_for_node(place.node));
        ASSERT_EQ(choice.outcome, TreeChoice::Outcome::Complete);
        const QString state = state_to_code(choice.state) + " (O)";
        const QString city = QString(choice.city).replace('_', ' ');
        const StationLookup got = lookup_station(city, state, choice.region);
        EXPECT_EQ(got.message, "")
            << place.city.toStdString() << " under " << place.parent.toStdString();
        const bool first_row_wins = (place.city == "Richmond" && place.parent == "Queensland") ||
                                    (place.city == "Santiago" && place.parent == "Panama");
        if (!first_row_wins) {
            EXPECT_EQ(got.station, place.station) << place.city.toStdString();
        } else {
            EXPECT_NE(got.station, place.station);
        }
        resolved += got.station.size() == 5 ? 1 : 0;
    }
    EXPECT_EQ(resolved, 1296);
}

TEST(Places, CarryTitleRequestPathCoordinatesAndUsZipAndZone) {
    const QRegularExpression zip("^\\d{5}$");
    const QRegularExpression zone("^[A-Z]{2}Z\\d{3}$");
    QSet<QString> us_paths;
    for (const CataloguePlace& p : catalogue_places()) {
        EXPECT_TRUE(p.title_name.startsWith(QString(p.city).replace('_', ' ') + ", "))
            << p.title_name.toStdString();
        EXPECT_GE(p.latitude, -90.0);
        EXPECT_LE(p.latitude, 90.0);
        EXPECT_FALSE(p.latitude == 0.0 && p.longitude == 0.0) << p.city.toStdString();
        if (!p.us) {
            EXPECT_EQ(p.request_path, "global/stations/" + p.station + ".html");
            continue;
        }
        EXPECT_EQ(p.request_path, "US/" + p.state_code + "/" + p.city + ".html");
        EXPECT_TRUE(zip.match(p.zip).hasMatch()) << p.city.toStdString();
        EXPECT_TRUE(zone.match(p.forecast_zone).hasMatch()) << p.city.toStdString();
        EXPECT_TRUE(p.forecast_zone.startsWith(p.state_code)) << p.city.toStdString();
        EXPECT_FALSE(us_paths.contains(p.request_path));
        us_paths.insert(p.request_path);
    }
    const Catalogue& c = Catalogue::instance();
    const CataloguePlace* la = c.place_for_request_path("US/CA/Los_Angeles.html");
    ASSERT_NE(la, nullptr);
    EXPECT_EQ(la->title_name, "Los Angeles, California");
    EXPECT_NEAR(la->latitude, 34.05, 0.2);
    const CataloguePlace* london = c.place_for_request_path("global/stations/03772.html");
    ASSERT_NE(london, nullptr);
    EXPECT_EQ(london->title_name, "London, United Kingdom");
    EXPECT_EQ(c.place_for_request_path("global/stations/99999.html"), nullptr);
    EXPECT_EQ(c.state_name_for_code("LA"), "Lousiana");
    EXPECT_EQ(c.state_name_for_code("ZZ"), "");
}

// The loader reads numbers with its own decimal reader and hands out texts that share one
// buffer per table: the numbers must be exactly Qt's reading of the file's text, each text
// must end in a NUL, and changing a copy must leave the catalogue as it was.
TEST(Places, CoordinatesAreTheFilesNumbersAndTextsStandAlone) {
    std::vector<std::pair<double, double>> expected;
    for (const char* name : {"stations.tsv", "us_places.tsv"}) {
        QFile file(QStringLiteral(":/locations/") + QLatin1String(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const bool foreign = QLatin1String(name) == QLatin1String("stations.tsv");
        const QList<QByteArray> lines = file.readAll().split('\n');
        for (qsizetype i = 1; i < lines.size(); ++i) {
            if (lines[i].isEmpty())
                continue;
            const QList<QByteArray> f = lines[i].split('\t');
            ASSERT_EQ(f.size(), 7) << name;
            expected.emplace_back(f[foreign ? 4 : 2].toDouble(), f[foreign ? 5 : 3].toDouble());
        }
    }
    std::vector<std::pair<double, double>> foreign_then_us;
    for (bool us : {false, true})
        for (const CataloguePlace& p : catalogue_places())
            if (p.us == us)
                foreign_then_us.emplace_back(p.latitude, p.longitude);
    EXPECT_EQ(foreign_then_us, expected);

    for (const CataloguePlace& p : catalogue_places())
        for (const QString* text : {&p.city, &p.title_name, &p.request_path, &p.station, &p.zip})
            EXPECT_EQ(text->utf16()[text->size()], 0) << p.title_name.toStdString();
    const CataloguePlace& first = catalogue_places().front();
    const QString before = first.title_name;
    QString copy = first.title_name;
    copy[0] = u'#';
    copy.append(QStringLiteral(" and more"));
    EXPECT_EQ(first.title_name, before);
    EXPECT_EQ(catalogue_places()[1].city, Catalogue::load().places()[1].city);
}

TEST(ZipCodes, MapRealZipsToPlaceStateCoordinatesAndZone) {
    EXPECT_GT(zip_count(), 33000);
    const std::optional<ZipPlace> loop = lookup_zip("60604");
    ASSERT_TRUE(loop.has_value());
    EXPECT_EQ(loop->state_code, "IL");
    EXPECT_EQ(loop->place_name, "Chicago");
    EXPECT_NEAR(loop->latitude, 41.88, 0.05);
    EXPECT_TRUE(loop->forecast_zone.startsWith("ILZ"));
    const std::optional<ZipPlace> st_thomas = lookup_zip("00802");
    ASSERT_TRUE(st_thomas.has_value());
    EXPECT_EQ(st_thomas->state_code, "VI");
    EXPECT_FALSE(lookup_zip("00000").has_value());
    EXPECT_FALSE(lookup_zip("6060").has_value());
    // every US catalogue place's zip is in the table, in the place's own state
    for (const CataloguePlace& p : catalogue_places()) {
        if (!p.us)
            continue;
        const std::optional<ZipPlace> z = lookup_zip(p.zip);
        ASSERT_TRUE(z.has_value()) << p.zip.toStdString();
        EXPECT_EQ(z->state_code, p.state_code) << p.city.toStdString();
    }
}
