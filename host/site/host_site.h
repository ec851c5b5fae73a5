#pragma once

#include "sample/nws_products.h"
#include "site/types/host_reply.h"

#include <QDateTime>
#include <QString>
#include <atomic>
#include <functional>
#include <optional>

// What nimbrix-host answers, without the HTTP: which page, picture or live source answers a
// request (site/types/host_reply.h). Roles served:
//   Conditions  /US/<ST>/<City>.html, /global/stations/<number>.html,
//               /cgi-bin/findweather/getForecast?query=<zip>
//   Maker       /assets/NimbrixCount.txt (the number of usage pings since start),
//               /assets/nimbrixvs.txt ("Version#" and the published version), and "/", a
//               page about Nimbrix that links to every state's city pages (sample/maker_pages.h)
//   Image hosts every path of the image catalogue (pictures/image_host.h)
//   NWS         /iwin/<ST>/zone.html and the state's other bulletins (sample/nws_products.h; from
//   the
//               weather service's zone files in live mode: live/live_products.h)
//   Census      /statab/ranks/pg20.txt, /statab/ranks/pg18.txt (sample/census_pages.h)
//   CensusLookup  /cdrom/lookup/.../SEL=<state or zip>/... (sample/census_pages.h)
// Anything else is a 404 page.

// The version nimbrix-host publishes unless told otherwise (--published-version).
inline const QString default_published_version = QStringLiteral("1.30.7.2");

struct HostPlace;

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
