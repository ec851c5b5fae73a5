#include "locations/catalogue.h"

#include <QByteArrayView>
#include <QFile>
#include <array>

namespace {

QByteArray read_resource(const QString& name) {
    QFile file(QStringLiteral(":/locations/") + name);
    if (!file.open(QIODevice::ReadOnly))
        throw CatalogueError(QStringLiteral("The catalogue file %1 is missing.").arg(name));
    return file.readAll();
}

constexpr std::size_t max_columns = 8;
using Fields = std::array<QByteArrayView, max_columns>;

// Calls row(fields) for every line after the header; each line must have `columns` fields.
template <typename Row> void for_each_row(const QString& name, std::size_t columns, Row&& row) {
    const QByteArray data = read_resource(name);
    const QByteArrayView all(data);
    qsizetype pos = all.indexOf('\n') + 1; // skip the header
    if (pos <= 0)
        throw CatalogueError(QStringLiteral("The catalogue file %1 is empty.").arg(name));
    Fields fields;
    while (pos < all.size()) {
        qsizetype end = all.indexOf('\n', pos);
        if (end < 0)
            end = all.size();
        const QByteArrayView line = all.sliced(pos, end - pos);
        pos = end + 1;
        std::size_t count = 0;
        qsizetype start = 0;
        while (count < max_columns) {
            const qsizetype tab = line.indexOf('\t', start);
            fields[count++] = line.sliced(start, (tab < 0 ? line.size() : tab) - start);
            if (tab < 0)
                break;
            start = tab + 1;
        }
        if (count != columns)
            throw CatalogueError(
                QStringLiteral("The catalogue file %1 has a malformed line.").arg(name));
        row(fields);
    }
}

QString text(QByteArrayView field) {
    return QString::fromUtf8(field);
}

double number(QByteArrayView field, const QString& name) {
    bool ok = false;
    const double value = field.toByteArray().toDouble(&ok);
    if (!ok)
        throw CatalogueError(QStringLiteral("The catalogue file %1 has a bad number.").arg(name));
    return value;
}

StationKeying keying_of(const QString& region) {
    static const QHash<QString, StationKeying> keying = {
        {QStringLiteral("Africa"), StationKeying::City},
        {QStringLiteral("Asia"), StationKeying::Label},
        {QStringLiteral("Australia"), StationKeying::City},
        {QStringLiteral("Canada"), StationKeying::City},
        {QStringLiteral("Central America"), StationKeying::City},
        {QStringLiteral("Europe"), StationKeying::Label},
        {QStringLiteral("Islands"), StationKeying::SharedLabels},
        {QStringLiteral("South America"), StationKeying::Label},
    };
    const auto it = keying.constFind(region);
    if (it == keying.constEnd())
        throw CatalogueError(
            QStringLiteral("The station table names an unknown region %1.").arg(region));
    return *it;
}

QString not_found_prefix(StationKeying keying, const QString& region, const QString& label) {
    switch (keying) {
    case StationKeying::City:
        return QStringLiteral("Sorry, invalid Province/City found for ") + region +
               QStringLiteral(":");
    case StationKeying::SharedLabels:
        return QStringLiteral("Sorry, invalid city found for Island locations:");
    case StationKeying::Label:
        break;
    }
    QString name = label;
    if (name.endsWith(QStringLiteral(" (O)")))
        name.chop(4);
    if (name == QStringLiteral("United Kingdom"))
        name = QStringLiteral("UK");
    return QStringLiteral("Sorry, invalid City found for ") + name + QStringLiteral(":");
}

} // namespace

const Catalogue& Catalogue::instance() {
    static const Catalogue catalogue = load();
    return catalogue;
}

Catalogue Catalogue::load() {
    Catalogue c;

    const QString tree_file = QStringLiteral("tree.tsv");
    c.tree_.reserve(2048);
    std::vector<int> last_at_level;
    for_each_row(tree_file, 2, [&](const Fields& f) {
        const int level = f[0].toInt();
        if (level < 0 || level > static_cast<int>(last_at_level.size()))
            throw CatalogueError(QStringLiteral("The location tree skips a level."));
        last_at_level.resize(level + 1);
        const int parent = level == 0 ? -1 : last_at_level[level - 1];
        last_at_level[level] = static_cast<int>(c.tree_.size());
        c.tree_.push_back({level, parent, text(f[1])});
    });

    const QString states_file = QStringLiteral("states.tsv");
    for_each_row(states_file, 4, [&](const Fields& f) {
        c.states_.push_back({text(f[0]), text(f[1]), text(f[2]), f[3] == "split"});
    });

    for_each_row(QStringLiteral("regions.tsv"), 2, [&](const Fields& f) {
        c.regions_.push_back({text(f[0]), text(f[1])});
    });

    // Foreign and US places come in tree order; they are tied to the tree's city nodes below.
    const QString stations_file = QStringLiteral("stations.tsv");
    std::vector<CataloguePlace> foreign;
    c.stations_.reserve(1300);
    foreign.reserve(1300);
    for_each_row(stations_file, 7, [&](const Fields& f) {
        StationRow row{text(f[0]), text(f[1]), text(f[2]), text(f[3])};
        CataloguePlace place;
        place.latitude = number(f[4], stations_file);
        place.longitude = number(f[5], stations_file);
        place.title_name = text(f[6]);
        place.station = row.station;
        place.label = row.label;
        place.region = row.region;
        place.request_path =
            QStringLiteral("global/stations/") + row.station + QStringLiteral(".html");
        c.stations_.push_back(std::move(row));
        foreign.push_back(std::move(place));
    });

    const QString us_file = QStringLiteral("us_places.tsv");
    std::vector<CataloguePlace> us;
    us.reserve(600);
    for_each_row(us_file, 7, [&](const Fields& f) {
        CataloguePlace place;
        place.us = true;
        place.parent = text(f[0]);
        place.city = text(f[1]);
        place.latitude = number(f[2], us_file);
        place.longitude = number(f[3], us_file);
        place.zip = text(f[4]);
        place.forecast_zone = text(f[5]);
        place.title_name = text(f[6]);
        us.push_back(std::move(place));
    });

    c.index();

    // City nodes: the leaves under a country, and every node of level 4.
    std::size_t next_foreign = 0;
    std::size_t next_us = 0;
    const QString united_states = QStringLiteral("United States");
    c.places_.reserve(foreign.size() + us.size());
    for (int i = 0; i < static_cast<int>(c.tree_.size()); ++i) {
        const LocationTreeNode& node = c.tree_[i];
        const bool leaf =
            i + 1 == static_cast<int>(c.tree_.size()) || c.tree_[i + 1].level <= node.level;
        const bool city = node.level == 4 || (node.level == 3 && leaf && node.parent >= 0 &&
                                              c.tree_[node.parent].text != united_states &&
                                              c.tree_[node.parent].text != u"Canada");
        if (!city)
            continue;
        const QString& parent = c.tree_[node.parent].text;
        const bool is_us =
            node.level == 4 && c.tree_[c.tree_[node.parent].parent].text == united_states;
        CataloguePlace place;
        if (is_us) {
            if (next_us >= us.size() || us[next_us].parent != parent ||
                us[next_us].city != node.text)
                throw CatalogueError(QStringLiteral("us_places.tsv does not follow the tree at ") +
                                     node.text);
            place = std::move(us[next_us++]);
            place.state_code = c.code_for_state_name(parent);
            place.request_path = QStringLiteral("US/") + place.state_code + QStringLiteral("/") +
                                 place.city + QStringLiteral(".html");
        } else {
            const QString key = QString(node.text).replace(u'_', u' ');
            if (next_foreign >= foreign.size() ||
                c.stations_[next_foreign].label != parent + QStringLiteral(" (O)") ||
                c.stations_[next_foreign].city != key)
                throw CatalogueError(QStringLiteral("stations.tsv does not follow the tree at ") +
                                     node.text);
            place = std::move(foreign[next_foreign++]);
            place.city = node.text;
            place.parent = parent;
        }
        place.node = i;
        c.place_by_node_.insert(i, static_cast<int>(c.places_.size()));
        if (!c.place_by_path_.contains(place.request_path))
            c.place_by_path_.insert(place.request_path, static_cast<int>(c.places_.size()));
        c.places_.push_back(std::move(place));
    }
    if (next_foreign != foreign.size() || next_us != us.size())
        throw CatalogueError(QStringLiteral("The catalogue lists places the tree lacks."));
    return c;
}

void Catalogue::index() {
    for (int i = 0; i < static_cast<int>(states_.size()); ++i) {
        const StateRow& row = states_[i];
        if (!row.split_only) {
            state_by_name_.insert(row.name, i);
            state_by_code_.insert(row.code, i);
        }
        if (!place_state_by_name_.contains(row.name))
            place_state_by_name_.insert(row.name, i);
    }
    for (const RegionRow& row : regions_) {
        if (!region_by_label_.contains(row.label))
            region_by_label_.insert(row.label, row.region);
    }
    for (int i = 0; i < static_cast<int>(stations_.size()); ++i) {
        const StationRow& row = stations_[i];
        auto it = station_regions_.find(row.region);
        if (it == station_regions_.end()) {
            RegionStations fresh;
            fresh.keying = keying_of(row.region);
            if (fresh.keying != StationKeying::Label)
                fresh.lists.push_back({not_found_prefix(fresh.keying, row.region, row.label), {}});
            it = station_regions_.insert(row.region, std::move(fresh));
        }
        RegionStations& region = *it;
        int list = 0;
        if (region.keying == StationKeying::Label) {
            const auto found = region.list_by_label.constFind(row.label);
            if (found == region.list_by_label.constEnd()) {
                list = static_cast<int>(region.lists.size());
                region.lists.push_back(
                    {not_found_prefix(region.keying, row.region, row.label), {}});
                region.list_by_label.insert(row.label, list);
            } else {
                list = *found;
            }
        } else if (region.keying == StationKeying::SharedLabels) {
            region.list_by_label.insert(row.label, 0);
        }
        QHash<QString, int>& rows = region.lists[list].rows;
        if (!rows.contains(row.city)) // the first equal key wins
            rows.insert(row.city, i);
    }
}

const CataloguePlace* Catalogue::place_for_node(int node) const {
    const auto it = place_by_node_.constFind(node);
    return it == place_by_node_.constEnd() ? nullptr : &places_[*it];
}

const CataloguePlace* Catalogue::place_for_request_path(const QString& path) const {
    const auto it = place_by_path_.constFind(path);
    return it == place_by_path_.constEnd() ? nullptr : &places_[*it];
}

QString Catalogue::code_for_state_name(const QString& name) const {
    const auto it = state_by_name_.constFind(name);
    return it == state_by_name_.constEnd() ? QString() : states_[*it].code;
}

QString Catalogue::code_for_place_state(const QString& name) const {
    const auto it = place_state_by_name_.constFind(name);
    return it == place_state_by_name_.constEnd() ? QString() : states_[*it].code;
}

QString Catalogue::region_for_label(const QString& label) const {
    return region_by_label_.value(label);
}

QString Catalogue::state_name_for_code(const QString& code) const {
    const auto it = state_by_code_.constFind(code);
    return it == state_by_code_.constEnd() ? QString() : states_[*it].name;
}

const Catalogue::RegionStations* Catalogue::region_stations(const QString& region) const {
    const auto it = station_regions_.constFind(region);
    return it == station_regions_.constEnd() ? nullptr : &*it;
}
