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

HostReply page_reply(const QString& page) {
    return {200, conditions_content_type, encode_windows_1252(page)};
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
    const QString& path = request.path;
    if (std::optional<HostReply> reply = maker_answer(request, published_version_))
        return *reply;
    if (path == count_path) {
        const unsigned long long count = ++usage_count_;
        return {200, maker_content_type, QByteArray::number(count) + '\n'};
    }
    if (small_radar_ && path == purdue_radar_path)
        return *image_reply(request, now_utc, true);
    if (image_source_)
        if (std::optional<HostReply> image = image_source_(request, now_utc))
            return *image;
    if (std::optional<HostReply> image = image_reply(request, now_utc))
        return *image;
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
    return page_reply(conditions_source_ ? conditions_source_(*place, now_utc)
                                         : conditions_page(*place, now_utc));
}
