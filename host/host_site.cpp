#include "host_site.h"

#include "census_pages.h"
#include "conditions_page.h"
#include "host_places.h"
#include "host_text.h"
#include "image_host.h"
#include "maker_pages.h"
#include "nws_products.h"

#include <QUrl>

namespace {

const QString us_prefix = QStringLiteral("/US/");
const QString station_prefix = QStringLiteral("/global/stations/");
const QString zip_path = QStringLiteral("/cgi-bin/findweather/getForecast");
const QString count_path = QStringLiteral("/assets/NimbrixCount.txt");
const QString purdue_radar_path = QStringLiteral("/radar/rad_comp.gif");

QString decoded(const QString& text) {
    return QUrl::fromPercentEncoding(text.toUtf8());
}

// In a query "+" stands for a blank.
QString decoded_query(QString text) {
    text.replace(u'+', u' ');
    return decoded(text);
}

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

QString HostRequest::param(const QString& name) const {
    for (const auto& [key, value] : params)
        if (key == name)
            return value;
    return {};
}

HostRequest request_from_target(const QString& target) {
    HostRequest request;
    const qsizetype question = target.indexOf(u'?');
    request.path = decoded(question < 0 ? target : target.left(question));
    if (question >= 0) {
        for (const QString& pair : target.mid(question + 1).split(u'&', Qt::SkipEmptyParts)) {
            const qsizetype equals = pair.indexOf(u'=');
            if (equals < 0)
                request.params.append({decoded_query(pair), QStringLiteral("")});
            else
                request.params.append(
                    {decoded_query(pair.left(equals)), decoded_query(pair.mid(equals + 1))});
        }
    }
    return request;
}

HostReply not_found_reply(const QString& path) {
    const QString page = QStringLiteral("<html>\n<head><title>404 Not Found</title></head>\n"
                                        "<body>\n<h1>Not Found</h1>\n<p>The page ") +
                         html_escaped(path) +
                         QStringLiteral(" is not on this host.</p>\n</body>\n</html>\n");
    return {404, conditions_content_type, encode_windows_1252(page)};
}

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
