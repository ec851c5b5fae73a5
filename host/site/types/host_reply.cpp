#include "site/types/host_reply.h"

#include "shared/page_text.h"

#include <QUrl>

namespace {

QString decoded(const QString& text) {
    return QUrl::fromPercentEncoding(text.toUtf8());
}

// In a query "+" stands for a blank.
QString decoded_query(QString text) {
    text.replace(u'+', u' ');
    return decoded(text);
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
                         path.toHtmlEscaped() +
                         QStringLiteral(" is not on this host.</p>\n</body>\n</html>\n");
    return {404, conditions_content_type, encode_windows_1252(page)};
}
