#include "live/live_products.h"

#include "live/bulletin_file.h"
#include "live/public_statements.h"
#include "live/upstream_cache.h"
#include "sample/conditions_page.h"
#include "sample/nws_products.h"
#include "sample/nws_zones.h"

#include <QSet>
#include <QTimeZone>
#include <algorithm>

namespace {

constexpr long long failure_ms =
    std::chrono::duration_cast<std::chrono::milliseconds>(UpstreamCache::failure_memory).count();
constexpr long long lifetime_ms =
    std::chrono::duration_cast<std::chrono::milliseconds>(text_product_lifetime).count();

// The folders a page's files are in, below /data/, in the order its sections show them.
QStringList folders_of(NwsProduct product) {
    switch (product) {
    case NwsProduct::Zone:
        return {QStringLiteral("forecasts/zone")};
    case NwsProduct::ShortTerm:
        return {QStringLiteral("forecasts/nowcast")};
    case NwsProduct::Warnings:
        return {QStringLiteral("watches_warnings/non_precip"),
                QStringLiteral("watches_warnings/thunderstorm"),
                QStringLiteral("watches_warnings/severe_weather_stmt"),
                QStringLiteral("watches_warnings/flash_flood/warning"),
                QStringLiteral("watches_warnings/flash_flood/watch")};
    case NwsProduct::Special:
        return {QStringLiteral("watches_warnings/special_weather_stmt")};
    case NwsProduct::Hydro:
        return {QStringLiteral("watches_warnings/flood/warning"),
                QStringLiteral("watches_warnings/flood/statement"),
                QStringLiteral("watches_warnings/flash_flood/statement"),
                QStringLiteral("watches_warnings/flood/coastal")};
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

// --- What a page's files hold ------------------------------------------------------------------

struct FoundProduct {
    BulletinFile file;
    std::size_t zone = 0; // the zone whose file held it first
    std::size_t kind = 0; // its folder's place on the page
};

struct Reading {
    std::vector<FoundProduct> products; // each product once, by kind, then as found
    QStringList failures; // files that could not be fetched or read: the page is not kept
    QStringList left_out; // products past their "Expires:" time
    int answered = 0;     // files upstream answered, with a product or without
    bool stale = false;   // a copy older than its lifetime stood in for a file
};

// The product as issued, without the line the file server adds: the same product in the files
// of several zones counts once.
QByteArray product_key(const QByteArray& body) {
    return body.startsWith("Expires:") ? body.mid(body.indexOf('\n') + 1) : body;
}

Reading read_files(const std::vector<ZoneFetch>& fetches, const QStringList& folders,
                   const QDateTime& now_utc, bool honour_expiry, qsizetype max_bytes) {
    Reading r;
    QSet<QByteArray> seen;
    for (const ZoneFetch& f : fetches) {
        if (const QString failure = fetch_failure(f); !failure.isEmpty()) {
            r.failures.append(failure);
            continue;
        }
        ++r.answered;
        if (fetch_absent(f))
            continue;
        r.stale = r.stale || f.cached.freshness == Freshness::Stale;
        BulletinFile file = read_bulletin_file(f.cached.body, max_bytes);
        if (!file.problem.isEmpty()) {
            --r.answered;
            r.failures.append(f.path + QStringLiteral(": left out, ") + file.problem);
            continue;
        }
        if (honour_expiry && file.expires.isValid() && file.expires <= now_utc) {
            r.left_out.append(f.path + QStringLiteral(": left out, expired ") +
                              file.expires.toString(Qt::ISODate));
            continue;
        }
        const QByteArray key = product_key(f.cached.body);
        if (seen.contains(key))
            continue;
        seen.insert(key);
        const auto kind = static_cast<std::size_t>(
            std::find_if(folders.begin(), folders.end(),
                         [&](const QString& folder) { return f.path.contains(folder + u'/'); }) -
            folders.begin());
        r.products.push_back({std::move(file), f.zone, kind});
    }
    std::stable_sort(r.products.begin(), r.products.end(),
                     [](const FoundProduct& a, const FoundProduct& b) { return a.kind < b.kind; });
    return r;
}

// --- Which zone shows what ---------------------------------------------------------------------

struct Block {
    const FoundProduct* product;
    const BulletinSegment* segment;
};

const BulletinSegment* segment_naming(const BulletinFile& file, const NwsZone& zone) {
    for (const BulletinSegment& s : file.segments)
        for (const QString& code : s.codes)
            if (zone_named_by(zone, code))
                return &s;
    return nullptr;
}

// Each zone's products: the segment that names the zone or one of its counties; a product that
// names no zone of the state stays with the zone whose file held it.
std::vector<std::vector<Block>> blocks_by_zone(const std::vector<FoundProduct>& products,
                                               const std::vector<NwsZone>& zones) {
    std::vector<std::vector<Block>> blocks(zones.size());
    for (const FoundProduct& p : products) {
        bool named = false;
        for (std::size_t z = 0; z < zones.size(); ++z)
            if (const BulletinSegment* s = segment_naming(p.file, zones[z])) {
                blocks[z].push_back({&p, s});
                named = true;
            }
        if (!named)
            blocks[p.zone].push_back({&p, &p.file.segments.front()});
    }
    return blocks;
}

// --- The page ----------------------------------------------------------------------------------

// Inside <pre> a "<" would start a tag for the program's cleaning, which drops everything up to
// the next ">", and it reads "&lt;" as those four characters: a "<" of the bulletin ("visibility
// < 1 mile") is shown as the single angle quotation mark of Windows-1252.
QString preformatted(const QString& text) {
    return QString(text).replace(u'<', QChar(0x2039));
}

// When the product ends for the zone: the file's "Expires:" time, else the segment's "ddhhmm"
// in the month nearest to now.
QDateTime block_end(const Block& b, const QDateTime& now_utc) {
    if (b.product->file.expires.isValid())
        return b.product->file.expires;
    const QString& stamp = b.segment->stamp;
    QDateTime best;
    for (int months = -1; months <= 1; ++months) {
        const QDate month = now_utc.date().addMonths(months);
        const QDate day(month.year(), month.month(), stamp.left(2).toInt());
        const QTime time(stamp.mid(2, 2).toInt(), stamp.mid(4, 2).toInt());
        if (!day.isValid() || !time.isValid())
            continue;
        const QDateTime t(day, time, QTimeZone::utc());
        if (!best.isValid() || std::llabs(t.secsTo(now_utc)) < std::llabs(best.secsTo(now_utc)))
            best = t;
    }
    return best.isValid() ? best : now_utc;
}

// A product's part of a zone's section: name, issuer, issuance, end, VTEC lines, text. The name
// stands right above the "National Weather Service" line, where readers of the page (the
// program's warning watch) find where a product starts.
QString product_block(const Block& b, const NwsZone& zone, NwsProduct page,
                      const QDateTime& now_utc) {
    const BulletinFile& file = b.product->file;
    const QDateTime end = block_end(b, now_utc);
    QStringList lines{file.name.isEmpty() ? nws_product_heading(page) : file.name,
                      file.issuer.isEmpty() ? QStringLiteral("National Weather Service")
                                            : file.issuer};
    if (!file.issued.isEmpty())
        lines.append(file.issued);
    QString expires = QStringLiteral("EXPIRES ") +
                      end.toString(QStringLiteral("yyyy-MM-dd HH:mm")) + QStringLiteral(" UTC");
    if (const QString local = nws_zone_time(zone, end.toMSecsSinceEpoch()); !local.isEmpty())
        expires += QStringLiteral(" (") + local + u')';
    lines.append(expires);
    lines += b.segment->vtec;
    lines.append(QString());
    lines += b.segment->lines;
    return lines.join(u'\n');
}

// A zone's section: its code line, its counties in capitals, each product once, "$$".
QString zone_section(const NwsZone& zone, const std::vector<Block>& blocks, NwsProduct page,
                     const QDateTime& now_utc) {
    QStringList parts;
    QString earliest;
    QDateTime earliest_end;
    for (const Block& b : blocks) {
        const QString part = product_block(b, zone, page, now_utc);
        if (parts.contains(part))
            continue;
        parts.append(part);
        if (const QDateTime end = block_end(b, now_utc);
            !earliest_end.isValid() || end < earliest_end) {
            earliest_end = end;
            earliest = end.toString(QStringLiteral("ddHHmm"));
        }
    }
    return zone.code + u'-' + earliest + QStringLiteral("-\n") + zone.counties.join(u'-') +
           QStringLiteral("-\n\n") + parts.join(QStringLiteral("\n\n")) +
           QStringLiteral("\n\n$$\n\n");
}

void log_problems(std::FILE* log, NwsProduct product, const QString& state_code,
                  const QStringList& problems, const QString& outcome) {
    if (!log || problems.isEmpty())
        return;
    QString line = QStringLiteral("nimbrix-host: live %1 for %2: ")
                       .arg(QLatin1String(file_name(product)), state_code) +
                   problems.first();
    if (problems.size() > 1)
        line += QStringLiteral(" (and %1 more)").arg(problems.size() - 1);
    line += QStringLiteral("; ") + outcome + u'\n';
    std::fputs(line.toUtf8().constData(), log);
}

QString fetched_note(const QDateTime& now_utc) {
    return QStringLiteral(" Fetched ") + now_utc.toString(QStringLiteral("HH:mm")) +
           QStringLiteral(" UTC.");
}

// The sample bulletin, saying why it stands in.
QString sample_instead(NwsProduct product, const QString& state_code, const QDateTime& now_utc,
                       const QStringList& failures) {
    const QString why =
        preformatted(failures.isEmpty() ? QStringLiteral("nothing fetched") : failures.first());
    return *nws_page(product, state_code, now_utc,
                     QStringLiteral("Live bulletins are not available right now (") + why +
                         QStringLiteral("); this is a sample bulletin made up by "
                                        "nimbrix-host, not an official forecast."));
}

// The page of the zone files' products; keep says whether it may be kept for its lifetime.
QString zone_files_page(NwsProduct product, const QString& state_code,
                        const std::vector<NwsZone>& zones, Reading& r, const QDateTime& now_utc,
                        std::FILE* log, bool& keep) {
    const std::vector<std::vector<Block>> blocks = blocks_by_zone(r.products, zones);
    QString sections;
    int in_force = 0;
    for (std::size_t z = 0; z < zones.size(); ++z) {
        if (blocks[z].empty())
            continue;
        sections += zone_section(zones[z], blocks[z], product, now_utc);
        ++in_force;
    }
    // Every zone has a forecast: none at all means the server lost them.
    if (in_force == 0 && r.answered > 0 && product == NwsProduct::Zone && r.failures.isEmpty())
        r.failures.append(QStringLiteral("no zone of the state has a forecast file"));
    if (r.stale)
        r.failures.append(QStringLiteral("upstream did not answer; copies older than their "
                                         "lifetime are shown"));
    QString page;
    QString outcome;
    if (in_force > 0) {
        const QString note =
            QStringLiteral("From the US National Weather Service's bulletin files: %1 of %2 "
                           "zones have one in force")
                .arg(in_force)
                .arg(zones.size()) +
            (r.failures.isEmpty()
                 ? QString()
                 : QStringLiteral("; %1 files could not be read").arg(r.failures.size())) +
            u'.' + fetched_note(now_utc);
        page = nws_bulletin_page(product, state_code, preformatted(sections), note,
                                 r.stale ? stale_marker : live_marker);
        outcome = QStringLiteral("the zones that answered are served");
    } else if (r.answered > 0) {
        page = nws_not_available_page(product, state_code);
        outcome = QStringLiteral("not currently available");
    } else {
        page = sample_instead(product, state_code, now_utc, r.failures);
        outcome = QStringLiteral("sample data served");
    }
    log_problems(log, product, state_code, r.failures + r.left_out, outcome);
    keep = r.failures.isEmpty();
    return page;
}

// public.html: each office's latest statement, whole, in the frame of the bulletins.
QString public_page(const QString& state_code, const PublicStatements& found,
                    const QDateTime& now_utc, std::FILE* log, bool& keep) {
    QStringList problems = found.failures;
    if (found.stale)
        problems.append(QStringLiteral("upstream did not answer; copies older than their "
                                       "lifetime are shown"));
    QString page;
    QString outcome;
    if (!found.statements.isEmpty()) {
        QString text;
        for (const QString& statement : found.statements)
            text += statement + (statement.endsWith(QStringLiteral("$$"))
                                     ? QStringLiteral("\n\n")
                                     : QStringLiteral("\n\n$$\n\n"));
        const QString note = QStringLiteral("The latest public information statements of the "
                                            "US National Weather Service's offices for the "
                                            "state, from its products interface.") +
                             fetched_note(now_utc);
        page = nws_bulletin_page(NwsProduct::Public, state_code, preformatted(text), note,
                                 found.stale ? stale_marker : live_marker);
        outcome = QStringLiteral("the offices that answered are served");
    } else if (found.offices_known) {
        page = nws_not_available_page(NwsProduct::Public, state_code);
        outcome = QStringLiteral("not currently available");
    } else {
        page = sample_instead(NwsProduct::Public, state_code, now_utc, problems);
        outcome = QStringLiteral("sample data served");
    }
    log_problems(log, NwsProduct::Public, state_code, problems, outcome);
    keep = problems.isEmpty();
    return page;
}

} // namespace

QStringList live_text_paths(NwsProduct product, const QString& zone_code) {
    const QString zone = zone_code.toLower();
    QStringList paths;
    for (const QString& folder : folders_of(product))
        paths.append(QStringLiteral("/data/") + folder + u'/' + zone.left(2) + u'/' + zone +
                     QStringLiteral(".txt"));
    return paths;
}

LiveTextProducts::LiveTextProducts(UpstreamCache& cache, std::FILE* log, LiveTextLimits limits,
                                   UpstreamCache* products_api)
    : cache_(cache), products_api_(products_api), log_(log), limits_(limits) {}

std::optional<TimedPage> LiveTextProducts::made_page(NwsProduct product, const QString& state_code,
                                                     const QDateTime& now_utc, bool& keep) {
    const std::vector<NwsZone>& zones = nws_zones(state_code);
    if (product == NwsProduct::Public) {
        const PublicStatements found =
            public_statements(cache_, *products_api_, zones, now_utc, limits_);
        return TimedPage{public_page(state_code, found, now_utc, log_, keep)};
    }
    std::vector<ZoneFetch> fetches;
    for (std::size_t z = 0; z < zones.size(); ++z)
        for (const QString& path : live_text_paths(product, zones[z].code))
            fetches.push_back({z, path, false, {}});
    fetch_zone_files(cache_, fetches,
                     std::chrono::duration_cast<std::chrono::seconds>(text_product_lifetime),
                     limits_);
    Reading r = read_files(fetches, folders_of(product), now_utc, product != NwsProduct::Zone,
                           limits_.max_file_bytes);
    return TimedPage{zone_files_page(product, state_code, zones, r, now_utc, log_, keep)};
}

std::optional<TimedPage> LiveTextProducts::page(NwsProduct product, const QString& state_code,
                                                const QDateTime& now_utc) {
    if (nws_zones(state_code).empty())
        return std::nullopt;
    const long long now_ms = now_utc.toMSecsSinceEpoch();
    if (product == NwsProduct::Public && !products_api_) {
        const long long hour_ms = page_hour(now_utc).toMSecsSinceEpoch();
        return TimedPage{*nws_page(product, state_code, now_utc), hour_ms, hour_ms + 3600000};
    }
    const QString key = QLatin1String(file_name(product)) + state_code;
    {
        const std::lock_guard lock(mutex_);
        const auto it = kept_.constFind(key);
        if (it != kept_.constEnd() && now_ms >= it->made_ms && now_ms < it->until_ms)
            return *it;
    }
    bool keep = false;
    std::optional<TimedPage> made = made_page(product, state_code, now_utc, keep);
    // A page with problems is made again once the cache would ask upstream again.
    made->made_ms = now_ms;
    made->until_ms = now_ms + (keep ? lifetime_ms : failure_ms);
    if (keep) {
        const std::lock_guard lock(mutex_);
        kept_.insert(key, *made);
    }
    return made;
}
