#include "site/host_site.h"

#include "pictures/image_host.h"
#include "sample/census_pages.h"
#include "sample/conditions_page.h"
#include "sample/host_places.h"
#include "sample/host_text.h"
#include "sample/maker_pages.h"
#include "sample/nws_products.h"

namespace {

const QString us_prefix = QStringLiteral("/US/");
const QString station_prefix = QStringLiteral("/global/stations/");
const QString zip_path = QStringLiteral("/cgi-bin/findweather/getForecast");
const QString count_path = QStringLiteral("/assets/NimbrixCount.txt");
const QString purdue_radar_path = QStringLiteral("/radar/rad_comp.gif");

HostReply page_reply(const TimedPage& page) {
    HostReply reply{200, conditions_content_type, encode_windows_1252(page.page)};
    reply.made_ms = page.made_ms;
    reply.until_ms = page.until_ms;
    return reply;
}

// A sample page or picture is made for the hour of now_utc and stays so for the hour.
HostReply for_the_hour(HostReply reply, const QDateTime& now_utc) {
    reply.made_ms = page_hour(now_utc).toMSecsSinceEpoch();
    reply.until_ms = reply.made_ms + 3600LL * 1000;
    return reply;
}

} // namespace

HostReply HostSite::answer(const HostRequest& request, const QDateTime& now_utc) {
    HostReply reply = routed(request, now_utc);
    // The maker's files, census tables and the 404 page stay as they are while the host runs.
    if (reply.until_ms == 0) {
        reply.made_ms = started_ms_;
        reply.until_ms = now_utc.toMSecsSinceEpoch() + static_reply_lifetime_ms;
    }
    return reply;
}

HostReply HostSite::routed(const HostRequest& request, const QDateTime& now_utc) {
    const QString& path = request.path;
    if (std::optional<HostReply> reply = maker_answer(request, published_version_))
        return *reply;
    if (path == count_path) {
        const unsigned long long count = ++usage_count_;
        HostReply reply{200, maker_content_type, QByteArray::number(count) + '\n'};
        // Each request counts: no cache may answer it.
        reply.made_ms = now_utc.toMSecsSinceEpoch();
        reply.until_ms = -1;
        return reply;
    }
    if (small_radar_ && path == purdue_radar_path)
        return for_the_hour(*image_reply(request, now_utc, true), now_utc);
    if (image_source_)
        if (std::optional<HostReply> image = image_source_(request, now_utc))
            return *image;
    if (std::optional<HostReply> image = image_reply(request, now_utc))
        return for_the_hour(*image, now_utc);
    if (std::optional<HostReply> reply = answer_nws(request, now_utc, text_source_))
        return *reply;
    if (std::optional<HostReply> reply = answer_census(request))
        return *reply;

    std::optional<HostPlace> place;
    if (path == zip_path)
        place = place_for_zip(request.param(QStringLiteral("query")));
    else if (path.startsWith(us_prefix) || path.startsWith(station_prefix))
        place = place_for_city_path(path.mid(1));
    if (!place)
        return not_found_reply(path);
    if (conditions_source_)
        return page_reply(conditions_source_(*place, now_utc));
    return for_the_hour(page_reply({conditions_page(*place, now_utc)}), now_utc);
}
