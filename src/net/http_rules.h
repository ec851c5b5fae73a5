#pragma once

#include "net/ex_string_list.h"
#include <QByteArray>
#include <QString>
#include <optional>

// The code of a request operation of the HTTP client.
using CmdType = quint8;
enum CmdCode : CmdType {
    cmd_get = 0,
    cmd_options = 1,
    cmd_head = 2,
    cmd_post = 3,
    cmd_put = 4,
    cmd_patch = 5,
    cmd_copy = 6,
    cmd_move = 7,
    cmd_delete = 8,
    cmd_link = 9,
    cmd_unlink = 10,
    cmd_trace = 11,
    cmd_wrapped = 12,
};

// The method text of a request line ("GET " ...), empty for a wrapped request.
QString method_of(CmdType cmd);

// Values for the optional request header lines; an empty value sends no line.
struct THeaderInfo {
    QString LocalMailAddress;
    QString LocalProgram;
    QString Cookie;
    QString Referer;
    QString UserId;
    QString Password;
};

// A dotted IPv4 address ("127.0.0.1") in host byte order; nothing for any other text.
std::optional<quint32> parse_dotted_ipv4(const QString& text);

// The URL split of one request: the URL as it is used from now on, the host and port to
// connect to and the path of the request line.
struct UrlSplit {
    QString error; // "Empty URL" or "Invalid URL"; the other fields are then unset
    QString url;
    QString host;
    int port = 0;
    QString path;
};

// The longest path a request carries; a URL with a longer one is refused ("URL too long"),
// never cut.
inline constexpr qsizetype max_path_length = 2048;

// Splits url; host and port are the client's values before the call (a URL without a host
// part keeps the host, a URL without ":" keeps the port unless it is 0).
UrlSplit split_url(const QString& url, const QString& host, int port);

// What the request header of one request is built from.
struct RequestSpec {
    CmdType cmd = cmd_get;
    QString url;
    QString path;
    QString host;
    bool proxy = false;
    THeaderInfo info;
    QString extra;          // the destination of Copy/Move, the link of Link/Unlink
    qint64 data_length = 0; // length of the request data of data-carrying operations
};

// The header lines of a request, in order, ending with the empty line.
TExStringList build_request_header(const RequestSpec& spec);

// The header lines joined, each followed by CR LF, one byte per character.
QByteArray request_bytes(const TExStringList& header);

// True for the operations whose request carries data after the head.
bool sends_data(CmdType cmd);

// The reply code of a status line: its second blank-separated field as a decimal number
// (at most 32767); 0 when that field is not a number or the line does not begin with the
// protocol ("HTTP/1.0").
qint16 parse_reply_code(const QByteArray& status_line);

// The line without its CR LF or LF terminator.
QByteArray without_terminator(const QByteArray& line);

// Reads the response head line by line: the status line first, then the field lines up to
// the empty line. Keeps what the client takes from it.
class ResponseHeadReader {
public:
    static constexpr int max_lines = 200;               // status line and field lines
    static constexpr qsizetype max_line_length = 16384; // bytes before the terminator
    static constexpr qsizetype max_value_length = 256;  // of a cookie

    enum class Result { more, complete, too_large };

    Result add_line(const QByteArray& line);

    qint16 reply_code() const { return reply_code_; }
    // The text of the last Set-Cookie line, cut at its first control character.
    const QByteArray& cookie() const { return cookie_; }
    bool has_cookie() const { return has_cookie_; }
    // The URL of the last non-empty location line, whole.
    const QByteArray& location() const { return location_; }
    bool has_location() const { return has_location_; }
    // The first run of digits of the last Content-Length line (TotalBytes), 0 without one.
    qint32 content_length() const { return content_length_; }
    // True when the last Content-Length line holds digits alone (blanks around them aside):
    // only such a value frames the body. Any other ("abc", "0x10", "-5", "5, 5") leaves the
    // body to end at the close, as a reply without a length does.
    bool has_content_length() const { return has_content_length_; }
    int lines() const { return lines_; }
    bool complete() const { return complete_; }

private:
    qint16 reply_code_ = 0;
    QByteArray cookie_;
    bool has_cookie_ = false;
    QByteArray location_;
    bool has_location_ = false;
    qint32 content_length_ = 0;
    bool has_content_length_ = false;
    int lines_ = 0;
    bool complete_ = false;
};
