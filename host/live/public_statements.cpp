#include "live/public_statements.h"

#include "live/bulletin_file.h"
#include "live/live_products.h"
#include "live/upstream_cache.h"
#include "sample/nws_products.h"
#include "sample/nws_zones.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <optional>

namespace {

template <typename D> std::chrono::seconds seconds(D d) {
    return std::chrono::duration_cast<std::chrono::seconds>(d);
}

// "ZFPDMX" -> "DMX"; without an identifier line, the WMO heading's office "KDMX" -> "DMX".
QString office_location(const BulletinFile& file) {
    if (file.awips.size() == 6)
        return file.awips.right(3);
    return file.office.size() == 4 ? file.office.mid(1) : QString();
}

struct Listed {
    QString id;
    QDateTime issued;
};

// The newest statement of an office's list, or why there is none to read.
std::optional<Listed> newest_listed(const QByteArray& body, QString& why) {
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(body, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject() ||
        !doc.object().value(QStringLiteral("@graph")).isArray()) {
        why = QStringLiteral("the list is not the products interface's JSON");
        return std::nullopt;
    }
    std::optional<Listed> newest;
    for (const QJsonValue& item : doc.object().value(QStringLiteral("@graph")).toArray()) {
        const QJsonObject o = item.toObject();
        const QString id = o.value(QStringLiteral("id")).toString();
        const QDateTime issued =
            QDateTime::fromString(o.value(QStringLiteral("issuanceTime")).toString(), Qt::ISODate);
        static const QRegularExpression safe(QStringLiteral("^[A-Za-z0-9-]+$"));
        if (!issued.isValid() || !safe.match(id).hasMatch())
            continue;
        if (!newest || issued > newest->issued)
            newest = Listed{id, issued.toUTC()};
    }
    return newest;
}

// The statement's text, or why there is none.
QString statement_text(const QByteArray& body, qsizetype max_bytes, QString& why) {
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(body, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject()) {
        why = QStringLiteral("the statement is not the products interface's JSON");
        return {};
    }
    QString text = doc.object().value(QStringLiteral("productText")).toString();
    text.remove(u'\r');
    text = text.trimmed();
    if (text.isEmpty())
        why = QStringLiteral("the statement has no text");
    else if (text.size() > max_bytes)
        why = QStringLiteral("the statement is larger than %1 characters").arg(max_bytes);
    return why.isEmpty() ? text : QString();
}

// Why a reply of the interface gives nothing; empty when it has a body.
QString reply_failure(const CachedBody& reply, bool& stale) {
    if (reply.freshness == Freshness::Missing)
        return reply.error.isEmpty() ? QStringLiteral("no reply") : reply.error;
    stale = stale || reply.freshness == Freshness::Stale;
    return {};
}

// One office's latest statement: empty when it has none within public_statement_age, or when
// it is left out (why says so).
QString office_statement(UpstreamCache& api, const QString& office, const QDateTime& now_utc,
                         qsizetype max_bytes, bool& stale, QString& why) {
    const CachedBody list = api.get(QStringLiteral("/products/types/PNS/locations/") + office,
                                    seconds(public_list_lifetime));
    if (why = reply_failure(list, stale); !why.isEmpty())
        return {};
    const std::optional<Listed> newest = newest_listed(list.body, why);
    if (!newest || newest->issued.secsTo(now_utc) > seconds(public_statement_age).count())
        return {};
    const CachedBody statement =
        api.get(QStringLiteral("/products/") + newest->id, seconds(public_statement_lifetime));
    if (why = reply_failure(statement, stale); !why.isEmpty())
        return {};
    return statement_text(statement.body, max_bytes, why);
}

} // namespace

QStringList offices_of_zones(UpstreamCache& files, const std::vector<NwsZone>& zones,
                             const LiveTextLimits& limits, QStringList& failures, bool& stale) {
    std::vector<ZoneFetch> fetches;
    for (std::size_t z = 0; z < zones.size(); ++z)
        fetches.push_back({z, live_text_paths(NwsProduct::Zone, zones[z].code).first(), false, {}});
    fetch_zone_files(files, fetches, seconds(public_list_lifetime), limits);
    QStringList offices;
    for (const ZoneFetch& f : fetches) {
        if (const QString failure = fetch_failure(f); !failure.isEmpty()) {
            failures.append(failure);
            continue;
        }
        if (fetch_absent(f))
            continue;
        stale = stale || f.cached.freshness == Freshness::Stale;
        const QString office =
            office_location(read_bulletin_file(f.cached.body, limits.max_file_bytes));
        if (!office.isEmpty() && !offices.contains(office))
            offices.append(office);
    }
    offices.sort();
    return offices;
}

PublicStatements public_statements(UpstreamCache& files, UpstreamCache& api,
                                   const std::vector<NwsZone>& zones, const QDateTime& now_utc,
                                   const LiveTextLimits& limits) {
    PublicStatements found;
    const QStringList offices = offices_of_zones(files, zones, limits, found.failures, found.stale);
    found.offices_known = !offices.isEmpty();
    for (const QString& office : offices) {
        QString why;
        const QString text =
            office_statement(api, office, now_utc, limits.max_file_bytes, found.stale, why);
        if (!why.isEmpty())
            found.failures.append(QStringLiteral("office ") + office + QStringLiteral(": ") + why);
        else if (!text.isEmpty())
            found.statements.append(text);
    }
    return found;
}
