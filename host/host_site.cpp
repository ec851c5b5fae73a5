#include "host_site.h"

#include "conditions_page.h"
#include "host_places.h"
#include "host_text.h"
#include "image_host.h"

#include <QUrl>

namespace {

const QString us_prefix = QStringLiteral("/US/");
const QString station_prefix = QStringLiteral("/global/stations/");
const QString zip_path = QStringLiteral("/cgi-bin/findweather/getForecast");
const QString count_path = QStringLiteral("/assets/NimbrixCount.txt");
const QString version_path = QStringLiteral("/assets/nimbrixvs.txt");

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

HostReply index_reply() {
    const QString page = QStringLiteral(
        "<html>\n<head><title>nimbrix-host</title></head>\n<body>\n"
        "<h1>nimbrix-host</h1>\n"
        "<p>Plays the outside hosts of Nimbrix on this machine, with made-up sample data.</p>\n"
        "<h2>Conditions</h2>\n<ul>\n"
        "<li><a href=\"/US/IL/Chicago.html\">/US/IL/Chicago.html</a></li>\n"
        "<li><a href=\"/global/stations/07150.html\">/global/stations/07150.html</a></li>\n"
        "<li><a href=\"/cgi-bin/findweather/getForecast?query=60601\">"
        "/cgi-bin/findweather/getForecast?query=60601</a></li>\n"
        "</ul>\n<h2>Maker</h2>\n<ul>\n"
        "<li><a href=\"/assets/NimbrixCount.txt\">/assets/NimbrixCount.txt</a></li>\n"
        "<li><a href=\"/assets/nimbrixvs.txt\">/assets/nimbrixvs.txt</a></li>\n"
        "</ul>\n");
    QString images = QStringLiteral("<h2>Images</h2>\n<ul>\n");
    for (const QString& path : image_paths())
        images += QStringLiteral("<li><a href=\"%1\">%1</a></li>\n").arg(html_escaped(path));
    return page_reply(page + images + QStringLiteral("</ul>\n</body>\n</html>\n"));
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

QByteArray version_file_text() {
    return QByteArrayLiteral("Version#") + QByteArray(NIMBRIX_VERSION);
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
    if (path == u"/")
        return index_reply();
    if (path == count_path) {
        const unsigned long long count = ++usage_count_;
        return {200, maker_content_type, QByteArray::number(count) + '\n'};
    }
    if (path == version_path)
        return {200, maker_content_type, version_file_text()};
    if (std::optional<HostReply> image = image_reply(request, now_utc))
        return *image;

    std::optional<HostPlace> place;
    if (path == zip_path)
        place = place_for_zip(request.param(QStringLiteral("query")));
    else if (path.startsWith(us_prefix) || path.startsWith(station_prefix))
        place = place_for_city_path(path.mid(1));
    if (!place)
        return not_found_reply(path);
    return page_reply(conditions_page(*place, now_utc));
}
