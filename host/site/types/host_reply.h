#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

// What every part of nimbrix-host speaks: a request's path and query parameters in, the status,
// content type and body bytes out. The pages, the pictures and the live sources make replies;
// HostSite (site/host_site.h) picks which one answers a path.

struct HostRequest {
    QString path; // decoded, with its leading "/"
    QList<QPair<QString, QString>> params;

    // The first value of a query parameter; a null text when it is missing.
    QString param(const QString& name) const;
};

// A request target as it stands in a request line or on the command line:
// "/cgi-bin/findweather/getForecast?query=60601"; percent escapes and "+" are decoded.
HostRequest request_from_target(const QString& target);

struct HostReply {
    int status = 200;
    QByteArray content_type;
    QByteArray body;
    // False: the reply announces no Content-Length; the body ends where the server closes.
    bool announce_length = true;
    // For a cache in front of the host: when the body was made (Last-Modified) and until when
    // it stays as it is (Cache-Control: max-age is what is left of it), in milliseconds since
    // 1970. 0 until_ms: HostSite decides by the path; -1: never to be kept (the usage counter).
    long long made_ms = 0;
    long long until_ms = 0;
};

// A page and the times of HostReply: when it was made and until when it stays as it is.
struct TimedPage {
    QString page;
    long long made_ms = 0;
    long long until_ms = 0;
};

// The replies that stay the same while the host runs (the maker's files, census tables, the
// 404 page) may be kept this long by a cache.
inline constexpr long long static_reply_lifetime_ms = 3600LL * 1000;

inline constexpr char conditions_content_type[] = "text/html; charset=windows-1252";
inline constexpr char maker_content_type[] = "text/plain; charset=windows-1252";

// The reply for an unknown path: status 404 and a small page with no conditions in it.
HostReply not_found_reply(const QString& path);
