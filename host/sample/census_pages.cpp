#include "sample/census_pages.h"

#include "sample/host_places.h"
#include "sample/host_text.h"
#include "sample/seeded_random.h"
#include "textproducts/text_cleaning.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace {

const QString income_path = QStringLiteral("/statab/ranks/pg20.txt");
const QString pay_path = QStringLiteral("/statab/ranks/pg18.txt");
const QString lookup_prefix = QStringLiteral("/cdrom/lookup/");

// A state of the program's census state list ("17-Illinois").
struct CensusState {
    QString fips; // two digits
    QString name; // as the list spells it
};

// The list's 51 states and the District of Columbia, without its "None".
const std::vector<CensusState>& census_states() {
    static const std::vector<CensusState> states = [] {
        std::vector<CensusState> out;
        for (const QString& entry : census_state_list())
            if (entry.size() > 3 && entry[2] == u'-')
                out.push_back({entry.left(2), entry.mid(3)});
        return out;
    }();
    return states;
}

// The name a table prints: the list keeps the program's spelling "Lousiana".
QString printed_name(const CensusState& state) {
    return state.name == u"Lousiana" ? QStringLiteral("Louisiana") : state.name;
}

// A sample figure in [low, high) for a key and a quantity.
long long sample_figure(const QString& key, std::uint64_t salt, double low, double high) {
    return static_cast<long long>(low + (high - low) * unit_random(stable_key_hash(key), salt, 0));
}

// "11,430,602"
QString grouped(long long n) {
    QString digits = QString::number(n);
    for (qsizetype i = digits.size() - 3; i > 0; i -= 3)
        digits.insert(i, u',');
    return digits;
}

QString dotted(const QString& label, int width) {
    QString out = label + u' ';
    while (out.size() < width)
        out += u'.';
    return out;
}

// One ranking table: every state's figure, highest first, under the United States' figure.
QString ranking_table(const QString& number, const QString& title, const QString& column,
                      std::uint64_t salt, double low, double high) {
    struct Row {
        QString name;
        long long value;
    };
    std::vector<Row> rows;
    long long sum = 0;
    for (const CensusState& s : census_states()) {
        rows.push_back({printed_name(s), sample_figure(s.fips, salt, low, high)});
        sum += rows.back().value;
    }
    std::stable_sort(rows.begin(), rows.end(),
                     [](const Row& a, const Row& b) { return a.value > b.value; });

    QString text =
        QStringLiteral("Table ") + number + QStringLiteral(".  ") + title +
        QStringLiteral(": 1997\n[Sample figures made up by nimbrix-host; not census data.]\n\n");
    text += QStringLiteral("Rank  State                             %1\n").arg(column, 12);
    text += QStringLiteral("----  ------------------------------  ------------\n");
    text += QStringLiteral("      %1  %2\n")
                .arg(dotted(QStringLiteral("United States"), 30))
                .arg(grouped(sum / static_cast<long long>(rows.size())), 12);
    for (std::size_t i = 0; i < rows.size(); ++i)
        text += QStringLiteral("%1  %2  %3\n")
                    .arg(static_cast<int>(i + 1), 4)
                    .arg(dotted(rows[i].name, 30))
                    .arg(grouped(rows[i].value), 12);
    text +=
        QStringLiteral("\nSource: U.S. Census Bureau, Statistical Abstract of the United States, "
                       "State Rankings,\nhttp://www.census.gov/statab/ranks/pg") +
        number + QStringLiteral(".txt\n");
    return text;
}

struct TableItem {
    const char* table;
    const char* label;
    double share; // of the population; 0 for a figure of its own between low and high
    double low;
    double high;
};

// The rows of the requested tables, sample figures scaled to the selection's population.
// clang-format off
constexpr std::array<TableItem, 24> table_items{{
    {"P1",    "Persons",                                      1.0,   0, 0},
    {"P5",    "Male",                                         0.488, 0, 0},
    {"P5",    "Female",                                       0.512, 0, 0},
    {"P6",    "White",                                        0.80,  0, 0},
    {"P6",    "Black",                                        0.12,  0, 0},
    {"P6",    "Other races",                                  0.08,  0, 0},
    {"P7",    "Persons of Hispanic origin",                   0.09,  0, 0},
    {"P13",   "Persons 65 years and over",                    0.125, 0, 0},
    {"P49",   "Persons 25 years and over, high school graduates", 0.50, 0, 0},
    {"P50",   "Persons 25 years and over, bachelor's degree", 0.13,  0, 0},
    {"P53",   "Persons 16 years and over in labor force",     0.50,  0, 0},
    {"P54",   "Employed persons 16 years and over",           0.47,  0, 0},
    {"P57",   "Workers 16 years and over",                    0.46,  0, 0},
    {"P78",   "Households",                                   0.37,  0, 0},
    {"P80",   "Median household income in 1989 (dollars)",   0, 20000, 42000},
    {"P80A",  "Median family income in 1989 (dollars)",      0, 24000, 50000},
    {"P114A", "Per capita income in 1989 (dollars)",         0, 9000, 19000},
    {"H5",    "Housing units",                                0.41,  0, 0},
    {"H5",    "Vacant housing units",                         0.04,  0, 0},
    {"H25",   "Median year structure built",                  0, 1950, 1980},
    {"H43A",  "Median rooms",                                 0, 4, 7},
    {"H61",   "Median value, owner-occupied units (dollars)", 0, 45000, 160000},
    {"H61A",  "Median gross rent (dollars)",                  0, 250, 650},
    {"H43A",  "Occupied units lacking complete plumbing",     0.006, 0, 0},
}};
// clang-format on

QString lookup_page(const QString& title, const QString& body) {
    return QStringLiteral("<html>\n<head>\n<title>1990 Census Lookup: ") + html_escaped(title) +
           QStringLiteral("</title>\n</head>\n<body>\n<h2>1990 Census of Population and Housing, "
                          "Summary Tape File 3</h2>\n") +
           body + QStringLiteral("</body>\n</html>\n");
}

QString detail_page(const QString& name, const QString& key, long long population,
                    const QStringList& tables) {
    QString rows;
    for (std::size_t i = 0; i < table_items.size(); ++i) {
        const TableItem& item = table_items[i];
        const QString table = QString::fromLatin1(item.table);
        if (!tables.contains(table))
            continue;
        long long value = 0;
        if (item.share > 0.0) {
            value = std::llround(static_cast<double>(population) * item.share);
        } else {
            value = sample_figure(key, 100 + i, item.low, item.high);
        }
        const QString label = QString::fromLatin1(item.label);
        const QString figure = table == u"H25" ? QString::number(value) : grouped(value);
        rows += QStringLiteral("<tr><td>%1</td><td>%2</td><td align=\"right\">%3</td></tr>\n")
                    .arg(table.leftJustified(6))
                    .arg(html_escaped(label).leftJustified(50 + html_escaped(label).size() -
                                                           label.size()))
                    .arg(figure, 12);
    }
    return lookup_page(name, QStringLiteral("<h3>") + html_escaped(name) +
                                 QStringLiteral(" (sample figures made up by nimbrix-host; not "
                                                "census data)</h3>\n<table border=\"1\">\n") +
                                 rows + QStringLiteral("</table>\n"));
}

QString unknown_selection_page(const QString& selection) {
    return lookup_page(QStringLiteral("no data"),
                       QStringLiteral("<p>No data are available for the selection \"") +
                           html_escaped(selection) +
                           QStringLiteral("\". Choose a state from the list or enter a five-digit "
                                          "zip code.</p>\n"));
}

QString lookup_answer(const QString& path) {
    QString level;
    QString selection;
    QStringList tables;
    for (const QString& part : path.mid(lookup_prefix.size()).split(u'/')) {
        if (part.startsWith(QStringLiteral("LEV=")))
            level = part.mid(4);
        else if (part.startsWith(QStringLiteral("SEL=")))
            selection = part.mid(4);
        else if (part.startsWith(QStringLiteral("T=")))
            tables.append(part.mid(2));
    }
    if (level == u"STATE") {
        for (const CensusState& s : census_states())
            if (selection == s.fips + u',' + s.name)
                return detail_page(printed_name(s), s.fips,
                                   sample_figure(s.fips, 1, 450000, 12000000), tables);
    } else if (level == u"ZIP") {
        if (const std::optional<HostPlace> place = place_for_zip(selection))
            return detail_page(QStringLiteral("ZIP Code ") + selection + QStringLiteral(" (") +
                                   place->title_name + u')',
                               selection, sample_figure(selection, 1, 800, 60000), tables);
    }
    return unknown_selection_page(selection);
}

} // namespace

std::optional<HostReply> answer_census(const HostRequest& request) {
    const QString& path = request.path;
    if (path == income_path)
        return HostReply{
            200, census_text_content_type,
            encode_windows_1252(ranking_table(QStringLiteral("20"),
                                              QStringLiteral("Median Household Income by State"),
                                              QStringLiteral("Income ($)"), 20, 26000, 48000))};
    if (path == pay_path)
        return HostReply{200, census_text_content_type,
                         encode_windows_1252(ranking_table(
                             QStringLiteral("18"), QStringLiteral("Average Annual Pay by State"),
                             QStringLiteral("Pay ($)"), 18, 22000, 38000))};
    if (path.startsWith(lookup_prefix))
        return HostReply{200, conditions_content_type, encode_windows_1252(lookup_answer(path))};
    return std::nullopt;
}
