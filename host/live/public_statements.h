#pragma once

#include "live/zone_files.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <chrono>
#include <vector>

struct NwsZone;
class UpstreamCache;

// The latest public information statement of each forecast office that serves a state, from
// the weather service's products interface (JSON):
//   /products/types/PNS/locations/<office>  the office's statements, newest first; "DMX"
//   /products/<id>                          one statement; its "productText" is the product
// The offices are the ones that issue the state's zone forecasts: the identifier line of each
// zone's forecast file ("ZFPDMX": DMX). A statement older than public_statement_age is not
// shown; an office whose list or statement cannot be had or read is left out.

inline constexpr auto public_statement_age = std::chrono::hours(7 * 24);
inline constexpr auto public_list_lifetime = std::chrono::minutes(15);
// A statement, once issued, does not change.
inline constexpr auto public_statement_lifetime = std::chrono::hours(7 * 24);

struct PublicStatements {
    QStringList statements;     // each office's statement as issued, offices in order
    QStringList failures;       // one per zone file or office left out
    bool offices_known = false; // some zone forecast named its office
    bool stale = false;         // a copy older than its lifetime stood in for a reply
};

// The offices ("DMX") named by the zone forecasts of a state's zones, fetched through `files`.
QStringList offices_of_zones(UpstreamCache& files, const std::vector<NwsZone>& zones,
                             const LiveTextLimits& limits, QStringList& failures, bool& stale);

PublicStatements public_statements(UpstreamCache& files, UpstreamCache& api,
                                   const std::vector<NwsZone>& zones, const QDateTime& now_utc,
                                   const LiveTextLimits& limits);
