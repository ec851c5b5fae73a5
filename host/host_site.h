#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QPair>
#include <QString>
#include <atomic>
#include <functional>
#include <optional>

// What nimbrix-host answers, without the HTTP: a request's path and query parameters in, the
// status, content type and body bytes out. Roles served:
//   Conditions  /US/<ST>/<City>.html, /global/stations/<number>.html,
//               /cgi-bin/findweather/getForecast?query=<zip>
//   Maker       /assets/NimbrixCount.txt (the number of usage pings since start),
//               /assets/nimbrixvs.txt ("Version#" and the published version), and "/", a
//               page about Nimbrix that links to every state's city pages (maker_pages.h)
//   Image hosts every path of the image catalogue (image_host.h)
//   NWS         /iwin/<ST>/zone.html and the state's other bulletins (nws_products.h; from the
//               weather service's zone files in live mode: live/live_products.h)
//   Census      /statab/ranks/pg20.txt, /statab/ranks/pg18.txt (census_pages.h)
//   CensusLookup  /cdrom/lookup/.../SEL=<state or zip>/... (census_pages.h)
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

// The version nimbrix-host publishes unless told otherwise (--published-version).
inline const QString default_published_version = QStringLiteral("1.30.7.2");

struct HostPlace;
enum class NwsProduct; // nws_products.h

// Makes the page of a weather service bulletin for a state instead of the sample bulletins;
// nothing for a state the zone table lacks. Called from several threads at once.
using NwsPageSource = std::function<std::optional<TimedPage>(
    NwsProduct product, const QString& state_code, const QDateTime& now_utc)>;

class HostSite {
public:
    // published_version: what the version file names as the latest version.
    explicit HostSite(QString published_version = default_published_version)
        : published_version_(std::move(published_version)) {}

    // Makes a place's conditions page (the sample page unless set). Set before serving; it is
    // called from several threads at once.
    using ConditionsSource = std::function<TimedPage(const HostPlace&, const QDateTime& now_utc)>;
    void set_conditions_source(ConditionsSource source) { conditions_source_ = std::move(source); }

    // Makes the "NWS" role's bulletin pages (the sample bulletins unless set). Set before
    // serving.
    void set_text_source(NwsPageSource source) { text_source_ = std::move(source); }

    // Answers image paths before the sample pictures: nothing leaves the path to them. Set
    // before serving; it is called from several threads at once.
    using ImageSource =
        std::function<std::optional<HostReply>(const HostRequest&, const QDateTime& now_utc)>;
    void set_image_source(ImageSource source) { image_source_ = std::move(source); }

    // The Purdue radar's "/radar/rad_comp.gif" as its small "not available" picture without a
    // length (nimbrix-host --small-radar), before any image source: the program then falls
    // back to the composite of two hours before. Set before serving.
    void set_small_radar(bool small) { small_radar_ = small; }

    // now_utc picks the hour of a conditions page. Every reply carries its times: a sample page
    // or picture is made for its hour and stays so until the next, the static replies stay so
    // for static_reply_lifetime_ms from the site's start. Safe to call from several threads.
    HostReply answer(const HostRequest& request, const QDateTime& now_utc);

    // Usage pings answered since start.
    unsigned long long usage_count() const { return usage_count_.load(); }

private:
    HostReply routed(const HostRequest& request, const QDateTime& now_utc);

    QString published_version_;
    long long started_ms_ = QDateTime::currentMSecsSinceEpoch();
    std::atomic<unsigned long long> usage_count_{0};
    ConditionsSource conditions_source_;
    NwsPageSource text_source_;
    ImageSource image_source_;
    bool small_radar_ = false;
};

// The reply for an unknown path: status 404 and a small page with no conditions in it.
HostReply not_found_reply(const QString& path);
