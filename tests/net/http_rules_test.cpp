// Pure rules of the HTTP client: URL split, request header, response head, header list.
#include "net/http_rules.h"

#include <gtest/gtest.h>

namespace {

struct SplitRow {
    const char* name;
    QString url;
    QString host_before;
    int port_before;
    QString error;
    QString url_after;
    QString host;
    int port;
    QString path;
};
void PrintTo(const SplitRow& row, std::ostream* out) {
    *out << row.name;
}

class UrlSplitTest : public ::testing::TestWithParam<SplitRow> {};

} // namespace

TEST_P(UrlSplitTest, Splits) {
    const SplitRow& row = GetParam();
    const UrlSplit split = split_url(row.url, row.host_before, row.port_before);
    EXPECT_EQ(split.error, row.error);
    if (!row.error.isEmpty())
        return;
    EXPECT_EQ(split.url, row.url_after);
    EXPECT_EQ(split.host, row.host);
    EXPECT_EQ(split.port, row.port);
    EXPECT_EQ(split.path, row.path);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, UrlSplitTest,
    ::testing::Values(
        SplitRow{"Full", "http://w.example/US/IL/Chicago.html", "", 0, "",
                 "http://w.example/US/IL/Chicago.html", "w.example", 80, "/US/IL/Chicago.html"},
        SplitRow{"NoPath", "http://w.example", "", 0, "", "http://w.example/", "w.example", 80,
                 "/"},
        SplitRow{"RootSlash", "http://w.example/", "", 0, "", "http://w.example/", "w.example", 80,
                 "/"},
        SplitRow{"PortInHost", "http://w.example:8080/x?q=1", "", 0, "",
                 "http://w.example:8080/x?q=1", "w.example", 8080, "/x?q=1"},
        SplitRow{"PortThenNextColon", "http://w.example:81:82/x", "", 0, "",
                 "http://w.example:81:82/x", "w.example", 81, "/x"},
        SplitRow{"SchemeResetsPort", "http://w.example/x", "old.example", 8080, "",
                 "http://w.example/x", "w.example", 80, "/x"},
        SplitRow{"PathOnlyKeepsHostAndPort", "/second", "prev.example", 8080, "", "/second",
                 "prev.example", 8080, "/second"},
        SplitRow{"PathOnlyPortZeroBecomes80", "/second", "prev.example", 0, "", "/second",
                 "prev.example", 80, "/second"},
        SplitRow{"Gopher", "gopher://g.example/1", "", 0, "", "gopher://g.example/1", "g.example",
                 70, "/1"},
        SplitRow{"FtpAnyCase", "FTP://f.example/pub", "", 0, "", "FTP://f.example/pub", "f.example",
                 21, "/pub"},
        SplitRow{"NoScheme", "w.example/page", "", 0, "", "w.example/page", "w.example", 80,
                 "/page"},
        SplitRow{"HostAndPortOnly", "localhost:8079", "", 0, "", "localhost:8079/", "localhost",
                 8079, "/"},
        SplitRow{"BareWordIsAHost", "page.html", "prev.example", 80, "", "page.html/", "page.html",
                 80, "/"},
        SplitRow{"LongestPath", "http://w.example/" + QString(2047, 'p'), "", 0, "",
                 "http://w.example/" + QString(2047, 'p'), "w.example", 80,
                 "/" + QString(2047, 'p')},
        SplitRow{"PathTooLong", "http://w.example/" + QString(2048, 'p'), "", 0, "URL too long", "",
                 "", 0, ""},
        SplitRow{"Empty", "", "", 0, "Empty URL", "", "", 0, ""},
        SplitRow{"PortNotANumber", "http://w.example:abc/", "", 0, "Invalid URL", "", "", 0, ""},
        SplitRow{"PortTooLarge", "http://w.example:70000/", "", 0, "Invalid URL", "", "", 0, ""},
        SplitRow{"PortEmpty", "http://w.example:/", "", 0, "Invalid URL", "", "", 0, ""},
        SplitRow{"LineBreak", "http://w.example/a\r\nX: 1", "", 0, "Invalid URL", "", "", 0, ""},
        SplitRow{"Nul", QStringLiteral("http://w.example/a") + QChar(0), "", 0, "Invalid URL", "",
                 "", 0, ""},
        SplitRow{"Tab", "http://w.example/\ta", "", 0, "Invalid URL", "", "", 0, ""},
        SplitRow{"Blank", "http://w.example/a b", "", 0, "Invalid URL", "", "", 0, ""},
        SplitRow{"Del", "http://w.example/a\x7f", "", 0, "Invalid URL", "", "", 0, ""},
        SplitRow{"PastAscii", QStringLiteral("http://w.example/caf\u00e9"), "", 0, "Invalid URL",
                 "", "", 0, ""}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(DottedAddress, OnlyFourDecimalParts) {
    EXPECT_EQ(parse_dotted_ipv4("127.0.0.1"), 0x7f000001u);
    EXPECT_EQ(parse_dotted_ipv4("255.255.255.255"), 0xffffffffu);
    EXPECT_EQ(parse_dotted_ipv4("0.0.0.0"), 0u);
    for (const char* text : {"127.1", "256.0.0.1", "1.2.3.4.5", "1..2.3", "a.b.c.d", "1.2.3.4 ", "",
                             "0x7f.0.0.1", "1234.1.1.1"})
        EXPECT_FALSE(parse_dotted_ipv4(QString::fromLatin1(text)).has_value()) << text;
}

// ---- request header ----

namespace {
RequestSpec spec_for(CmdType cmd) {
    RequestSpec spec;
    spec.cmd = cmd;
    spec.url = QStringLiteral("http://w.example/p");
    spec.path = QStringLiteral("/p");
    spec.host = QStringLiteral("w.example");
    spec.extra = QStringLiteral("/dest");
    spec.data_length = 5;
    return spec;
}
const QStringList accepts{
    "Accept: www/source, text/html, video/mpeg, image/jpeg, image/x-tiff",
    "Accept: image/x-rgb, image/x-xbm, image/gif, */*, application/postscript"};
const QString form = QStringLiteral("Content-type: application/x-www-form-urlencoded");
} // namespace

TEST(RequestHeader, LinesOfEachOperation) {
    const QStringList common = QStringList{"Host: w.example"} + accepts + QStringList{form};
    struct Row {
        CmdType cmd;
        QStringList expected;
    };
    const std::vector<Row> rows{
        {cmd_get, QStringList{"GET /p HTTP/1.0"} + common + QStringList{""}},
        {cmd_options, QStringList{"OPTIONS /p HTTP/1.0"} + common + QStringList{""}},
        {cmd_head, QStringList{"HEAD /p HTTP/1.0"} + common + QStringList{""}},
        {cmd_delete, QStringList{"DELETE /p HTTP/1.0"} + common + QStringList{""}},
        {cmd_post, QStringList{"POST /p HTTP/1.0"} + common + QStringList{"Content-Length: 5", ""}},
        {cmd_put, QStringList{"PUT /p HTTP/1.0"} + common + QStringList{"Content-Length: 5", ""}},
        {cmd_patch,
         QStringList{"PATCH /p HTTP/1.0"} + common + QStringList{"Content-Length: 5", ""}},
        {cmd_copy, QStringList{"COPY /p HTTP/1.0"} + common + QStringList{"URI-header: /dest", ""}},
        {cmd_move, QStringList{"MOVE /p HTTP/1.0"} + common + QStringList{"URI-header: /dest", ""}},
        {cmd_link, QStringList{"LINK /p HTTP/1.0"} + common +
                       QStringList{"Link: /dest", "Content-Length: 5", ""}},
        {cmd_unlink, QStringList{"UNLINK /p HTTP/1.0"} + common +
                         QStringList{"Link: /dest", "Content-Length: 5", ""}},
        {cmd_trace,
         QStringList{"TRACE /p HTTP/1.0"} + common + QStringList{"Content-Length: 5", ""}},
        {cmd_wrapped, common + QStringList{"Content-Length: 5", ""}},
    };
    for (const Row& row : rows)
        EXPECT_EQ(build_request_header(spec_for(row.cmd)).lines(), row.expected) << int(row.cmd);
}

TEST(RequestHeader, ProxyRewritesTheHostLineInPlace) {
    RequestSpec spec = spec_for(cmd_get);
    spec.proxy = true;
    const QStringList lines = build_request_header(spec).lines();
    EXPECT_EQ(lines.mid(0, 3), (QStringList{"GET http://w.example/p HTTP/1.0",
                                            "Proxy-Connection: Keep-Alive", "Host: w.example"}));
    EXPECT_EQ(lines.filter(QStringLiteral("Host:")).size(), 1);
}

TEST(RequestHeader, BytesEndEachLineWithCrLf) {
    TExStringList list;
    list.append(QStringLiteral("GET / HTTP/1.0"));
    list.append(QString());
    EXPECT_EQ(request_bytes(list), "GET / HTTP/1.0\r\n\r\n");
}

TEST(HeaderList, FindsNamesWithoutRegardToCase) {
    TExStringList list;
    list.append(QStringLiteral("GET / HTTP/1.0"));
    list.append(QStringLiteral("Host: a"));
    list.append(QStringLiteral("host2: b"));
    list.append(QStringLiteral("Referer: x: y"));
    EXPECT_EQ(list.index_of_name("HOST"), 1);
    EXPECT_EQ(list.index_of_name("referer"), 3);
    EXPECT_EQ(list.index_of_name("GET / HTTP/1.0"), -1); // a line without a colon never matches
    EXPECT_EQ(list.index_of_name("Cookie"), -1);
}

TEST(HeaderList, SetReplacesAppendsAndDeletes) {
    TExStringList list;
    list.set_header("Host", "a");
    list.set_header("Cookie", "c=1");
    list.set_header("HOST", "b");
    EXPECT_EQ(list.lines(), (QStringList{"HOST: b", "Cookie: c=1"}));
    list.set_header("cookie", "");
    list.set_header("Missing", "");
    EXPECT_EQ(list.lines(), QStringList{"HOST: b"});
}

// ---- response head ----

TEST(ReplyCode, SecondFieldOfTheStatusLine) {
    const std::vector<std::pair<QByteArray, int>> rows{
        {"HTTP/1.0 200 OK\r\n", 200},
        {"HTTP/1.0 404\r\n", 404},
        {"HTTP/1.1  302  Found\n", 302},
        {"HTTP/1.0 32767 Top\r\n", 32767},
        {"HTTP/1.0 32768 Over\r\n", 0},
        {"HTTP/1.0 abc\r\n", 0},
        {"HTTP/1.0 20x OK\r\n", 0},
        {"garbage\r\n", 0},
        {"", 0},
        {"HTTP/1.0 +200 OK\r\n", 0},
        {"HTTP/1.0 007 Bond\r\n", 7},
        {"HTTP/1.0 999 Odd\r\n", 999},
        {"Content-Length: 5\r\n", 0}, // a field line is no status line
        {"ICY 200 OK\r\n", 0},
        {"HTTP/123 200 OK\r\n", 0},
        {"HTTP/1. 200 OK\r\n", 0},
        {"http/1.0 200 OK\r\n", 0},
    };
    for (const auto& [line, code] : rows)
        EXPECT_EQ(parse_reply_code(line), code) << line.toStdString();
}

TEST(ResponseHead, FieldsItTakes) {
    ResponseHeadReader reader;
    EXPECT_EQ(reader.add_line("HTTP/1.0 302 Found\r\n"), ResponseHeadReader::Result::more);
    EXPECT_EQ(reader.reply_code(), 302);
    reader.add_line("set-cookie: id=7; path=/\r\n");
    reader.add_line("LOCATION: http://w.example/next\r\n");
    reader.add_line("Content-Length: 1234\r\n");
    reader.add_line("X-Other: Location: nowhere\r\n");
    EXPECT_EQ(reader.add_line("\r\n"), ResponseHeadReader::Result::complete);
    EXPECT_TRUE(reader.complete());
    EXPECT_EQ(reader.cookie(), "id=7; path=/");
    EXPECT_EQ(reader.location(), "http://w.example/next");
    EXPECT_EQ(reader.content_length(), 1234);
    EXPECT_EQ(reader.lines(), 5);
}

TEST(ResponseHead, ContentLengthDigits) {
    const std::vector<std::pair<QByteArray, qint32>> rows{
        {"Content-Length: 42\r\n", 42},
        {"content-length:  x42y7\r\n", 42},
        {"Content-Length: none\r\n", 0},
        {"Content-Length:42\r\n", 0}, // no blank: another field
        {"Content-Length: 99999999999\r\n", 2147483647},
    };
    for (const auto& [line, length] : rows) {
        ResponseHeadReader reader;
        reader.add_line("HTTP/1.0 200 OK\r\n");
        reader.add_line(line);
        EXPECT_EQ(reader.content_length(), length) << line.toStdString();
    }
}

TEST(ResponseHead, ValuesAreCutAndCleaned) {
    ResponseHeadReader reader;
    reader.add_line("HTTP/1.0 302 Found\n");
    reader.add_line("Set-Cookie: " + QByteArray(300, 'c') + "\r\n");
    EXPECT_EQ(reader.cookie(), QByteArray(256, 'c'));
    reader.add_line("Set-Cookie: a=1\x01X-Evil: 1\r\n");
    EXPECT_EQ(reader.cookie(), "a=1");
    reader.add_line("Location:\r\n");
    EXPECT_FALSE(reader.has_location()); // an empty location names nothing
    reader.add_line("Location: /" + QByteArray(3000, 'l') + "\n");
    EXPECT_EQ(reader.location(), "/" + QByteArray(3000, 'l')); // the split refuses it whole
    EXPECT_EQ(reader.add_line("\n"), ResponseHeadReader::Result::complete);
}

TEST(ResponseHead, LimitsBesideTheirViolations) {
    const auto with_line = [](qsizetype length) {
        ResponseHeadReader reader;
        reader.add_line("HTTP/1.0 200 OK\r\n");
        return reader.add_line("X: " + QByteArray(length - 3, 'v') + "\r\n");
    };
    EXPECT_EQ(with_line(16384), ResponseHeadReader::Result::more);
    EXPECT_EQ(with_line(16385), ResponseHeadReader::Result::too_large);

    const auto with_lines = [](int count) {
        ResponseHeadReader reader;
        ResponseHeadReader::Result result = reader.add_line("HTTP/1.0 200 OK\r\n");
        for (int i = 1; i < count && result == ResponseHeadReader::Result::more; ++i)
            result = reader.add_line("X: v\r\n");
        return result;
    };
    EXPECT_EQ(with_lines(200), ResponseHeadReader::Result::more);
    EXPECT_EQ(with_lines(201), ResponseHeadReader::Result::too_large);
}
