#include "net/http_rules.h"

#include "net/uu_processor.h"
#include <array>
#include <limits>

QString method_of(CmdType cmd) {
    static const std::array<const char*, 13> methods{
        "GET ",  "OPTIONS ", "HEAD ", "POST ",   "PUT ",   "PATCH ", "COPY ",
        "MOVE ", "DELETE ",  "LINK ", "UNLINK ", "TRACE ", ""};
    return cmd < methods.size() ? QString::fromLatin1(methods[cmd]) : QString();
}

std::optional<quint32> parse_dotted_ipv4(const QString& text) {
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() != 4)
        return std::nullopt;
    quint32 address = 0;
    for (const QString& part : parts) {
        if (part.isEmpty() || part.size() > 3)
            return std::nullopt;
        unsigned value = 0;
        for (QChar c : part) {
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return std::nullopt;
            value = value * 10 + (c.unicode() - '0');
        }
        if (value > 255)
            return std::nullopt;
        address = (address << 8) | value;
    }
    return address;
}

namespace {

// Position of the n-th "/" (n from 1), -1 when the URL has fewer.
qsizetype nth_slash(const QString& url, int n) {
    qsizetype pos = -1;
    for (int i = 0; i < n; ++i) {
        pos = url.indexOf(QLatin1Char('/'), pos + 1);
        if (pos < 0)
            return -1;
    }
    return pos;
}

std::optional<int> parse_port(const QString& text) {
    if (text.isEmpty() || text.size() > 5)
        return std::nullopt;
    int value = 0;
    for (QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
        value = value * 10 + (c.unicode() - '0');
    }
    if (value < 1 || value > 65535)
        return std::nullopt;
    return value;
}

UrlSplit split_error(const char* message) {
    UrlSplit result;
    result.error = QString::fromLatin1(message);
    return result;
}

} // namespace

UrlSplit split_url(const QString& url, const QString& host, int port) {
    if (url.isEmpty())
        return split_error("Empty URL");
    // Control characters would end the request line early and smuggle in header lines; a
    // blank would end the path; DEL and bytes past ASCII have no place in a request line.
    for (QChar c : url) {
        if (c.unicode() <= 32 || c.unicode() >= 127)
            return split_error("Invalid URL");
    }

    UrlSplit result;
    result.url = url;
    result.host = host;
    result.port = port == 0 ? 80 : port;

    const bool has_double_slash = url.contains(QStringLiteral("//"));
    bool append_slash = true;
    if (has_double_slash) {
        const qsizetype third = nth_slash(url, 3);
        if (third >= 0 && third == url.size() - 1) {
            // "http://host/" already names the root: no second "/" behind it.
            result.path = QStringLiteral("/");
            append_slash = false;
        } else if (third >= 0) {
            result.path = url.mid(third);
        }
    } else if (const qsizetype first = url.indexOf(QLatin1Char('/')); first >= 0) {
        result.path = url.mid(first);
    }
    // A path cut short asks for another page (a census table without its last tables): a
    // longer one is refused whole.
    if (result.path.size() > max_path_length)
        return split_error("URL too long");

    if (const qsizetype colon = url.indexOf(QLatin1Char(':')); colon >= 0) {
        const QString scheme = url.left(colon).toLower();
        if (scheme == QLatin1String("gopher"))
            result.port = 70;
        else if (scheme == QLatin1String("ftp"))
            result.port = 21;
        else
            result.port = 80;
    }

    QString host_part;
    if (has_double_slash) {
        const qsizetype second = nth_slash(url, 2);
        const qsizetype third = nth_slash(url, 3);
        host_part = third < 0 ? url.mid(second + 1) : url.mid(second + 1, third - second - 1);
    } else if (!url.startsWith(QLatin1Char('/'))) {
        const qsizetype first = url.indexOf(QLatin1Char('/'));
        host_part = first < 0 ? url : url.left(first);
    }
    if (const qsizetype colon = host_part.indexOf(QLatin1Char(':')); colon >= 0) {
        const qsizetype next = host_part.indexOf(QLatin1Char(':'), colon + 1);
        const QString port_text =
            next < 0 ? host_part.mid(colon + 1) : host_part.mid(colon + 1, next - colon - 1);
        const std::optional<int> parsed = parse_port(port_text);
        if (!parsed)
            return split_error("Invalid URL");
        result.port = *parsed;
        host_part.truncate(colon);
    }
    if (!host_part.isEmpty())
        result.host = host_part;

    if (result.path.isEmpty()) {
        result.path = QStringLiteral("/");
        if (append_slash)
            result.url += QLatin1Char('/');
    }
    return result;
}

bool sends_data(CmdType cmd) {
    return cmd == cmd_post || cmd == cmd_put || cmd == cmd_patch || cmd == cmd_trace ||
           cmd == cmd_wrapped;
}

TExStringList build_request_header(const RequestSpec& spec) {
    TExStringList list;
    if (spec.cmd != cmd_wrapped)
        list.append(method_of(spec.cmd) + (spec.proxy ? spec.url : spec.path) +
                    QStringLiteral(" HTTP/1.0"));
    if (spec.proxy) {
        list.append(QStringLiteral("Proxy-Connection: Keep-Alive"));
        list.append(QStringLiteral("Host: ") + spec.host);
    }
    list.set_header(QStringLiteral("Host"), spec.host);
    list.append(
        QStringLiteral("Accept: www/source, text/html, video/mpeg, image/jpeg, image/x-tiff"));
    list.append(
        QStringLiteral("Accept: image/x-rgb, image/x-xbm, image/gif, */*, application/postscript"));
    list.set_header(QStringLiteral("User-Agent"), spec.info.LocalProgram);
    list.set_header(QStringLiteral("From"), spec.info.LocalMailAddress);
    list.set_header(QStringLiteral("Cookie"), spec.info.Cookie);
    list.set_header(QStringLiteral("Referer"), spec.info.Referer);
    if (!spec.info.UserId.isEmpty() && !spec.info.Password.isEmpty()) {
        // With a proxy the credentials are the proxy's: a proxy passes "Authorization" on to
        // every host it reaches.
        const QByteArray credentials =
            (spec.info.UserId + QLatin1Char(':') + spec.info.Password).toLatin1();
        list.set_header(spec.proxy ? QStringLiteral("Proxy-Authorization")
                                   : QStringLiteral("Authorization"),
                        QStringLiteral("Basic ") +
                            QString::fromLatin1(TNMUUProcessor::mime_one_line(credentials)));
    }
    list.append(QStringLiteral("Content-type: application/x-www-form-urlencoded"));
    if (spec.cmd == cmd_copy || spec.cmd == cmd_move)
        list.append(QStringLiteral("URI-header: ") + spec.extra);
    else if (spec.cmd == cmd_link || spec.cmd == cmd_unlink)
        list.append(QStringLiteral("Link: ") + spec.extra);
    if (spec.cmd == cmd_post || spec.cmd == cmd_put || spec.cmd == cmd_patch ||
        spec.cmd >= cmd_link)
        list.append(QStringLiteral("Content-Length: ") + QString::number(spec.data_length));
    list.append(QString());
    return list;
}

QByteArray request_bytes(const TExStringList& header) {
    QByteArray bytes;
    for (const QString& line : header.lines()) {
        bytes += line.toLatin1();
        bytes += "\r\n";
    }
    return bytes;
}

namespace {

// "HTTP/", digits, ".", digits: the protocol field of a status line.
bool is_http_version(const QByteArray& field) {
    if (!field.startsWith("HTTP/"))
        return false;
    const QByteArray version = field.mid(5);
    const qsizetype dot = version.indexOf('.');
    if (dot <= 0 || dot == version.size() - 1)
        return false;
    for (qsizetype i = 0; i < version.size(); ++i) {
        if (i != dot && (version[i] < '0' || version[i] > '9'))
            return false;
    }
    return true;
}

} // namespace

qint16 parse_reply_code(const QByteArray& status_line) {
    const QByteArray line = without_terminator(status_line);
    // Only a line that starts with the protocol is a status line: a field line or a page sent
    // without a head carries no code.
    if (!is_http_version(line.left(line.indexOf(' '))))
        return 0;
    const QList<QByteArray> fields = line.split(' ');
    int index = 0;
    for (const QByteArray& field : fields) {
        if (field.isEmpty())
            continue;
        if (++index < 2)
            continue;
        if (field.size() > 5)
            return 0;
        int value = 0;
        for (char c : field) {
            if (c < '0' || c > '9')
                return 0;
            value = value * 10 + (c - '0');
        }
        return value <= std::numeric_limits<qint16>::max() ? static_cast<qint16>(value) : 0;
    }
    return 0;
}

QByteArray without_terminator(const QByteArray& line) {
    if (line.endsWith("\r\n"))
        return line.left(line.size() - 2);
    if (line.endsWith('\n'))
        return line.left(line.size() - 1);
    return line;
}

namespace {

QByteArray cut_at_control(const QByteArray& value) {
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (static_cast<unsigned char>(value[i]) < 32)
            return value.left(i);
    }
    return value;
}

qint32 content_length_of(const QByteArray& line) {
    // The digits begin after the field name, its colon and one more character.
    qsizetype i = 16;
    while (i < line.size() && (line[i] < '0' || line[i] > '9'))
        ++i;
    qint64 value = 0;
    for (; i < line.size() && line[i] >= '0' && line[i] <= '9'; ++i) {
        value = value * 10 + (line[i] - '0');
        if (value > std::numeric_limits<qint32>::max())
            value = std::numeric_limits<qint32>::max();
    }
    return static_cast<qint32>(value);
}

bool is_plain_number(const QByteArray& text) {
    if (text.isEmpty())
        return false;
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

} // namespace

ResponseHeadReader::Result ResponseHeadReader::add_line(const QByteArray& line) {
    if (complete_)
        return Result::complete;
    const QByteArray text = without_terminator(line);
    if (text.size() > max_line_length)
        return Result::too_large;
    if (lines_ == 0) {
        lines_ = 1;
        reply_code_ = parse_reply_code(line);
        return Result::more;
    }
    if (text.isEmpty()) {
        complete_ = true;
        return Result::complete;
    }
    if (++lines_ > max_lines)
        return Result::too_large;
    const qsizetype blank = text.indexOf(' ');
    const QByteArray field = (blank < 0 ? text : text.left(blank)).toUpper();
    if (field == "SET-COOKIE:") {
        // A cookie goes back to the hosts in a header line of its own: nothing may break it.
        cookie_ = cut_at_control(text.mid(12, max_value_length));
        has_cookie_ = true;
    } else if (field == "LOCATION:") {
        // Taken whole: the URL split refuses one that is too long rather than follow it cut.
        const QByteArray location = text.mid(10);
        if (!location.isEmpty()) {
            location_ = location;
            has_location_ = true;
        }
    } else if (field == "CONTENT-LENGTH:") {
        content_length_ = content_length_of(text);
        has_content_length_ = is_plain_number(text.mid(15).trimmed());
    }
    return Result::more;
}
