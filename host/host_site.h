#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QPair>
#include <QString>
#include <atomic>

// What nimbrix-host answers, without the HTTP: a request's path and query parameters in, the
// status, content type and body bytes out. Roles served:
//   Conditions  /US/<ST>/<City>.html, /global/stations/<number>.html,
//               /cgi-bin/findweather/getForecast?query=<zip>
//   Maker       /assets/NimbrixCount.txt (the number of usage pings since start),
//               /assets/nimbrixvs.txt ("Version#" and the published version), and "/", a
//               page about Nimbrix that links to every state's city pages (maker_pages.h)
// Anything else is a 404 page.

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
};

inline constexpr char conditions_content_type[] = "text/html; charset=windows-1252";
inline constexpr char maker_content_type[] = "text/plain; charset=windows-1252";

// The version nimbrix-host publishes unless told otherwise (--published-version).
inline const QString default_published_version = QStringLiteral("1.30.7.2");

class HostSite {
public:
    // published_version: what the version file names as the latest version.
    explicit HostSite(QString published_version = default_published_version)
        : published_version_(std::move(published_version)) {}


    // now_utc picks the hour of a conditions page. Safe to call from several threads.
    HostReply answer(const HostRequest& request, const QDateTime& now_utc);

    // Usage pings answered since start.
    unsigned long long usage_count() const { return usage_count_.load(); }

private:
    QString published_version_;
    std::atomic<unsigned long long> usage_count_{0};
};

// The reply for an unknown path: status 404 and a small page with no conditions in it.
HostReply not_found_reply(const QString& path);
