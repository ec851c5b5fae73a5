#include "textproducts/warning_watch_rules.h"

#include "locations/catalogue.h"
#include "locations/catalogue_lookups.h"
#include "locations/location_string.h"
#include "locations/zip_codes.h"
#include "shared/page_text.h"
#include "textproducts/text_cleaning.h"

#include <QCryptographicHash>
#include <QRegularExpression>
#include <QTimeZone>
#include <algorithm>

namespace {

bool known_state_code(const QString& code) {
    return code.size() == 2 && !Catalogue::instance().state_name_for_code(code).isEmpty();
}

// --- Reading the page -------------------------------------------------------------------------

bool is_service_line(const QString& line) {
    return line.startsWith(QLatin1String("National Weather Service"), Qt::CaseInsensitive);
}

// "931 AM EDT Thu May 4 2017", "1000 AM CST MON DEC 8 2026".
bool is_issuance_line(const QString& line) {
    static const QRegularExpression time(
        QStringLiteral("^\\d{1,4} [AP]M [A-Z]{2,5} [A-Z]{3} [A-Z]{3} \\d{1,2} \\d{4}$"),
        QRegularExpression::CaseInsensitiveOption);
    return time.match(line).hasMatch();
}

// "DEKALB-", "ST. LOUIS-", "LAKE AND PENINSULA-BRISTOL BAY-": the host's county line.
bool is_county_line(const QString& line) {
    static const QRegularExpression county(QStringLiteral("^[A-Z][A-Z .'&/-]*-$"));
    return county.match(line).hasMatch();
}

bool starts_zone_line(const QString& line) {
    static const QRegularExpression start(QStringLiteral("^[A-Z]{2}[CZ](\\d{3}|ALL)[->]"));
    return start.match(line).hasMatch();
}

// "103>105-081000-", the rest of a zone line that runs over several lines.
bool continues_zone_line(const QString& line) {
    static const QRegularExpression rest(QStringLiteral("^[A-Z0-9>-]+-$"));
    return rest.match(line).hasMatch();
}

struct ZoneLine {
    bool names_zone = false;
    QString expiry; // "042145": day, hour and minute UTC; empty when the line has none
};

// "GAZ001>003-011-045-042145-" names GAZ001, GAZ002, GAZ003, GAZ011 and GAZ045 until the 4th
// at 21:45 UTC; "GAZALL" every zone of the state.
ZoneLine read_zone_line(const QString& text, const QString& zone) {
    static const QRegularExpression code(
        QStringLiteral("^([A-Z]{2}[CZ])?(\\d{3}|ALL)(?:>(\\d{3}))?$"));
    static const QRegularExpression stamp(QStringLiteral("^\\d{6}$"));
    ZoneLine out;
    QString prefix;
    const int number = zone.mid(3).toInt();
    for (const QString& token : text.split(u'-', Qt::SkipEmptyParts)) {
        if (stamp.match(token).hasMatch()) {
            out.expiry = token;
            break;
        }
        const QRegularExpressionMatch m = code.match(token);
        if (!m.hasMatch())
            break;
        if (m.hasCaptured(1) && !m.captured(1).isEmpty())
            prefix = m.captured(1);
        if (prefix != zone.left(3))
            continue;
        if (m.captured(2) == QLatin1String("ALL")) {
            out.names_zone = true;
            continue;
        }
        const int low = m.captured(2).toInt();
        const int high = m.captured(3).isEmpty() ? low : m.captured(3).toInt();
        out.names_zone = out.names_zone || (number >= low && number <= high);
    }
    return out;
}

// The day-hour-minute of a zone line in the month that puts it nearest to now.
QDateTime expiry_time(const QString& stamp, const QDateTime& now_utc) {
    if (stamp.size() != 6 || !now_utc.isValid())
        return {};
    const int day = stamp.left(2).toInt();
    const QTime time(stamp.mid(2, 2).toInt(), stamp.mid(4, 2).toInt());
    if (!time.isValid() || day < 1 || day > 31)
        return {};
    QDateTime best;
    for (int months = -1; months <= 1; ++months) {
        const QDate month = now_utc.date().addMonths(months);
        const QDate date(month.year(), month.month(), day);
        if (!date.isValid())
            continue;
        const QDateTime t(date, time, QTimeZone::utc());
        if (!best.isValid() || std::abs(t.secsTo(now_utc)) < std::abs(best.secsTo(now_utc)))
            best = t;
    }
    return best;
}

// "170505T0000Z"; invalid for the "000000T0000Z" of an event without a set end.
QDateTime vtec_time(const QString& text) {
    QDateTime t = QDateTime::fromString(text, QStringLiteral("yyMMdd'T'HHmm'Z'"));
    if (!t.isValid())
        return {};
    t.setTimeZone(QTimeZone::utc());
    return t.addYears(t.date().year() < 1970 ? 100 : 0);
}

// The end the product's event lines give: the latest end of the events still going on;
// "open" when one of them has no set end; the epoch when every event is cancelled, expired or
// upgraded (nothing of it is in force any more).
struct VtecEnd {
    bool found = false;
    bool open = false;
    QDateTime ends;
};

VtecEnd vtec_end(const QStringList& lines) {
    static const QRegularExpression event(
        QStringLiteral("^/"
                       "[OTEX]\\.([A-Z]{3})\\.[A-Z]{4}\\.[A-Z]{2}\\.[A-Z]\\.\\d{4}\\.\\d{6}T\\d{4}"
                       "Z-(\\d{6}T\\d{4}Z)/"));
    VtecEnd out;
    bool going_on = false;
    for (const QString& line : lines) {
        const QRegularExpressionMatch m = event.match(line);
        if (!m.hasMatch())
            continue;
        out.found = true;
        const QString action = m.captured(1);
        if (action == QLatin1String("CAN") || action == QLatin1String("EXP") ||
            action == QLatin1String("UPG"))
            continue;
        going_on = true;
        const QDateTime end = vtec_time(m.captured(2));
        if (!end.isValid())
            out.open = true;
        else if (!out.ends.isValid() || end > out.ends)
            out.ends = end;
    }
    if (out.found && !going_on)
        out.ends = QDateTime::fromSecsSinceEpoch(0, QTimeZone::utc());
    return out;
}

// Every "...HEADLINE..." of the lines, without its dots, wrapped lines joined with a blank.
QString headlines_of(const QStringList& lines) {
    QStringList found;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString line = lines[i].trimmed();
        if (!line.startsWith(QLatin1String("...")) || line.size() <= 3)
            continue;
        for (int n = 0; !line.endsWith(QLatin1String("...")) && i + 1 < lines.size() &&
                        !lines[i + 1].trimmed().isEmpty() && n < 8;
             ++n)
            line += u' ' + lines[++i].trimmed();
        while (line.startsWith(u'.'))
            line.remove(0, 1);
        while (line.endsWith(u'.'))
            line.chop(1);
        if (!line.trimmed().isEmpty())
            found.append(line.simplified());
    }
    return found.join(u'\n');
}

QString title_case(const QString& capitals) {
    QString out = capitals.toLower();
    for (qsizetype i = 0; i < out.size(); ++i)
        if (i == 0 || out[i - 1] == u' ' || out[i - 1] == u'-' || out[i - 1] == u'/')
            out[i] = out[i].toUpper();
    return out;
}

QString warning_key(const QString& place, const QString& product, const QString& issued) {
    const QByteArray text = (place + u'\n' + product + u'\n' + issued).toUtf8();
    return QString::fromLatin1(
        QCryptographicHash::hash(text, QCryptographicHash::Sha1).toHex().left(16));
}

// The product heading in effect: its product line and issuance line.
struct Heading {
    QString product;
    QString issued;
};

// The heading whose "National Weather Service" line stands at `at`.
Heading heading_at(const QStringList& lines, qsizetype at) {
    Heading h;
    for (qsizetype i = at - 1; i >= 0 && h.product.isEmpty(); --i)
        h.product = lines[i].trimmed();
    for (qsizetype i = at + 1; i < lines.size() && i <= at + 2; ++i)
        if (is_issuance_line(lines[i].trimmed()))
            h.issued = lines[i].trimmed();
    return h;
}

struct Section {
    qsizetype first = 0; // the zone line
    qsizetype body = 0;  // the first line after the zone and county lines
    qsizetype end = 0;   // the "$$" line (or the end of the page)
    QString expiry;
    QString county;
};

// The section that starts with a zone line at `at`.
Section section_at(const QStringList& lines, qsizetype at, const QString& zone, bool& names_zone) {
    Section s;
    s.first = at;
    QString zone_line = lines[at].trimmed();
    qsizetype i = at + 1;
    ZoneLine read = read_zone_line(zone_line, zone);
    for (int n = 0; read.expiry.isEmpty() && zone_line.endsWith(u'-') && i < lines.size() &&
                    continues_zone_line(lines[i].trimmed()) && n < 8;
         ++n) {
        zone_line += lines[i++].trimmed();
        read = read_zone_line(zone_line, zone);
    }
    names_zone = read.names_zone;
    s.expiry = read.expiry;
    if (i < lines.size() && is_county_line(lines[i].trimmed())) {
        QString county = lines[i++].trimmed();
        county.chop(1);
        s.county = title_case(county);
    }
    s.body = i;
    while (i < lines.size() && !lines[i].trimmed().startsWith(QLatin1String("$$")))
        ++i;
    s.end = i;
    return s;
}

void add_warning(std::vector<WatchedWarning>& out, const QStringList& part, const Heading& heading,
                 const Section& section, const WatchPlace& place, const QDateTime& now_utc) {
    if (std::all_of(part.begin(), part.end(),
                    [](const QString& l) { return l.trimmed().isEmpty(); }))
        return;
    WatchedWarning w;
    w.product = heading.product;
    w.headline = headlines_of(part);
    w.issued = heading.issued;
    for (const QString& line : part)
        if (is_issuance_line(line.trimmed())) {
            w.issued = line.trimmed();
            break;
        }
    w.county = section.county.isEmpty() ? title_case(place.name) : section.county;
    const VtecEnd vtec = vtec_end(part);
    if (vtec.found)
        w.ends = vtec.open ? QDateTime() : vtec.ends;
    else
        w.ends = expiry_time(section.expiry, now_utc);
    w.key = warning_key(place.zone.isEmpty() ? place.name : place.zone, w.product, w.issued);
    out.push_back(std::move(w));
}

// The warnings of one section: one per product in it (a second product's heading stands inside
// the section; the first one's before it, where the section's product starts).
void read_section(std::vector<WatchedWarning>& out, const QStringList& lines, const Section& s,
                  Heading heading, const WatchPlace& place, const QDateTime& now_utc) {
    QStringList part;
    for (qsizetype i = s.body; i < s.end; ++i) {
        if (is_service_line(lines[i].trimmed())) {
            // The lines of the new heading up to here belong to it, not to the last product.
            while (!part.isEmpty() && part.last().trimmed().isEmpty())
                part.removeLast();
            if (!part.isEmpty())
                part.removeLast(); // the product line
            add_warning(out, part, heading, s, place, now_utc);
            part.clear();
            heading = heading_at(lines, i);
            continue;
        }
        part.append(lines[i]);
    }
    add_warning(out, part, heading, s, place, now_utc);
}

} // namespace

namespace {

// The place without its zone when find_zone is false (the zip table is read only for a check).
std::optional<WatchPlace> place_of(const QString& location_text, bool find_zone) {
    const QString text = location_text.trimmed();
    if (text.isEmpty() || has_foreign_marker(text))
        return std::nullopt;
    const LocationStringParts parts = read_location_string(text);
    WatchPlace place;
    if (parts.form == LocationForm::Zip) {
        place.state_code = state_to_code(parts.state.trimmed());
        if (const std::optional<ZipPlace> zip =
                find_zone ? lookup_zip(parts.zip) : std::optional<ZipPlace>()) {
            place.state_code = zip->state_code;
            place.zone = zip->forecast_zone;
        }
        // "60601 - Chicago, IL": the place between the dash and the comma.
        place.name = text.section(u',', 0, 0).section(QLatin1String(" - "), 1).trimmed().toUpper();
    } else if (parts.form == LocationForm::UsCity) {
        place.state_code = state_to_code(parts.state.trimmed());
        const QString city = parts.city.trimmed();
        if (const CataloguePlace* p = Catalogue::instance().place_for_request_path(
                QStringLiteral("US/") + place.state_code + u'/' + city + QStringLiteral(".html")))
            place.zone = p->forecast_zone;
        place.name = QString(city).replace(u'_', u' ').toUpper();
    } else {
        return std::nullopt;
    }
    if (!known_state_code(place.state_code) || (place.zone.isEmpty() && place.name.size() < 2))
        return std::nullopt;
    return place;
}

} // namespace

std::optional<WatchPlace> watch_place(const QString& location_text) {
    return place_of(location_text, true);
}

bool watch_serves(const QString& location_text) {
    return place_of(location_text, false).has_value();
}

QString watch_unavailable_reason(const QString& location_text) {
    if (location_text.trimmed().isEmpty())
        return QStringLiteral("Available once the stats of a US place are shown.");
    return QStringLiteral("Only for US places: the warnings come from the US National Weather "
                          "Service.");
}

WarningsPage read_warnings_page(const QByteArray& body, const WatchPlace& place,
                                const QDateTime& now_utc) {
    WarningsPage page;
    QString text = decode_windows_1252(level2_parse(body));
    page.readable = text.contains(QLatin1String("$$")) ||
                    text.contains(QLatin1String("not currently available"));
    if (!page.readable)
        return page;
    text.remove(u'\r');
    const QStringList lines = text.split(u'\n');

    Heading heading;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        if (is_service_line(line)) {
            heading = heading_at(lines, i);
            continue;
        }
        if (!starts_zone_line(line))
            continue;
        bool names_zone = false;
        const Section s = section_at(lines, i, place.zone, names_zone);
        bool ours = !place.zone.isEmpty() && names_zone;
        if (place.zone.isEmpty() && page.warnings.empty())
            for (qsizetype j = s.first; j < s.end && !ours; ++j)
                ours = lines[j].contains(place.name);
        if (ours)
            read_section(page.warnings, lines, s, heading, place, now_utc);
        // A product heading inside the section stands for the sections after it too.
        for (qsizetype j = s.body; j < s.end; ++j)
            if (is_service_line(lines[j].trimmed()))
                heading = heading_at(lines, j);
        i = s.end;
    }
    return page;
}

bool in_force(const WatchedWarning& warning, const QDateTime& now_utc) {
    return !warning.ends.isValid() || warning.ends > now_utc;
}

QDateTime next_end(const std::vector<WatchedWarning>& warnings, const QDateTime& now_utc) {
    QDateTime next;
    for (const WatchedWarning& w : warnings)
        if (w.ends.isValid() && w.ends > now_utc && (!next.isValid() || w.ends < next))
            next = w.ends;
    return next;
}

std::vector<WarningMessage> warning_announcement(const std::vector<WatchedWarning>& fresh) {
    std::vector<WarningMessage> messages;
    for (const WatchedWarning& w : fresh) {
        if (int(messages.size()) == announced_at_once)
            break;
        WarningMessage m;
        m.title = QStringLiteral("Nimbrix - ") + w.product;
        if (!w.county.isEmpty())
            m.title += QStringLiteral(" for ") + w.county + QStringLiteral(" county");
        m.body = w.headline.isEmpty() ? w.product : w.headline.left(headline_limit);
        messages.push_back(std::move(m));
    }
    if (int(fresh.size()) > announced_at_once)
        messages.back().body +=
            QStringLiteral("\nand %1 more").arg(int(fresh.size()) - announced_at_once);
    return messages;
}

QString warning_status_text(const WarningMessage& message) {
    QString title = message.title;
    if (title.startsWith(QLatin1String("Nimbrix - ")))
        title.remove(0, 10);
    return QStringLiteral("WARNING: ") + title + QStringLiteral("...");
}

// --- Seen warnings ----------------------------------------------------------------------------

namespace {

constexpr qint64 seen_lifetime_secs = 2 * 24 * 3600;
constexpr std::size_t seen_most = 1000;
const QString seen_time_format = QStringLiteral("yyyyMMddHHmm");

} // namespace

SeenWarnings SeenWarnings::decode(const QString& stored, const QDateTime& now_utc) {
    static const QRegularExpression entry(QStringLiteral("^([0-9a-f]{16})@(\\d{12})$"));
    SeenWarnings seen;
    for (const QString& item : stored.split(u';', Qt::SkipEmptyParts)) {
        const QRegularExpressionMatch m = entry.match(item.trimmed());
        if (!m.hasMatch())
            continue;
        QDateTime t = QDateTime::fromString(m.captured(2), seen_time_format);
        if (!t.isValid())
            continue;
        t.setTimeZone(QTimeZone::utc());
        seen.entries_.push_back({m.captured(1), t});
    }
    seen.trim(now_utc);
    return seen;
}

QString SeenWarnings::encode() const {
    QStringList items;
    for (const Entry& e : entries_)
        items.append(e.key + u'@' + e.seen.toString(seen_time_format));
    return items.join(u';');
}

bool SeenWarnings::contains(const QString& key) const {
    return std::any_of(entries_.begin(), entries_.end(),
                       [&](const Entry& e) { return e.key == key; });
}

void SeenWarnings::add(const QString& key, const QDateTime& now_utc) {
    if (!contains(key))
        entries_.push_back({key, now_utc.toUTC()});
    trim(now_utc);
}

void SeenWarnings::trim(const QDateTime& now_utc) {
    std::erase_if(entries_,
                  [&](const Entry& e) { return e.seen.secsTo(now_utc) > seen_lifetime_secs; });
    if (entries_.size() > seen_most)
        entries_.erase(entries_.begin(), entries_.end() - std::ptrdiff_t(seen_most));
}
