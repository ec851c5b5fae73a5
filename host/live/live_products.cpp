#include "live/live_products.h"

#include "live/upstream_cache.h"
#include "nws_products.h"
#include "nws_zones.h"

#include <QRegularExpression>
#include <QSet>
#include <QTimeZone>
#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

namespace {

using SteadyClock = std::chrono::steady_clock;

// The kinds of file a product is made of, below /data/.
QStringList kinds_of(NwsProduct product) {
    switch (product) {
    case NwsProduct::Zone:
        return {QStringLiteral("forecasts/zone")};
    case NwsProduct::ShortTerm:
        return {QStringLiteral("forecasts/nowcast")};
    case NwsProduct::Warnings:
        return {QStringLiteral("watches_warnings/non_precip"),
                QStringLiteral("watches_warnings/thunderstorm")};
    case NwsProduct::Special:
        return {QStringLiteral("watches_warnings/special_weather_stmt")};
    case NwsProduct::Hydro:
        return {QStringLiteral("watches_warnings/flood/warning"),
                QStringLiteral("watches_warnings/flood/statement")};
    case NwsProduct::Public:
        break;
    }
    return {};
}

const char* file_name(NwsProduct product) {
    switch (product) {
    case NwsProduct::Zone:
        return "zone.html";
    case NwsProduct::ShortTerm:
        return "shortterm.html";
    case NwsProduct::Public:
        return "public.html";
    case NwsProduct::Warnings:
        return "allwarnings.html";
    case NwsProduct::Special:
        return "special.html";
    case NwsProduct::Hydro:
        return "hydro.html";
    }
    return "";
}

// --- Reading one zone file -------------------------------------------------------------------

enum class Verdict { InForce, NoneInForce, NotText };

struct ZoneText {
    Verdict verdict = Verdict::NoneInForce;
    QString why;       // NotText: what is wrong with the file
    QString head;      // the product's heading: WMO heading, identifier, name, office, time
    QString expiry;    // "081000", the segment's end as its zone line gives it
    QStringList lines; // the segment after its zone lines, without "$$"
};

// A zone file must be plain text of a sensible size; an error page or a picture served in its
// place is not a bulletin.
QString text_problem(const QByteArray& body, qsizetype max_bytes) {
    if (body.size() > max_bytes)
        return QStringLiteral("larger than %1 bytes").arg(max_bytes);
    for (const char c : body) {
        const auto u = static_cast<unsigned char>(c);
        if ((u < 0x20 && c != '\n' && c != '\r' && c != '\t') || u == 0x7f)
            return QStringLiteral("binary bytes");
    }
    const QByteArray start = body.trimmed().left(512).toLower();
    if (start.startsWith('<') || start.contains("<html") || start.contains("<!doctype"))
        return QStringLiteral("an HTML page");
    return {};
}

// "Expires:202612081000;;370775": the file's product ends then.
QDateTime expires_at(const QString& line) {
    static const QRegularExpression expires(QStringLiteral("^Expires:(\\d{12})"));
    const QRegularExpressionMatch m = expires.match(line);
    if (!m.hasMatch())
        return {};
    QDateTime t = QDateTime::fromString(m.captured(1), QStringLiteral("yyyyMMddHHmm"));
    t.setTimeZone(QTimeZone::utc());
    return t;
}

// The codes a zone line names and its expiry: "ILZ013-014-103>105-081000-" names ILZ013,
// ILZ014, ILZ103, ILZ104 and ILZ105 until the 8th at 10:00 UT; "ILZALL" every zone of the
// state. False when the text is no zone line.
bool read_zone_line(const QString& text, QSet<QString>& codes, QString& expiry) {
    static const QRegularExpression first(
        QStringLiteral("^([A-Z]{2}[CZ])(\\d{3}|ALL)(?:>(\\d{3}))?$"));
    static const QRegularExpression more(QStringLiteral("^(\\d{3})(?:>(\\d{3}))?$"));
    static const QRegularExpression stamp(QStringLiteral("^\\d{6}$"));
    QString prefix;
    for (const QString& token : text.split(u'-', Qt::SkipEmptyParts)) {
        QRegularExpressionMatch m = first.match(token);
        QString low;
        QString high;
        if (m.hasMatch()) {
            prefix = m.captured(1);
            low = m.captured(2);
            high = m.captured(3);
        } else if (m = more.match(token); m.hasMatch() && !prefix.isEmpty()) {
            low = m.captured(1);
            high = m.captured(2);
        } else if (stamp.match(token).hasMatch() && !prefix.isEmpty()) {
            expiry = token;
            return true;
        } else {
            return false;
        }
        if (low == u"ALL") {
            codes.insert(prefix + low);
            continue;
        }
        const int from = low.toInt();
        const int to = high.isEmpty() ? from : std::max(from, high.toInt());
        for (int n = from; n <= to; ++n)
            codes.insert(prefix + QStringLiteral("%1").arg(n, 3, 10, QChar(u'0')));
    }
    return false;
}

struct Segment {
    QSet<QString> codes;
    QString expiry;
    QStringList lines;
};

bool starts_zone_line(const QString& line) {
    static const QRegularExpression start(QStringLiteral("^[A-Z]{2}[CZ](\\d{3}|ALL)[->]"));
    return start.match(line).hasMatch();
}

// "103>105-081000-": the rest of a zone line.
bool continues_zone_line(const QString& line) {
    static const QRegularExpression rest(
        QStringLiteral("^(?:[A-Z]{2}[CZ])?(?:\\d{3}|ALL)[-\\d>A-Z]*$"));
    return rest.match(line.trimmed()).hasMatch();
}

ZoneText read_zone_file(const QByteArray& body, const QString& zone_code, const QDateTime& now_utc,
                        bool honour_expiry, qsizetype max_bytes) {
    ZoneText out;
    if (const QString problem = text_problem(body, max_bytes); !problem.isEmpty()) {
        out.verdict = Verdict::NotText;
        out.why = problem;
        return out;
    }
    QStringList lines = QString::fromLatin1(body).remove(u'\r').split(u'\n');
    if (!lines.isEmpty() && lines.first().startsWith(QStringLiteral("Expires:"))) {
        const QDateTime expires = expires_at(lines.first());
        if (honour_expiry && expires.isValid() && expires <= now_utc)
            return out;
        lines.removeFirst();
    }

    // The heading up to the first zone line, then segments: zone lines, text, "$$".
    QStringList head;
    std::vector<Segment> segments;
    qsizetype i = 0;
    while (i < lines.size() && !starts_zone_line(lines[i]))
        head.append(lines[i++]);
    while (i < lines.size()) {
        Segment segment;
        // A zone line may run over several lines, each ending in "-".
        QString zone_line = lines[i++].trimmed();
        for (int n = 0;
             !read_zone_line(zone_line, segment.codes, segment.expiry) &&
             zone_line.endsWith(u'-') && i < lines.size() && continues_zone_line(lines[i]) && n < 8;
             ++n) {
            segment.codes.clear();
            zone_line += lines[i++].trimmed();
        }
        while (i < lines.size() && !lines[i].trimmed().startsWith(QStringLiteral("$$")))
            segment.lines.append(lines[i++]);
        ++i; // the "$$"
        segments.push_back(std::move(segment));
        while (i < lines.size() && !starts_zone_line(lines[i]))
            ++i; // the office's initials after the last "$$"
    }
    if (segments.empty()) {
        // No zone lines: the text before the first "$$" is the zone's.
        Segment whole;
        for (const QString& line : head) {
            if (line.trimmed().startsWith(QStringLiteral("$$")))
                break;
            whole.lines.append(line);
        }
        head.clear();
        segments.push_back(std::move(whole));
    }
    const auto named = std::find_if(segments.begin(), segments.end(), [&](const Segment& s) {
        return s.codes.contains(zone_code) || s.codes.contains(zone_code.left(3) + "ALL");
    });
    Segment& segment = named != segments.end() ? *named : segments.front();
    while (!segment.lines.isEmpty() && segment.lines.last().trimmed().isEmpty())
        segment.lines.removeLast();
    while (!segment.lines.isEmpty() && segment.lines.first().trimmed().isEmpty())
        segment.lines.removeFirst();
    if (segment.lines.isEmpty())
        return out;
    while (!head.isEmpty() && head.first().trimmed().isEmpty())
        head.removeFirst();
    out.verdict = Verdict::InForce;
    out.head = head.join(u'\n').trimmed();
    out.expiry = segment.expiry;
    out.lines = segment.lines;
    return out;
}

// --- The page ---------------------------------------------------------------------------------

// Inside <pre> a "<" would start a tag for the program's cleaning, which drops everything up to
// the next ">", and it reads "&lt;" as those four characters: a "<" of the bulletin ("visibility
// < 1 mile") is shown as the single angle quotation mark of Windows-1252.
QString preformatted(const QString& text) {
    return QString(text).replace(u'<', QChar(0x2039));
}

// A zone's section: its code line, its counties in capitals, the segments of its files (a
// second product's segment under its own heading).
QString zone_section(const NwsZone& zone, const std::vector<ZoneText>& texts) {
    const QString county_line = zone.counties.join(u'-') + u'-';
    QString expiry;
    QStringList body;
    for (const ZoneText& t : texts) {
        if (expiry.isEmpty())
            expiry = t.expiry;
        if (!body.isEmpty()) {
            body.append(QString());
            if (!t.head.isEmpty() && t.head != texts.front().head)
                body << t.head << QString();
        }
        for (const QString& line : t.lines)
            // The file's own name line, when it names just the county.
            if (line.trimmed().toUpper() != county_line)
                body.append(line);
    }
    return zone.code + u'-' + (expiry.isEmpty() ? QString() : expiry + u'-') + u'\n' + county_line +
           u'\n' + body.join(u'\n') + QStringLiteral("\n\n$$\n\n");
}

struct Fetch {
    std::size_t zone = 0;
    QString path;
    bool asked = false;
    CachedBody cached;
};

// Fetches the files through the cache, `concurrency` at a time, until the page budget is spent.
// When a whole round of requests got no reply at all and none got one, the server cannot be
// reached: the files left over are not asked for.
void fetch_all(UpstreamCache& cache, std::vector<Fetch>& fetches, const LiveTextLimits& limits) {
    if (fetches.empty())
        return;
    const SteadyClock::time_point deadline = SteadyClock::now() + limits.page_budget;
    std::atomic<std::size_t> next{0};
    std::atomic<int> replied{0};
    std::atomic<int> unreached{0};
    const int concurrency = std::max(1, limits.concurrency);
    const auto work = [&] {
        for (std::size_t i = next++; i < fetches.size(); i = next++) {
            if (SteadyClock::now() >= deadline || (replied == 0 && unreached >= concurrency))
                return;
            fetches[i].cached =
                cache.get(fetches[i].path,
                          std::chrono::duration_cast<std::chrono::seconds>(text_product_lifetime));
            fetches[i].asked = true;
            if (fetches[i].cached.freshness == Freshness::Missing && fetches[i].cached.unreachable)
                ++unreached;
            else
                ++replied;
        }
    };
    std::vector<std::thread> workers;
    const std::size_t helpers = std::min(fetches.size(), static_cast<std::size_t>(concurrency)) - 1;
    for (std::size_t n = 0; n < helpers; ++n)
        workers.emplace_back(work);
    work();
    for (std::thread& t : workers)
        t.join();
}

} // namespace

QStringList live_text_paths(NwsProduct product, const QString& zone_code) {
    const QString zone = zone_code.toLower();
    QStringList paths;
    for (const QString& kind : kinds_of(product))
        paths.append(QStringLiteral("/data/") + kind + u'/' + zone.left(2) + u'/' + zone +
                     QStringLiteral(".txt"));
    return paths;
}

LiveTextProducts::LiveTextProducts(UpstreamCache& cache, std::FILE* log, LiveTextLimits limits)
    : cache_(cache), log_(log), limits_(limits) {}

std::optional<QString> LiveTextProducts::page(NwsProduct product, const QString& state_code,
                                              const QDateTime& now_utc) {
    const std::vector<NwsZone>& zones = nws_zones(state_code);
    if (zones.empty())
        return std::nullopt;
    if (kinds_of(product).isEmpty())
        return nws_page(product, state_code, now_utc);

    const QString key = QLatin1String(file_name(product)) + state_code;
    const long long now_ms = now_utc.toMSecsSinceEpoch();
    const long long lifetime_ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(text_product_lifetime).count();
    {
        const std::lock_guard lock(mutex_);
        const auto it = kept_.constFind(key);
        if (it != kept_.constEnd() && now_ms >= it->made_ms && now_ms - it->made_ms < lifetime_ms)
            return it->page;
    }

    // Every zone's files, a few at a time, until the budget is spent.
    std::vector<Fetch> fetches;
    for (std::size_t z = 0; z < zones.size(); ++z)
        for (const QString& path : live_text_paths(product, zones[z].code))
            fetches.push_back({z, path, false, {}});
    fetch_all(cache_, fetches, limits_);

    // What each file holds; failures are files that could not be fetched or read.
    std::vector<std::vector<ZoneText>> texts(zones.size());
    int answered = 0;
    QStringList failures;
    const bool honour_expiry = product != NwsProduct::Zone;
    for (const Fetch& f : fetches) {
        if (!f.asked) {
            failures.append(f.path + QStringLiteral(": not asked (the page took too long, or the "
                                                    "server cannot be reached)"));
            continue;
        }
        // A file the server no longer has: nothing in force, even if an older copy is kept.
        if (f.cached.status == 404 || f.cached.status == 410) {
            ++answered;
            continue;
        }
        if (f.cached.freshness == Freshness::Missing) {
            failures.append(f.cached.error);
            continue;
        }
        ZoneText text = read_zone_file(f.cached.body, zones[f.zone].code, now_utc, honour_expiry,
                                       limits_.max_file_bytes);
        if (text.verdict == Verdict::NotText) {
            failures.append(f.path + QStringLiteral(": dropped, ") + text.why);
            continue;
        }
        ++answered;
        if (text.verdict == Verdict::InForce)
            texts[f.zone].push_back(std::move(text));
    }

    // A product's heading stands before the first section that comes from it (a state's zones
    // are served by several offices).
    QString head;
    QString sections;
    int in_force = 0;
    for (std::size_t z = 0; z < zones.size(); ++z) {
        if (texts[z].empty())
            continue;
        if (const QString& h = texts[z].front().head; !h.isEmpty() && h != head) {
            head = h;
            sections += h + QStringLiteral("\n\n");
        }
        sections += zone_section(zones[z], texts[z]);
        ++in_force;
    }

    QString result;
    QString outcome;
    if (in_force > 0) {
        const QString note =
            QStringLiteral("From the US National Weather Service's bulletin files: %1 of %2 "
                           "zones have one in force")
                .arg(in_force)
                .arg(zones.size()) +
            (failures.isEmpty()
                 ? QString()
                 : QStringLiteral("; %1 files could not be read").arg(failures.size())) +
            QStringLiteral(". Fetched ") + now_utc.toString(QStringLiteral("HH:mm")) +
            QStringLiteral(" UTC.");
        result = nws_bulletin_page(product, state_code, preformatted(sections), note);
        outcome = QStringLiteral("the zones that answered are served");
    } else if (answered > 0) {
        result = nws_not_available_page(product, state_code);
        outcome = QStringLiteral("not currently available");
        // Every zone has a forecast: none at all means the server lost them.
        if (product == NwsProduct::Zone && failures.isEmpty())
            failures.append(QStringLiteral("no zone of the state has a forecast file"));
    } else {
        const QString why =
            preformatted(failures.isEmpty() ? QStringLiteral("nothing fetched") : failures.first());
        result = *nws_page(product, state_code, now_utc,
                           QStringLiteral("Live bulletins are not available right now (") + why +
                               QStringLiteral("); this is a sample bulletin made up by "
                                              "nimbrix-host, not an official forecast."));
        outcome = QStringLiteral("sample data served");
    }

    if (!failures.isEmpty()) {
        if (log_) {
            QString line = QStringLiteral("nimbrix-host: live %1 for %2: ")
                               .arg(QLatin1String(file_name(product)), state_code) +
                           failures.first();
            if (failures.size() > 1)
                line += QStringLiteral(" (and %1 more files)").arg(failures.size() - 1);
            line += QStringLiteral("; ") + outcome + u'\n';
            std::fputs(line.toUtf8().constData(), log_);
        }
    } else {
        const std::lock_guard lock(mutex_);
        kept_.insert(key, {result, now_ms});
    }
    return result;
}
