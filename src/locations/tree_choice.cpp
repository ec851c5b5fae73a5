#include "locations/tree_choice.h"

#include "locations/catalogue.h"

#include <QStringList>

QString tree_path_for_node(int node) {
    const std::vector<LocationTreeNode>& tree = location_tree();
    QString path;
    while (node >= 0 && node < static_cast<int>(tree.size())) {
        path = tree[node].text + u'\\' + path;
        node = tree[node].parent;
    }
    return path;
}

TreeChoice tree_choice(const QString& tree_path) {
    TreeChoice choice;
    if (tree_path.isEmpty() || tree_path.front() == u'\\')
        return choice;
    const qsizetype first = tree_path.indexOf(u'\\');
    const QStringList pieces = tree_path.mid(first + 1).split(u'\\');
    auto field = [&](int n) { return n <= pieces.size() ? pieces[n - 1] : QString(); };
    if (field(1).isEmpty()) {
        choice.outcome = TreeChoice::Outcome::NoContinent;
        choice.message = QStringLiteral("Error - please select a Continent.");
        return choice;
    }
    if (field(2).isEmpty()) {
        choice.outcome = TreeChoice::Outcome::NoCountry;
        choice.message = QStringLiteral("Error - please select a Country.");
        return choice;
    }
    if (field(3).isEmpty()) {
        choice.outcome = TreeChoice::Outcome::NoState;
        choice.message = QStringLiteral("Error - please select a State.");
        return choice;
    }
    // A US state or Canadian province without a city would be taken for a city of a country
    // "United States" or "Canada" that no station list knows; it is refused like the others.
    if (field(4).isEmpty() &&
        (field(2) == QLatin1String("United States") || field(2) == QLatin1String("Canada"))) {
        choice.outcome = TreeChoice::Outcome::NoCity;
        choice.message = QStringLiteral("Error - please select a City.");
        return choice;
    }
    choice.outcome = TreeChoice::Outcome::Complete;
    choice.continent = field(1);
    if (!field(4).isEmpty()) {
        choice.region = field(2);
        choice.state = field(3);
        choice.city = field(4);
    } else {
        choice.region = field(1);
        choice.state = field(2);
        choice.city = field(3);
    }
    return choice;
}
