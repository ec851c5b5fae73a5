#include "locations/catalogue.h"

#include <QResource>
#include <algorithm>
#include <array>
#include <cstring>

namespace {

// The bytes of a data file, read in place when the resource is stored uncompressed.
QByteArray read_resource(const QString& name) {
    const QString path = QStringLiteral(":/locations/") + name;
    const QResource resource(path);
    if (!resource.isValid())
        throw CatalogueError(QStringLiteral("The catalogue file %1 is missing.").arg(name));
    if (resource.compressionAlgorithm() == QResource::NoCompression)
        return QByteArray::fromRawData(reinterpret_cast<const char*>(resource.data()),
                                       static_cast<qsizetype>(resource.size()));
    return resource.uncompressedData();
}

constexpr std::size_t max_columns = 8;

// A QString holding part of whole's characters by sharing its buffer: one more reference, no
// allocation or copy. Writing to either detaches it as with any shared QString. The catalogue
// is thousands of short texts that never change, so each table is one buffer.
QString shared_part(const QString& whole, QStringView part) {
    QString::DataPointer shared = whole.data_ptr();
    shared.ptr = const_cast<char16_t*>(part.utf16());
    shared.size = part.size();
    return QString(std::move(shared));
}

// The fields of one line of a data file. The file is turned into UTF-16 once, and its fields
// are parts of that text; the separators after the fields are overwritten with NULs, so each
// field ends in one like any other QString's characters.
class Fields {
public:
    explicit Fields(const QString& whole) : whole_(whole) {}

    QStringView operator[](std::size_t i) const { return views_[i]; }
    QString text(std::size_t i) const { return shared_part(whole_, views_[i]); }

private:
    template <typename Row>
    friend void for_each_row(const QString& name, std::size_t columns, Row&& row);

    const QString& whole_;
    std::array<QStringView, max_columns> views_;
};

// Where the next tab or line end at or after `from` is in text[from, to); `to` when none.
// An ASCII file has the same offsets in its bytes as in its UTF-16 text, so its separators
// are found with memchr in the bytes.
qsizetype next_separator(const char* bytes, const char16_t* text, qsizetype from, qsizetype to,
                         char separator) {
    if (bytes) {
        const void* found =
            std::memchr(bytes + from, separator, static_cast<std::size_t>(to - from));
        return found ? static_cast<const char*>(found) - bytes : to;
    }
    while (from < to && text[from] != separator)
        ++from;
    return from;
}

// Calls row(fields) for every line after the header; each line must have `columns` fields.
template <typename Row> void for_each_row(const QString& name, std::size_t columns, Row&& row) {
    const QByteArray bytes = read_resource(name);
    QString whole = QString::fromUtf8(bytes);
    char16_t* const begin = reinterpret_cast<char16_t*>(whole.data());
    const qsizetype size = whole.size();
    const char* const ascii = size == bytes.size() ? bytes.constData() : nullptr;
    qsizetype pos = next_separator(ascii, begin, 0, size, '\n') + 1; // skip the header
    if (pos > size)
        throw CatalogueError(QStringLiteral("The catalogue file %1 is empty.").arg(name));
    Fields fields(whole);
    while (pos < size) {
        const qsizetype end = next_separator(ascii, begin, pos, size, '\n');
        std::size_t count = 0;
        qsizetype start = pos;
        for (;;) {
            const qsizetype tab = next_separator(ascii, begin, start, end, '\t');
            if (count < max_columns)
                fields.views_[count] = QStringView(begin + start, tab - start);
            ++count;
            if (tab < size)
                begin[tab] = u'\0';
            if (tab == end)
                break;
            start = tab + 1;
        }
        pos = end + 1;
        if (count != columns)
            throw CatalogueError(
                QStringLiteral("The catalogue file %1 has a malformed line.").arg(name));
        row(static_cast<const Fields&>(fields));
    }
}

// A decimal number ("-87.6298"). Up to 15 digits it is the quotient of two exact doubles,
// which the division rounds correctly, as a full conversion would.
double number(QStringView field, const QString& name) {
    const char16_t* at = field.utf16();
    const char16_t* const end = at + field.size();
    const bool negative = at != end && *at == u'-';
    if (negative)
        ++at;
    long long digits = 0;
    int count = 0;
    int decimals = -1;
    for (; at != end; ++at) {
        const unsigned digit = unsigned(*at) - u'0';
        if (digit <= 9 && count < 15) {
            digits = digits * 10 + digit;
            ++count;
            decimals += decimals >= 0;
        } else if (*at == u'.' && decimals < 0) {
            decimals = 0;
        } else {
            break;
        }
    }
    if (at == end && count > 0) {
        static constexpr double powers[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                            1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
        const double value = static_cast<double>(digits) / powers[decimals < 0 ? 0 : decimals];
        return negative ? -value : value;
    }
    bool ok = false;
    const double value = field.toDouble(&ok);
    if (!ok)
        throw CatalogueError(QStringLiteral("The catalogue file %1 has a bad number.").arg(name));
    return value;
}

// Whether a station table label ("United Kingdom (O)") is the tree's country.
bool is_country_label(const QString& label, const QString& country) {
    return label.size() == country.size() + 4 &&
           QStringView(label).sliced(country.size()) == u" (O)" &&
           std::equal(country.begin(), country.end(), label.begin());
}

// Whether a tree city ("Boscombe_Down") is the station table's key ("Boscombe Down").
bool same_city_key(const QString& tree_text, const QString& key) {
    if (tree_text.size() != key.size())
        return false;
    for (qsizetype i = 0; i < key.size(); ++i) {
        const QChar c = tree_text[i] == u'_' ? QChar(u' ') : tree_text[i];
        if (c != key[i])
            return false;
    }
    return true;
}

// Two short texts alike, compared in place.
bool same(const QString& a, const QString& b) {
    return a.size() == b.size() &&
           std::memcmp(a.constData(), b.constData(), size_t(a.size()) * sizeof(QChar)) == 0;
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

// "US/IL/Chicago.html", "global/stations/07150.html": written into one buffer that every
// place's path shares, each path followed by a NUL.
void set_request_paths(std::vector<CataloguePlace>& places) {
    const QStringView us = u"US/", global = u"global/stations/", html = u".html";
    qsizetype total = 0;
    for (const CataloguePlace& place : places)
        total += place.us ? us.size() + place.state_code.size() + 1 + place.city.size()
                          : global.size() + place.station.size();
    total += (html.size() + 1) * static_cast<qsizetype>(places.size());
    QString all(total, Qt::Uninitialized);
    char16_t* const begin = reinterpret_cast<char16_t*>(all.data());
    char16_t* to = begin;
    const auto put = [&to](QStringView text) {
        to = std::copy(text.utf16(), text.utf16() + text.size(), to);
    };
    for (CataloguePlace& place : places) {
        char16_t* const start = to;
        if (place.us) {
            put(us);
            put(place.state_code);
            *to++ = u'/';
            put(place.city);
        } else {
            put(global);
            put(place.station);
        }
        put(html);
        place.request_path = shared_part(all, QStringView(start, to));
        *to++ = u'\0';
    }
}

} // namespace

const Catalogue& Catalogue::instance() {
    static const Catalogue catalogue = load();
    return catalogue;
}

// The places of the city nodes, in tree order: the rows of the foreign and the US file, which
// come in tree order too, each get the next place of their kind.
struct Catalogue::PlaceSlots {
    std::vector<int> foreign;       // the place of each row of the station table
    std::vector<int> us;            // the place of each row of the US places
    std::vector<int> node_of_place; // the tree node of each place

    // The row's place, with its node; a row the tree has no place for breaks the catalogue.
    CataloguePlace& place_of_row(Catalogue& c, const std::vector<int>& rows,
                                 std::size_t row) const {
        if (row >= rows.size())
            throw CatalogueError(QStringLiteral("The catalogue lists places the tree lacks."));
        CataloguePlace& place = c.places_[size_t(rows[row])];
        place.node = node_of_place[size_t(rows[row])];
        return place;
    }
};

Catalogue Catalogue::load() {
    Catalogue c;
    c.read_tree();
    c.read_states_and_regions();
    c.index_states();
    const PlaceSlots layout = c.lay_out_places();
    const std::size_t stations = c.read_stations(layout);
    const std::size_t us_rows = c.read_us_places(layout);
    if (stations != layout.foreign.size() || us_rows != layout.us.size()) {
        const bool foreign_short = stations != layout.foreign.size();
        const std::size_t missing =
            foreign_short ? size_t(layout.foreign[stations]) : size_t(layout.us[us_rows]);
        throw CatalogueError(QStringLiteral("%1 does not follow the tree at %2")
                                 .arg(foreign_short ? QStringLiteral("stations.tsv")
                                                    : QStringLiteral("us_places.tsv"),
                                      c.tree_[size_t(layout.node_of_place[missing])].text));
    }
    c.index_stations();
    set_request_paths(c.places_);
    // Backwards, so that the first place with a path is the one kept.
    c.place_by_path_.reserve(static_cast<qsizetype>(c.places_.size()));
    for (int i = static_cast<int>(c.places_.size()) - 1; i >= 0; --i)
        c.place_by_path_.insert(c.places_[i].request_path, i);
    return c;
}

void Catalogue::read_tree() {
    tree_.reserve(2048);
    std::vector<int> last_at_level;
    for_each_row(QStringLiteral("tree.tsv"), 2, [&](const Fields& f) {
        const int level = f[0].size() == 1 ? f[0][0].unicode() - u'0' : -1;
        if (level < 0 || level > static_cast<int>(last_at_level.size()))
            throw CatalogueError(QStringLiteral("The location tree skips a level."));
        last_at_level.resize(level + 1);
        const int parent = level == 0 ? -1 : last_at_level[level - 1];
        last_at_level[level] = static_cast<int>(tree_.size());
        tree_.push_back({level, parent, f.text(1)});
    });
}

void Catalogue::read_states_and_regions() {
    for_each_row(QStringLiteral("states.tsv"), 4, [&](const Fields& f) {
        states_.push_back({f.text(0), f.text(1), f.text(2), f[3] == u"split"});
    });
    for_each_row(QStringLiteral("regions.tsv"), 2, [&](const Fields& f) {
        regions_.push_back({f.text(0), f.text(1)});
    });
}

// City nodes: the leaves under a country, and every node of level 4. Foreign and US places
// come in tree order in their files, so each row's place is known before it is read, and it is
// written there at once.
Catalogue::PlaceSlots Catalogue::lay_out_places() {
    // The countries whose children are states or provinces rather than cities.
    int united_states = -2;
    int canada = -2;
    for (int i = 0; i < static_cast<int>(tree_.size()); ++i) {
        if (tree_[i].level != 2)
            continue;
        if (tree_[i].text == u"United States")
            united_states = i;
        else if (tree_[i].text == u"Canada")
            canada = i;
    }
    PlaceSlots layout;
    layout.foreign.reserve(1300);
    layout.us.reserve(600);
    place_by_node_.assign(tree_.size(), -1);
    layout.node_of_place.reserve(2000);
    for (int i = 0; i < static_cast<int>(tree_.size()); ++i) {
        const LocationTreeNode& node = tree_[i];
        const bool leaf =
            i + 1 == static_cast<int>(tree_.size()) || tree_[i + 1].level <= node.level;
        const bool city =
            node.level == 4 || (node.level == 3 && leaf && node.parent >= 0 &&
                                node.parent != united_states && node.parent != canada);
        if (!city)
            continue;
        const bool is_us = node.level == 4 && tree_[node.parent].parent == united_states;
        const int place = static_cast<int>(layout.node_of_place.size());
        (is_us ? layout.us : layout.foreign).push_back(place);
        place_by_node_[i] = place;
        layout.node_of_place.push_back(i);
    }
    places_.resize(layout.node_of_place.size());
    return layout;
}

std::size_t Catalogue::read_stations(const PlaceSlots& layout) {
    const QString stations_file = QStringLiteral("stations.tsv");
    stations_.reserve(1300);
    for_each_row(stations_file, 7, [&](const Fields& f) {
        CataloguePlace& place = layout.place_of_row(*this, layout.foreign, stations_.size());
        const LocationTreeNode& node = tree_[size_t(place.node)];
        const StationRow& row =
            stations_.emplace_back(StationRow{f.text(0), f.text(1), f.text(2), f.text(3)});
        const QString& parent = tree_[size_t(node.parent)].text;
        if (!is_country_label(row.label, parent) || !same_city_key(node.text, row.city))
            throw CatalogueError(QStringLiteral("stations.tsv does not follow the tree at ") +
                                 node.text);
        place.city = node.text;
        place.parent = parent;
        place.latitude = number(f[4], stations_file);
        place.longitude = number(f[5], stations_file);
        place.title_name = f.text(6);
        place.station = row.station;
        place.label = row.label;
        place.region = row.region;
    });
    return stations_.size();
}

std::size_t Catalogue::read_us_places(const PlaceSlots& layout) {
    const QString us_file = QStringLiteral("us_places.tsv");
    std::size_t us_rows = 0;
    const QString* state_name = nullptr;
    QString state_code;
    for_each_row(us_file, 7, [&](const Fields& f) {
        CataloguePlace& place = layout.place_of_row(*this, layout.us, us_rows++);
        const LocationTreeNode& node = tree_[size_t(place.node)];
        const QString& parent = tree_[size_t(node.parent)].text;
        if (f[0] != parent || f[1] != node.text)
            throw CatalogueError(QStringLiteral("us_places.tsv does not follow the tree at ") +
                                 node.text);
        if (&parent != state_name) { // the places of a state come together
            state_name = &parent;
            state_code = code_for_state_name(parent);
        }
        place.us = true;
        place.parent = f.text(0);
        place.city = f.text(1);
        place.latitude = number(f[2], us_file);
        place.longitude = number(f[3], us_file);
        place.zip = f.text(4);
        place.forecast_zone = f.text(5);
        place.title_name = f.text(6);
        place.state_code = state_code;
    });
    return us_rows;
}

void Catalogue::index_states() {
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
}

void Catalogue::index_stations() {
    // The station table comes sorted by region and label, so a row mostly has the list of the
    // row before; each row's list is found first, then the keys go in backwards, so that the
    // first row with a key is the one kept.
    std::vector<int> row_lists(stations_.size()); // the list of each row within its region
    const StationRow* previous = nullptr;
    for (int i = 0; i < static_cast<int>(stations_.size()); ++i) {
        const StationRow& row = stations_[i];
        if (previous && same(row.region, previous->region) && same(row.label, previous->label)) {
            row_lists[i] = row_lists[i - 1];
            continue;
        }
        previous = &row;
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
        row_lists[i] = list;
    }
    // Region by region (each a stretch of the table), each list given its room at once; the
    // stretches and their rows go in backwards, as above.
    std::vector<int> stretch_starts;
    for (int i = 0; i < static_cast<int>(stations_.size()); ++i)
        if (i == 0 || !same(stations_[i].region, stations_[i - 1].region))
            stretch_starts.push_back(i);
    int end = static_cast<int>(stations_.size());
    for (auto start = stretch_starts.rbegin(); start != stretch_starts.rend(); ++start) {
        RegionStations& region = station_regions_[stations_[*start].region];
        std::vector<qsizetype> sizes(region.lists.size());
        for (int i = *start; i < end; ++i)
            ++sizes[size_t(row_lists[i])];
        for (size_t list = 0; list < sizes.size(); ++list)
            region.lists[list].rows.reserve(region.lists[list].rows.size() + sizes[list]);
        for (int i = end - 1; i >= *start; --i)
            region.lists[row_lists[i]].rows.insert(stations_[i].city, i);
        end = *start;
    }
}

const CataloguePlace* Catalogue::place_for_node(int node) const {
    if (node < 0 || node >= static_cast<int>(place_by_node_.size()) || place_by_node_[node] < 0)
        return nullptr;
    return &places_[place_by_node_[node]];
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
