// The HTTP client against scripted loopback servers.
#include "net/nmhttp.h"

#include "net/sock_errors.h"
#include "net_test_support.h"
#include "support/scripted_server.h"
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using S = ScriptedServer;

namespace {

const QByteArray ok_page =
    http_reply("HTTP/1.0 200 OK", {"Content-Type: text/html", "Content-Length: 11"}, "<p>fine</p>");

// The kind and message of the error that body throws.
struct Raised {
    QString kind;
    QString message;
};
Raised raised(const std::function<void()>& body) {
    try {
        body();
    } catch (const EAbortError& error) {
        return {QStringLiteral("EAbortError"), error.message()};
    } catch (const ESockError& error) {
        return {QStringLiteral("ESockError"), error.message()};
    } catch (const AppError& error) {
        return {QStringLiteral("AppError"), error.message()};
    }
    return {};
}

S::Script redirect_to(const QByteArray& location) {
    return S::reply(http_reply("HTTP/1.0 302 Found", {"Location: " + location}));
}

QByteArray file_bytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

QByteArray binary_body(qsizetype size) {
    QByteArray body(size, '\0');
    for (qsizetype i = 0; i < size; ++i)
        body[i] = static_cast<char>((i * 7 + i / 251) & 0xff);
    body.replace(100, 4, "\r\n\r\n");
    return body;
}

class NMHTTPTest : public ::testing::Test {
protected:
    void SetUp() override {
        http->TimeOut = 5000;
        http->set_host_lookup(&lookup);
        log.attach(*http);
    }
    void TearDown() override { http->set_host_lookup(nullptr); }

    int count(const QString& line) const { return static_cast<int>(log.lines.count(line)); }

    QObject owner;
    TNMHTTP* http = new TNMHTTP(&owner);
    ScriptedLookup lookup;
    EventLog log;
    QTemporaryDir dir;
};

} // namespace

// ---- the request on the wire ----

struct RequestRow {
    const char* name;
    bool proxy;
    THeaderInfo info;
    QByteArray expected; // %URL% stands for the full URL
};
void PrintTo(const RequestRow& row, std::ostream* out) {
    *out << row.name;
}

class RequestBytes : public NMHTTPTest, public ::testing::WithParamInterface<RequestRow> {};

TEST_P(RequestBytes, GetSendsExactlyTheseBytes) {
    const RequestRow& row = GetParam();
    S server({S::reply(ok_page)});
    QString url = server.url("/US/IL/Chicago.html");
    if (row.proxy) {
        url = QStringLiteral("http://weather.example/US/IL/Chicago.html");
        http->Proxy = QStringLiteral("127.0.0.1");
        http->ProxyPort = server.port();
    }
    http->HeaderInfo = row.info;
    http->Get(url);
    ASSERT_EQ(server.requests().size(), 1u);
    QByteArray expected = row.expected;
    expected.replace("%URL%", url.toLatin1());
    expected.replace("%HOST%", row.proxy ? "weather.example" : "127.0.0.1");
    EXPECT_EQ(server.requests()[0].toStdString(), expected.toStdString());
    EXPECT_TRUE(lookup.names.isEmpty()); // the proxy is numeric; the host is never looked up
}

namespace {
THeaderInfo info_with(QString referer, QString user = {}, QString password = {},
                      QString cookie = {}, QString program = {}, QString mail = {}) {
    THeaderInfo info;
    info.Referer = std::move(referer);
    info.UserId = std::move(user);
    info.Password = std::move(password);
    info.Cookie = std::move(cookie);
    info.LocalProgram = std::move(program);
    info.LocalMailAddress = std::move(mail);
    return info;
}
const QByteArray accept_lines =
    "Accept: www/source, text/html, video/mpeg, image/jpeg, image/x-tiff\r\n"
    "Accept: image/x-rgb, image/x-xbm, image/gif, */*, application/postscript\r\n";
} // namespace

INSTANTIATE_TEST_SUITE_P(
    Rows, RequestBytes,
    ::testing::Values(
        RequestRow{"Plain", false, info_with("Nimbrix by Corvalen"),
                   "GET /US/IL/Chicago.html HTTP/1.0\r\nHost: %HOST%\r\n" + accept_lines +
                       "Referer: Nimbrix by Corvalen\r\n"
                       "Content-type: application/x-www-form-urlencoded\r\n\r\n"},
        RequestRow{"Credentials", false, info_with("Nimbrix by Corvalen", "user", "pass"),
                   "GET /US/IL/Chicago.html HTTP/1.0\r\nHost: %HOST%\r\n" + accept_lines +
                       "Referer: Nimbrix by Corvalen\r\nAuthorization: Basic dXNlcjpwYXNz\r\n"
                       "Content-type: application/x-www-form-urlencoded\r\n\r\n"},
        RequestRow{"CredentialsWithColonAtAndLineFeed", false, info_with("", "us@r", "p:a\nss"),
                   "GET /US/IL/Chicago.html HTTP/1.0\r\nHost: %HOST%\r\n" + accept_lines +
                       "Authorization: Basic dXNAcjpwOmEKc3M=\r\n"
                       "Content-type: application/x-www-form-urlencoded\r\n\r\n"},
        RequestRow{"UserWithoutPassword", false, info_with("", "user", ""),
                   "GET /US/IL/Chicago.html HTTP/1.0\r\nHost: %HOST%\r\n" + accept_lines +
                       "Content-type: application/x-www-form-urlencoded\r\n\r\n"},
        RequestRow{
            "AllOptionalLines", false,
            info_with("Nimbrix by Corvalen", "", "", "id=5", "Nimbrix 1.0", "me@example.com"),
            "GET /US/IL/Chicago.html HTTP/1.0\r\nHost: %HOST%\r\n" + accept_lines +
                "User-Agent: Nimbrix 1.0\r\nFrom: me@example.com\r\nCookie: id=5\r\n"
                "Referer: Nimbrix by Corvalen\r\n"
                "Content-type: application/x-www-form-urlencoded\r\n\r\n"},
        RequestRow{"Proxy", true, info_with("Nimbrix by Corvalen"),
                   "GET %URL% HTTP/1.0\r\nProxy-Connection: Keep-Alive\r\nHost: %HOST%\r\n" +
                       accept_lines +
                       "Referer: Nimbrix by Corvalen\r\n"
                       "Content-type: application/x-www-form-urlencoded\r\n\r\n"},
        RequestRow{"ProxyCredentialsGoToTheProxyOnly", true,
                   info_with("Nimbrix by Corvalen", "user", "pass", "id=5"),
                   "GET %URL% HTTP/1.0\r\nProxy-Connection: Keep-Alive\r\nHost: %HOST%\r\n" +
                       accept_lines +
                       "Cookie: id=5\r\nReferer: Nimbrix by Corvalen\r\n"
                       "Proxy-Authorization: Basic dXNlcjpwYXNz\r\n"
                       "Content-type: application/x-www-form-urlencoded\r\n\r\n"}),
    [](const auto& row) { return std::string(row.param.name); });

TEST_F(NMHTTPTest, ProxyIsLookedUpInsteadOfTheHost) {
    S server({S::reply(ok_page)});
    http->Proxy = QStringLiteral("proxy.example");
    http->ProxyPort = server.port();
    http->Get(QStringLiteral("http://weather.example/"));
    EXPECT_EQ(lookup.names, QStringList{"proxy.example"});
    EXPECT_EQ(http->Port, 80);
    EXPECT_EQ(http->ReplyCode, 200);
}

TEST_F(NMHTTPTest, PostSendsDecodedFormDataWithItsLength) {
    S server({S::reply(ok_page)});
    http->Post(server.url("/form"), "city=New+York%2C+NY");
    const QByteArray request = server.requests().at(0);
    EXPECT_TRUE(request.startsWith("POST /form HTTP/1.0\r\n"));
    EXPECT_TRUE(request.endsWith("Content-Length: 17\r\n\r\ncity=New York, NY"))
        << request.toStdString();
    EXPECT_TRUE(log.lines.contains("Success 3"));
}

// ---- events and status ----

TEST_F(NMHTTPTest, SuccessfulGetRaisesEventsAndStatusInOrder) {
    const QByteArray body = "first part|second part";
    const QStringList start{"AboutToSend", "HostResolved", "Connect", "Status: Sending Buffer",
                            "PacketRecvd", "PacketRecvd"};
    const QStringList peer_close{"Status: Request Close Socket", "Disconnect"};
    const QStringList end{"Success 0", "Status: Transaction Completed",
                          "Status: Request Close Socket", "Disconnect"};
    struct Row {
        QList<QByteArray> lines;
        S::Step after_body;
        QStringList expected;
    };
    // Without a length the body ends when the server closes; with one, after its last byte,
    // while the server still holds the connection.
    const Row rows[] = {{{}, S::close(), start + peer_close + end},
                        {{"Content-Length: 22"}, S::hold(), start + end}};
    for (const Row& row : rows) {
        S server(
            {{S::read_request(), S::send(http_reply("HTTP/1.0 200 OK", row.lines)), S::delay(150),
              S::send(body.left(11)), S::delay(150), S::send(body.mid(11)), row.after_body}});
        log.lines.clear();
        lookup.addresses = {QStringLiteral("127.0.0.1")};
        http->ReportLevel = 4;
        http->Get(QStringLiteral("http://localhost:") + QString::number(server.port()) + "/page");
        EXPECT_EQ(log.lines, row.expected);
        EXPECT_EQ(http->Body, body);
        EXPECT_EQ(http->TotalBytes, row.lines.isEmpty() ? 0 : 22);
        EXPECT_EQ(http->ReceivedBytes, 22);
        EXPECT_EQ(http->Status, QStringLiteral("Request Close Socket"));
    }
}

TEST_F(NMHTTPTest, ReportLevelZeroReportsNothing) {
    S server({S::reply(ok_page)});
    http->ReportLevel = 0;
    http->Get(server.url("/"));
    for (const QString& line : log.lines)
        EXPECT_FALSE(line.startsWith("Status")) << line.toStdString();
    EXPECT_TRUE(http->Status.isEmpty());
    EXPECT_TRUE(log.lines.contains("Success 0"));
}

TEST_F(NMHTTPTest, NumericHostSkipsLookupAndHostResolved) {
    S server({S::reply(ok_page)});
    http->Get(server.url("/"));
    EXPECT_TRUE(lookup.names.isEmpty());
    EXPECT_FALSE(log.lines.contains("HostResolved"));
    EXPECT_EQ(log.lines.first(), "AboutToSend");
    EXPECT_EQ(log.lines.at(1), "Connect");
}

TEST_F(NMHTTPTest, ErrorReplyIsFailureWithItsPageInBody) {
    const QByteArray page = "<h1>Not Found</h1>";
    S server({S::reply(http_reply("HTTP/1.0 404 Not Found", {}, page))});
    http->ReportLevel = 4;
    http->Get(server.url("/missing.html"));
    EXPECT_EQ(http->ReplyCode, 404);
    EXPECT_EQ(http->Body, page);
    EXPECT_EQ(count("Failure 0"), 1);
    EXPECT_FALSE(log.lines.contains("Success 0"));
    EXPECT_FALSE(log.lines.contains("Status: Transaction Completed"));
}

TEST_F(NMHTTPTest, AuthenticationNeededFollowsFailureAndDisconnect) {
    S server({S::reply(http_reply("HTTP/1.0 401 Unauthorized", {"WWW-Authenticate: Basic"}))});
    http->Get(server.url("/private"));
    const qsizetype failure = log.lines.indexOf("Failure 0");
    ASSERT_GE(failure, 0);
    EXPECT_EQ(log.lines.mid(failure),
              (QStringList{"Failure 0", "Disconnect", "AuthenticationNeeded"}));
}

TEST_F(NMHTTPTest, ReplyWithoutContentLengthIsReadToTheClose) {
    const QByteArray body = binary_body(50000);
    S server({{S::read_request(), S::send(http_reply("HTTP/1.0 200 OK", {})),
               S::send_chunked(body, 7000, 5)}});
    http->Get(server.url("/"));
    EXPECT_EQ(http->TotalBytes, 0);
    EXPECT_EQ(http->Body, body);
}

TEST_F(NMHTTPTest, OnlyALengthOfDigitsAloneEndsTheBody) {
    const QByteArray body = "0123456789ABCDEFGHIJ";
    const struct {
        QByteArray value;
        QByteArray body;
        qint64 total_bytes; // the first run of digits
    } rows[] = {
        {"5", "01234", 5}, {" 5 ", "01234", 5}, {"abc", body, 0},
        {"", body, 0},     {"0x10", body, 0},   {"-5", body, 5},
        {"+5", body, 5},   {"5, 5", body, 5},   {"5 5", body, 5},
    };
    for (const auto& row : rows) {
        S server({S::reply("HTTP/1.0 200 OK\r\nContent-Length: " + row.value + "\r\n\r\n" + body)});
        log.lines.clear();
        EXPECT_EQ(error_of([&] { http->Get(server.url("/")); }), "") << row.value.data();
        EXPECT_EQ(http->Body, row.body) << row.value.data();
        EXPECT_EQ(http->TotalBytes, row.total_bytes) << row.value.data();
        EXPECT_EQ(count("Success 0"), 1) << row.value.data();
    }
}

TEST_F(NMHTTPTest, LargeBurstsArriveWhole) {
    const QByteArray body = binary_body(300000);
    // Without a length the body is read in chunks of 16383 bytes; with one, in passes of what
    // the socket holds, straight into a buffer of that length.
    for (const QList<QByteArray>& lines : {QList<QByteArray>{}, {"Content-Length: 300000"}}) {
        S server({S::reply(http_reply("HTTP/1.0 200 OK", lines, body))});
        log.lines.clear();
        http->Get(server.url("/"));
        EXPECT_EQ(http->Body.size(), body.size());
        EXPECT_TRUE(http->Body == body);
        if (lines.isEmpty()) {
            EXPECT_GE(count("PacketRecvd"), 300000 / TPowersock::chunk_size);
        } else {
            EXPECT_EQ(http->Body.capacity(), body.size());
        }
    }
}

TEST_F(NMHTTPTest, HeaderHoldsTheHeadExactlyAsReceived) {
    const QByteArray head = "HTTP/1.0 200 OK\r\nServer: scripted\r\nX-Empty:\r\n\r\n";
    S server({S::reply(head + "body")});
    http->Get(server.url("/"));
    EXPECT_EQ(http->Header, head);
    EXPECT_EQ(http->Body, "body");
}

TEST_F(NMHTTPTest, LfOnlyLineEndsWork) {
    const QByteArray head = "HTTP/1.0 200 OK\nContent-Length: 4\nSet-Cookie: a=1\n\n";
    S server({S::reply(head + "body")});
    http->Get(server.url("/"));
    EXPECT_EQ(http->Header, head);
    EXPECT_EQ(http->Body, "body");
    EXPECT_EQ(http->TotalBytes, 4);
    EXPECT_EQ(http->cookie_text(), "a=1");
    EXPECT_EQ(count("Success 0"), 1);
}

TEST_F(NMHTTPTest, CrOnlyLineEndsEndWithClosedConnection) {
    S server({S::reply("HTTP/1.0 200 OK\rContent-Length: 4\r\rbody")});
    const Raised error = raised([&] { http->Get(server.url("/")); });
    EXPECT_EQ(error.kind, "ESockError");
    EXPECT_EQ(error.message, "Connection closed by host");
    EXPECT_FALSE(log.lines.contains("Success 0"));
    EXPECT_EQ(log.lines.last(), "Disconnect");
}

TEST_F(NMHTTPTest, PeerClosingBeforeTheHeadEndsTheCall) {
    // Half a head, then nothing at all.
    S server(
        {{S::read_request(), S::send("HTTP/1.0 200 OK\r\nServer: half")}, {S::read_request()}});
    for (int round = 0; round < 2; ++round) {
        const Raised error = raised([&] { http->Get(server.url("/")); });
        EXPECT_EQ(error.message, "Connection closed by host") << round;
    }
    EXPECT_EQ(count("Success 0") + count("Failure 0"), 0);
}

struct BrokenStatusRow {
    const char* name;
    QByteArray reply;
};
void PrintTo(const BrokenStatusRow& row, std::ostream* out) {
    *out << row.name;
}

class BrokenStatus : public NMHTTPTest, public ::testing::WithParamInterface<BrokenStatusRow> {};

TEST_P(BrokenStatus, IsAFailureWithCodeZero) {
    S server({S::reply(GetParam().reply)});
    http->ReportLevel = 4;
    http->Get(server.url("/"));
    EXPECT_EQ(http->ReplyCode, 0);
    EXPECT_EQ(count("Failure 0"), 1);
    EXPECT_FALSE(log.lines.contains("Success 0"));
    EXPECT_FALSE(log.lines.contains("Status: Transaction Completed"));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, BrokenStatus,
    ::testing::Values(BrokenStatusRow{"Garbage", "garbage line\r\n\r\nbody"},
                      BrokenStatusRow{"WordForCode", "HTTP/1.0 OK fine\r\n\r\nbody"},
                      BrokenStatusRow{"CodeTooLarge", "HTTP/1.0 99999 Big\r\n\r\nbody"},
                      BrokenStatusRow{"NegativeCode", "HTTP/1.0 -200 Odd\r\n\r\nbody"},
                      BrokenStatusRow{"BodyWithoutHead", "<html><body>old style</body></html>\n\n"},
                      BrokenStatusRow{"FieldLineFirst", "Content-Length: 5\r\n\r\nhello"},
                      BrokenStatusRow{"OtherProtocol", "ICY 200 OK\r\n\r\nbody"},
                      BrokenStatusRow{"VersionWithoutDot", "HTTP/123 200 OK\r\n\r\nbody"}),
    [](const auto& row) { return std::string(row.param.name); });

// ---- URLs ----

TEST_F(NMHTTPTest, UrlWithoutPathRequestsTheRoot) {
    S server({S::reply(ok_page)});
    const QString url = server.url("");
    http->Get(url);
    EXPECT_TRUE(server.requests().at(0).startsWith("GET / HTTP/1.0\r\n"));
    EXPECT_EQ(http->current_url(), url + "/");
}

TEST_F(NMHTTPTest, PortInUrlThenBackToEighty) {
    S server({S::reply(ok_page)});
    http->Get(server.url("/a"));
    EXPECT_EQ(http->Port, server.port());
    EXPECT_TRUE(server.requests().at(0).startsWith("GET /a HTTP/1.0\r\n"));
    // Port 80 has no server here: only the port the client chose matters.
    http->TimeOut = 500;
    raised([&] { http->Get(QStringLiteral("http://127.0.0.1/b")); });
    EXPECT_EQ(http->Port, 80);
    EXPECT_EQ(http->request_path(), "/b");
}

TEST_F(NMHTTPTest, PathOnlyUrlGoesToThePreviousHost) {
    S server({S::reply(ok_page)});
    http->Get(server.url("/first"));
    http->Get(QStringLiteral("/second"));
    ASSERT_EQ(server.requests().size(), 2u);
    EXPECT_TRUE(server.requests().at(1).startsWith("GET /second HTTP/1.0\r\nHost: 127.0.0.1\r\n"));
    EXPECT_EQ(http->Host, "127.0.0.1");
}

TEST_F(NMHTTPTest, EmptyUrlIsRefused) {
    EXPECT_EQ(error_of([&] { http->Get(QString()); }), "Empty URL");
    EXPECT_TRUE(log.lines.isEmpty());
}

class UnsafeCharacter : public NMHTTPTest, public ::testing::WithParamInterface<QByteArray> {};

TEST_P(UnsafeCharacter, InUrlIsRefusedBeforeAnythingIsSent) {
    S server({S::reply(ok_page)});
    QString url = server.url("/a");
    url.insert(url.size() - 1, QString::fromLatin1(GetParam()));
    const Raised error = raised([&] { http->Get(url); });
    EXPECT_EQ(error.message, "Invalid URL");
    EXPECT_TRUE(log.lines.isEmpty());
    EXPECT_EQ(server.connections(), 0);
}

INSTANTIATE_TEST_SUITE_P(Rows, UnsafeCharacter,
                         ::testing::Values(QByteArray("\r\nX-Injected: 1\r\n"), QByteArray("\n"),
                                           QByteArray("\r"), QByteArray(1, '\0'), QByteArray("\t"),
                                           QByteArray("\x1f"), QByteArray("\x7f"),
                                           QByteArray("\x80"), QByteArray("\xe9"),
                                           QByteArray(" ")));

TEST_F(NMHTTPTest, LongPathsGoWholeOrNotAtAll) {
    const struct {
        bool redirected;
        qsizetype path_length;
        const char* error;
    } rows[] = {{false, 2048, ""},
                {false, 2049, "URL too long"},
                {true, 2048, ""},
                {true, 2049, "URL too long"}};
    for (const auto& row : rows) {
        const QByteArray path = "/" + QByteArray(row.path_length - 1, 'p');
        S target({S::reply(ok_page)});
        S first({redirect_to(target.url(QString::fromLatin1(path)).toLatin1())});
        const QString url =
            row.redirected ? first.url("/old") : target.url(QString::fromLatin1(path));
        EXPECT_EQ(error_of([&] { http->Get(url); }), row.error) << row.path_length;
        if (*row.error) {
            EXPECT_EQ(target.connections(), 0) << row.path_length;
        } else {
            ASSERT_EQ(target.requests().size(), 1u) << row.path_length;
            EXPECT_TRUE(
                target.requests()[0].startsWith(QByteArray("GET " + path + " HTTP/1.0\r\n")))
                << row.path_length;
        }
    }
}

// ---- redirections ----

TEST_F(NMHTTPTest, RedirectToFullUrlGoesToThatHostAndPath) {
    S target({S::reply(ok_page)});
    S first({S::reply(http_reply("HTTP/1.0 302 Found",
                                 {"Location: " + target.url("/moved/here.html").toLatin1()}))});
    http->Get(first.url("/old.html"));
    ASSERT_EQ(target.requests().size(), 1u);
    EXPECT_TRUE(target.requests().at(0).startsWith("GET /moved/here.html HTTP/1.0\r\n"));
    EXPECT_EQ(count("Redirect"), 1);
    EXPECT_EQ(count("Success 0"), 1);
    EXPECT_EQ(http->Body, "<p>fine</p>");
    EXPECT_EQ(http->current_url(), target.url("/moved/here.html"));
}

TEST_F(NMHTTPTest, RedirectWithoutSlashIsResolvedAgainstTheCurrentHost) {
    S server(
        {S::reply(http_reply("HTTP/1.0 302 Found", {"Location: next.html"})), S::reply(ok_page)});
    http->Get(server.url("/dir/page.html"));
    ASSERT_EQ(server.requests().size(), 2u);
    EXPECT_TRUE(server.requests().at(1).startsWith("GET /next.html HTTP/1.0\r\n"));
    EXPECT_EQ(http->current_url(), server.url("/next.html"));
}

TEST_F(NMHTTPTest, CookieOfARedirectionIsSentWithEveryLaterRequest) {
    S server({S::reply(http_reply("HTTP/1.0 302 Found",
                                  {"Set-Cookie: session=abc; path=/", "Location: /landing"})),
              S::reply(ok_page)});
    http->Get(server.url("/login"));
    http->Get(server.url("/later"));
    ASSERT_EQ(server.requests().size(), 3u);
    EXPECT_FALSE(server.requests().at(0).contains("Cookie:"));
    EXPECT_TRUE(server.requests().at(1).contains("\r\nCookie: session=abc; path=/\r\n"));
    EXPECT_TRUE(server.requests().at(2).contains("\r\nCookie: session=abc; path=/\r\n"));
    EXPECT_EQ(http->HeaderInfo.Cookie, "session=abc; path=/");
}

TEST_F(NMHTTPTest, CookieOfARedirectionGoesBackOnlyToItsHost) {
    S elsewhere({S::reply(ok_page)});
    S server({S::reply(http_reply(
                  "HTTP/1.0 302 Found",
                  {"Set-Cookie: session=abc", "Location: " + elsewhere.url("/other").toLatin1()})),
              S::reply(ok_page)});
    http->Get(server.url("/login"));
    http->Get(server.url("/later"));
    EXPECT_FALSE(elsewhere.requests().at(0).contains("Cookie:"));
    EXPECT_TRUE(server.requests().at(1).contains("\r\nCookie: session=abc\r\n"));
}

TEST_F(NMHTTPTest, CookieCannotSmuggleHeaderLines) {
    S server({S::reply(http_reply("HTTP/1.0 302 Found",
                                  {"Set-Cookie: a=1\rX-Injected: yes", "Location: /landing"})),
              S::reply(ok_page)});
    http->Get(server.url("/"));
    EXPECT_EQ(http->HeaderInfo.Cookie, "a=1");
    EXPECT_FALSE(server.requests().at(1).contains("X-Injected"));
}

TEST_F(NMHTTPTest, AuthorizationStaysWithTheHostAndPortItWasGivenFor) {
    S elsewhere({S::reply(ok_page)});
    S server({S::reply(http_reply("HTTP/1.0 302 Found", {"Location: /landing"})),
              S::reply(http_reply("HTTP/1.0 302 Found",
                                  {"Location: " + elsewhere.url("/other").toLatin1()}))});
    http->HeaderInfo.UserId = QStringLiteral("user");
    http->HeaderInfo.Password = QStringLiteral("pass");
    http->Get(server.url("/private"));
    const QByteArray line = "\r\nAuthorization: Basic dXNlcjpwYXNz\r\n";
    ASSERT_EQ(server.requests().size(), 2u);
    EXPECT_TRUE(server.requests().at(0).contains(line));
    EXPECT_TRUE(server.requests().at(1).contains(line)); // the same host and port
    ASSERT_EQ(elsewhere.requests().size(), 1u);
    EXPECT_FALSE(elsewhere.requests().at(0).contains("Authorization"));
    // A call of its own to the other host carries them.
    http->Get(elsewhere.url("/direct"));
    EXPECT_TRUE(elsewhere.requests().at(1).contains(line));
}

TEST_F(NMHTTPTest, RedirectHandlerCanStopTheRedirection) {
    S server({S::reply(http_reply("HTTP/1.0 301 Moved", {"Location: /elsewhere"}))});
    QObject::connect(http, &TNMHTTP::OnRedirect, [](bool& handled) { handled = true; });
    http->Get(server.url("/"));
    EXPECT_EQ(server.connections(), 1);
    EXPECT_EQ(http->ReplyCode, 301);
    EXPECT_EQ(http->current_url(), "/elsewhere");
}

TEST_F(NMHTTPTest, RedirectionsEndAfterTwenty) {
    S server({S::reply(http_reply("HTTP/1.0 302 Found", {"Location: /again"}))});
    const Raised error = raised([&] { http->Get(server.url("/start")); });
    EXPECT_EQ(error.kind, "ESockError");
    EXPECT_EQ(error.message, "Too many redirections");
    EXPECT_EQ(server.connections(), 21);
    EXPECT_EQ(count("Redirect"), 20);
    EXPECT_EQ(count("Failure 0"), 1);
    EXPECT_EQ(log.lines.last(), "Disconnect");
}

TEST_F(NMHTTPTest, RedirectionWithoutLocationEndsLikeAFailure) {
    S server({S::reply(http_reply("HTTP/1.0 302 Found", {"Location:"})), S::reply(ok_page)});
    const Raised error = raised([&] { http->Get(server.url("/start")); });
    EXPECT_EQ(error.message, "Redirect without a location");
    EXPECT_EQ(server.connections(), 1);
    EXPECT_EQ(count("Failure 0"), 1);
    EXPECT_EQ(count("Redirect"), 0);
}

// ---- hostile replies, by kind: each row's reply beside the call's result ----

struct HostileRow {
    const char* name;
    std::vector<S::Script> scripts;
    bool to_file;
    int time_out;
    const char* error; // "" for a success
    QByteArray body;   // Body, or the file's bytes, afterwards
};
void PrintTo(const HostileRow& row, std::ostream* out) {
    *out << row.name;
}

class HostileReply : public NMHTTPTest, public ::testing::WithParamInterface<HostileRow> {};

TEST_P(HostileReply, EndsAsItsRowSays) {
    const HostileRow& row = GetParam();
    S server(row.scripts);
    const QString file = dir.filePath("body.bin");
    http->TimeOut = row.time_out;
    http->InputFileMode = row.to_file;
    http->Body = row.to_file ? QFile::encodeName(file) : QByteArray();
    QElapsedTimer clock;
    clock.start();
    const Raised error = raised([&] { http->Get(server.url("/")); });
    EXPECT_EQ(error.message, row.error);
    EXPECT_EQ(count("Success 0"), error.message.isEmpty() ? 1 : 0);
    if (row.to_file) {
        EXPECT_EQ(file_bytes(file), row.body); // a broken transfer leaves no half file
    } else if (error.message.isEmpty()) {
        EXPECT_EQ(http->Body, row.body);
    }
    if (error.message == "Transfer took too long") {
        EXPECT_GE(clock.elapsed(), 4 * row.time_out - 50);
    }
    // Nothing here waits for a time-out but the rows that end with one.
    EXPECT_LT(clock.elapsed(), 4 * row.time_out + 3000);
    EXPECT_FALSE(http->connected());
    for (const QByteArray& request : server.requests())
        EXPECT_FALSE(request.contains("\nX-Injected")) << request.toStdString();
}

namespace {
QByteArray head_announcing(const QByteArray& length) {
    return http_reply("HTTP/1.0 200 OK", {"Content-Length: " + length});
}
const S::Script reset_in_body{
    S::read_request(), S::send(head_announcing("2000000") + QByteArray(1000000, 'r')), S::reset()};
const S::Script short_body{S::read_request(),
                           S::send(head_announcing("100") + QByteArray(40, 's'))};
// A keep-alive proxy: the whole body, then the connection stays open.
const S::Script body_then_hold{S::read_request(), S::send(ok_page), S::hold()};
const S::Script trickle_body{S::read_request(), S::send(http_reply("HTTP/1.0 200 OK", {})),
                             S::send_chunked(QByteArray(200, 't'), 1, 50)};
const S::Script trickle_head{
    S::read_request(), S::send_chunked("HTTP/1.0 200 OK\r\nX: " + QByteArray(200, 'h'), 1, 50)};
} // namespace

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Network, HostileReply,
    ::testing::Values(
        HostileRow{"ResetInTheBody", {reset_in_body}, false, 5000, "10054:Connection reset by peer", ""},
        HostileRow{"ResetInTheFile", {reset_in_body}, true, 5000, "10054:Connection reset by peer", ""},
        HostileRow{"TrickleInTheHead", {trickle_head}, false, 500, "Transfer took too long", ""},
        HostileRow{"TrickleInTheBody", {trickle_body}, false, 500, "Transfer took too long", ""},
        HostileRow{"TrickleInTheFile", {trickle_body}, true, 500, "Transfer took too long", ""}),
    [](const auto& row) { return std::string(row.param.name); });

INSTANTIATE_TEST_SUITE_P(
    MalformedHttp, HostileReply,
    ::testing::Values(
        HostileRow{"ShorterThanAnnounced", {short_body}, false, 5000, "Connection closed by host", ""},
        HostileRow{"FileShorterThanAnnounced", {short_body}, true, 5000, "Connection closed by host", ""},
        HostileRow{"TwentyDigitLength", {S::reply(head_announcing("99999999999999999999") + "body")}, false, 5000,
                   "Connection closed by host", ""},
        HostileRow{"LengthEndsTheBody", {body_then_hold}, false, 5000, "", "<p>fine</p>"},
        HostileRow{"LengthEndsTheFile", {body_then_hold}, true, 5000, "", "<p>fine</p>"},
        HostileRow{"BytesPastTheLength", {S::reply(head_announcing("4") + "bodyEXTRA")}, false, 5000, "", "body"},
        HostileRow{"ZeroLength", {{S::read_request(), S::send(head_announcing("0")), S::hold()}}, false, 5000, "", ""},
        HostileRow{"LineWithoutColon", {S::reply("HTTP/1.0 200 OK\r\nNo colon here\r\n\r\nbody")}, false, 5000,
                   "", "body"},
        HostileRow{"NulInAField", {S::reply(QByteArray("HTTP/1.0 200 OK\r\nX: a\0b\r\n\r\nbody", 31))}, false,
                   5000, "", "body"},
        HostileRow{"LocationWithCr", {redirect_to("/a\rX-Injected: 1"), S::reply(ok_page)}, false, 5000,
                   "Invalid URL", ""},
        HostileRow{"LocationWithBlank", {redirect_to("/a b"), S::reply(ok_page)}, false, 5000, "Invalid URL", ""},
        HostileRow{"LocationPercentEncoded", {redirect_to("/a%0D%0AX-Injected%3A%201"), S::reply(ok_page)}, false,
                   5000, "", "<p>fine</p>"},
        HostileRow{"LocationWithoutScheme", {redirect_to("//127.0.0.1/x"), S::reply(ok_page)}, false, 5000, "",
                   "<p>fine</p>"}),
    [](const auto& row) { return std::string(row.param.name); });
// clang-format on

TEST_F(NMHTTPTest, ResetWhileSendingIsAnErrorNotADeath) {
    // The reset comes once the request is on its way, while most of it is still to send.
    S server({{S::read_bytes(1000), S::reset()}});
    const Raised error = raised([&] { http->Put(server.url("/"), QByteArray(16 << 20, 'x')); });
    EXPECT_EQ(error.kind, "ESockError");
    EXPECT_TRUE(error.message.startsWith("100")) << error.message.toStdString();
    EXPECT_FALSE(http->connected());
}

TEST_F(NMHTTPTest, FullDiskIsAVisibleFailure) {
    if (!QFile::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    S server({S::reply(ok_page)});
    http->InputFileMode = true;
    http->Body = "/dev/full";
    EXPECT_EQ(error_of([&] { http->Get(server.url("/")); }), "Cannot write file /dev/full");
    EXPECT_EQ(count("Success 0"), 0);
}

// ---- bodies in files ----

TEST_F(NMHTTPTest, InputFileModeFileHoldsExactlyTheBody) {
    const QByteArray body = binary_body(70000);
    const QByteArray head = http_reply("HTTP/1.0 200 OK", {"Content-Length: 70000"});
    S server({{S::read_request(), S::send(head + body.left(5000)), S::delay(50),
               S::send_chunked(body.mid(5000), 20000, 20)}});
    const QString body_file = dir.filePath("image.gif");
    const QString head_file = dir.filePath("head.txt");
    http->InputFileMode = true;
    http->OutputFileMode = true;
    http->Body = QFile::encodeName(body_file);
    http->Header = QFile::encodeName(head_file);
    http->Get(server.url("/image.gif"));
    EXPECT_TRUE(file_bytes(body_file) == body);
    EXPECT_EQ(file_bytes(head_file), head);
    EXPECT_EQ(http->ReceivedBytes, 70000);
    EXPECT_EQ(http->Body, QFile::encodeName(body_file));
    EXPECT_EQ(count("Success 0"), 1);
}

// ---- waiting, time-outs and cancel ----

TEST_F(NMHTTPTest, TimeOutZeroWaitsForSlowLookupAndServer) {
    S server({{S::read_request(), S::delay(400), S::send(ok_page)}});
    http->TimeOut = 0;
    lookup.delay_ms = 300;
    http->Get(QStringLiteral("http://localhost:") + QString::number(server.port()) + "/");
    EXPECT_EQ(http->ReplyCode, 200);
}

TEST_F(NMHTTPTest, LookupTimeOut) {
    lookup.delay_ms = -1;
    http->TimeOut = 100;
    QElapsedTimer clock;
    clock.start();
    const Raised error = raised([&] { http->Get(QStringLiteral("http://slow.example/")); });
    EXPECT_EQ(error.message, "Host Lookup Timed Out");
    EXPECT_LT(clock.elapsed(), 2000);
    EXPECT_EQ(lookup.aborted, 1);
    EXPECT_EQ(log.lines, QStringList{"AboutToSend"});
}

TEST_F(NMHTTPTest, ConnectTimeOut) {
    UnansweredListener listener;
    http->TimeOut = 150;
    QElapsedTimer clock;
    clock.start();
    const Raised error = raised([&] {
        http->Get(QStringLiteral("http://127.0.0.1:") + QString::number(listener.port()) + "/");
    });
    EXPECT_EQ(error.message, "Connection Timed Out");
    EXPECT_LT(clock.elapsed(), 2000);
    EXPECT_EQ(log.lines, (QStringList{"AboutToSend", "ConnectionFailed"}));
}

TEST_F(NMHTTPTest, ServerThatNeverAnswersTimesOut) {
    S server({{S::read_request(), S::hold()}});
    http->TimeOut = 200;
    QElapsedTimer clock;
    clock.start();
    const Raised error = raised([&] { http->Get(server.url("/")); });
    EXPECT_EQ(error.kind, "ESockError");
    EXPECT_EQ(error.message, "Connection Timed Out");
    EXPECT_GE(clock.elapsed(), 190);
    EXPECT_LT(clock.elapsed(), 3000);
    EXPECT_EQ(log.lines.last(), "Disconnect");
    // The client is free again.
    S next({S::reply(ok_page)});
    http->Get(next.url("/"));
    EXPECT_EQ(http->ReplyCode, 200);
}

TEST_F(NMHTTPTest, SilenceBoundCountsFromTheLastChunk) {
    const QByteArray body = binary_body(4000);
    S server({{S::read_request(), S::send(http_reply("HTTP/1.0 200 OK", {})),
               S::send_chunked(body, 500, 120)}});
    http->TimeOut = 400; // the whole body takes about a second
    http->Get(server.url("/"));
    EXPECT_EQ(http->Body, body);
}

TEST_F(NMHTTPTest, BodyThatStallsTimesOut) {
    S server(
        {{S::read_request(), S::send(http_reply("HTTP/1.0 200 OK", {}, "partial")), S::hold()}});
    http->TimeOut = 200;
    const Raised error = raised([&] { http->Get(server.url("/")); });
    EXPECT_EQ(error.message, "Connection Timed Out");
    EXPECT_FALSE(http->canceled());
}

struct CancelRow {
    const char* name;
    bool to_file;
    bool body_started;
    const char* message;
};
void PrintTo(const CancelRow& row, std::ostream* out) {
    *out << row.name;
}

class CancelDuringReply : public NMHTTPTest, public ::testing::WithParamInterface<CancelRow> {};

TEST_P(CancelDuringReply, EndsWithTheAbortError) {
    const CancelRow& row = GetParam();
    S::Script script{S::read_request()};
    if (row.body_started)
        script.push_back(S::send(http_reply("HTTP/1.0 200 OK", {}, "start of body")));
    script.push_back(S::hold());
    S server({script});
    http->TimeOut = 0;
    http->InputFileMode = row.to_file;
    http->Body = QFile::encodeName(dir.filePath("body.htm"));
    after(150, [this] { http->Abort(); });
    const Raised error = raised([&] { http->Get(server.url("/")); });
    EXPECT_EQ(error.kind, "EAbortError");
    EXPECT_EQ(error.message, row.message);
    EXPECT_EQ(count("Success 0") + count("Failure 0"), 0);
    EXPECT_EQ(log.lines.last(), "Disconnect");
    // A line read keeps its cancel until the next connect; the captures clear it.
    EXPECT_EQ(http->canceled(), !row.body_started);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CancelDuringReply,
    ::testing::Values(CancelRow{"Head", false, false, "Socket readln aborted"},
                      CancelRow{"TextBody", false, true, "Socket capture aborted"},
                      CancelRow{"FileBody", true, true, "Socket send aborted"}),
    [](const auto& row) { return std::string(row.param.name); });

TEST_F(NMHTTPTest, CancelDuringLookup) {
    lookup.delay_ms = -1;
    http->TimeOut = 0;
    after(100, [this] { http->Abort(); });
    EXPECT_EQ(error_of([&] { http->Get(QStringLiteral("http://never.example/")); }),
              "Host Lookup Canceled");
    EXPECT_EQ(lookup.aborted, 1);
}

TEST_F(NMHTTPTest, CancelDuringConnect) {
    UnansweredListener listener;
    http->TimeOut = 0;
    after(100, [this] { http->Abort(); });
    EXPECT_EQ(error_of([&] {
                  http->Get(QStringLiteral("http://127.0.0.1:") + QString::number(listener.port()) +
                            "/");
              }),
              "Connection Canceled");
    EXPECT_EQ(log.lines, (QStringList{"AboutToSend", "ConnectionFailed"}));
}

TEST_F(NMHTTPTest, NextRequestAfterAnAbortStartsClean) {
    S stuck({{S::read_request(), S::send("HTTP/1.0 200 OK\r\nX-Half: "), S::hold()}});
    after(150, [this] { http->Abort(); });
    raised([&] { http->Get(stuck.url("/")); });
    S server({S::reply(ok_page)});
    http->Get(server.url("/"));
    EXPECT_EQ(http->Header.left(15), "HTTP/1.0 200 OK");
    EXPECT_EQ(http->Body, "<p>fine</p>");
}

TEST_F(NMHTTPTest, ReplyCodeOfAnEarlierRequestDoesNotStay) {
    S server({S::reply(http_reply("HTTP/1.0 404 Not Found", {}))});
    http->Get(server.url("/"));
    EXPECT_EQ(http->ReplyCode, 404);
    lookup.addresses.clear();
    raised([&] { http->Get(QStringLiteral("http://unknown.example/")); });
    EXPECT_EQ(http->ReplyCode, 0);
}

// ---- a second request while one waits ----

struct BusyRow {
    const char* name;
    int stage;             // 0 lookup, 1 connect, 2 send, 3 head, 4 body
    const char* abort_end; // how the abort ends the first request at that stage
};
void PrintTo(const BusyRow& row, std::ostream* out) {
    *out << row.name;
}

class SecondRequest : public NMHTTPTest, public ::testing::WithParamInterface<BusyRow> {};

TEST_P(SecondRequest, IsRefusedAndLeavesTheFirstUntouched) {
    const int stage = GetParam().stage;
    UnansweredListener listener;
    S::Script script{S::read_request(), S::hold()};
    if (stage == 2)
        script = {S::delay(10000)}; // never reads, so large request data cannot be sent
    if (stage == 4)
        script = {S::read_request(), S::send(http_reply("HTTP/1.0 200 OK", {}, "part")), S::hold()};
    S server({script});
    S other({S::reply(ok_page)});
    lookup.delay_ms = stage == 0 ? -1 : 0;
    http->TimeOut = 0;
    http->HeaderInfo.Referer = QStringLiteral("Nimbrix by Corvalen");
    QString url = server.url("/first");
    if (stage == 0)
        url = QStringLiteral("http://first.example/first");
    if (stage == 1)
        url = QStringLiteral("http://127.0.0.1:") + QString::number(listener.port()) + "/first";

    struct Snapshot {
        QString url, host, path;
        int port;
        QStringList header;
        QByteArray body;
        bool operator==(const Snapshot&) const = default;
    };
    const auto snapshot = [this] {
        return Snapshot{http->current_url(),         http->Host, http->request_path(), http->Port,
                        http->header_list().lines(), http->Body};
    };
    Snapshot before, after_refusal;
    QString refusal;
    after(300, [&] {
        before = snapshot();
        refusal = error_of([&] { http->Get(other.url("/second")); });
        after_refusal = snapshot();
        http->Abort();
    });
    const Raised first = raised([&] {
        if (stage == 2)
            http->Put(url, QByteArray(16 << 20, 'x'));
        else
            http->Get(url);
    });
    EXPECT_EQ(refusal, "Already connected");
    EXPECT_TRUE(before == after_refusal);
    EXPECT_EQ(before.path, "/first");
    EXPECT_EQ(other.connections(), 0);
    EXPECT_EQ(first.message, GetParam().abort_end);
}

INSTANTIATE_TEST_SUITE_P(Stages, SecondRequest,
                         ::testing::Values(BusyRow{"Lookup", 0, "Host Lookup Canceled"},
                                           BusyRow{"Connect", 1, "Connection Canceled"},
                                           BusyRow{"Send", 2, "Socket send aborted"},
                                           BusyRow{"Head", 3, "Socket readln aborted"},
                                           BusyRow{"Body", 4, "Socket capture aborted"}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST_F(NMHTTPTest, RefusedSecondRequestDoesNotBendTheFirstOnesRedirection) {
    S server({{S::read_request(), S::delay(300),
               S::send(http_reply("HTTP/1.0 302 Found", {"Location: next.html"}))},
              S::reply(ok_page)});
    QString refusal;
    after(100, [&] {
        refusal = error_of([&] { http->Get(QStringLiteral("http://other.example:81/x")); });
    });
    http->Get(server.url("/start"));
    EXPECT_EQ(refusal, "Already connected");
    ASSERT_EQ(server.requests().size(), 2u);
    EXPECT_TRUE(
        server.requests().at(1).startsWith("GET /next.html HTTP/1.0\r\nHost: 127.0.0.1\r\n"));
    EXPECT_EQ(count("Success 0"), 1);
}

// ---- hostile sizes ----

struct SizeRow {
    const char* name;
    QByteArray reply;
    const char* error; // "" when accepted
};
void PrintTo(const SizeRow& row, std::ostream* out) {
    *out << row.name;
}

class HostileSize : public NMHTTPTest, public ::testing::WithParamInterface<SizeRow> {};

TEST_P(HostileSize, LimitBesideItsViolation) {
    S server({S::reply(GetParam().reply)});
    const Raised error = raised([&] { http->Get(server.url("/")); });
    EXPECT_EQ(error.message, GetParam().error);
    if (!error.message.isEmpty()) {
        EXPECT_TRUE(http->Header.isEmpty());
        EXPECT_EQ(count("Success 0"), 0);
    } else {
        EXPECT_EQ(count("Success 0"), 1);
    }
}

namespace {
QByteArray head_with_line(qsizetype length, const char* end) {
    return "HTTP/1.0 200 OK\r\nX-Long: " + QByteArray(length - 8, 'a') + end + "\r\nbody";
}
QByteArray head_with_lines(int field_lines) {
    QByteArray reply = "HTTP/1.0 200 OK\r\n";
    for (int i = 0; i < field_lines; ++i)
        reply += "X-Field-" + QByteArray::number(i) + ": v\r\n";
    return reply + "\r\nbody";
}
} // namespace

INSTANTIATE_TEST_SUITE_P(
    Rows, HostileSize,
    ::testing::Values(
        SizeRow{"LongestLine", head_with_line(16384, "\r\n"), ""},
        SizeRow{"LineTooLong", head_with_line(16385, "\r\n"), "Reply header too large"},
        SizeRow{"LongestLfLine", head_with_line(16384, "\n"), ""},
        SizeRow{"LfLineTooLong", head_with_line(16385, "\n"), "Reply header too large"},
        SizeRow{"EndlessLine", "HTTP/1.0 200 OK\r\nX: " + QByteArray(200000, 'a'),
                "Reply header too large"},
        SizeRow{"MostLines", head_with_lines(199), ""},
        SizeRow{"TooManyLines", head_with_lines(200), "Reply header too large"}),
    [](const auto& row) { return std::string(row.param.name); });

TEST_F(NMHTTPTest, BodyInMemoryIsBounded) {
    http->max_capture_in_memory = 100000;
    S server({S::reply(http_reply("HTTP/1.0 200 OK", {}, QByteArray(100000, 'b'))),
              S::reply(http_reply("HTTP/1.0 200 OK", {}, QByteArray(100001, 'b')))});
    http->Get(server.url("/"));
    EXPECT_EQ(http->Body.size(), 100000);
    EXPECT_EQ(error_of([&] { http->Get(server.url("/")); }), "Reply too large");
    EXPECT_TRUE(http->Body.isEmpty());
    EXPECT_EQ(count("Success 0"), 1);
}

TEST_F(NMHTTPTest, BodyInMemoryOverSixtyFourMebibytesIsRefused) {
    const qsizetype size = (64 << 20) + 1;
    S server({S::reply(
        http_reply("HTTP/1.0 200 OK", {"Content-Length: 67108865"}, QByteArray(size, 'z')))});
    EXPECT_EQ(error_of([&] { http->Get(server.url("/")); }), "Reply too large");
    EXPECT_TRUE(http->Body.isEmpty());
    EXPECT_EQ(http->Body.capacity(), 0);
}

TEST_F(NMHTTPTest, BodyToFileIsBounded) {
    http->max_capture_to_file = 100000;
    http->InputFileMode = true;
    const QString file = dir.filePath("big.jpg");
    http->Body = QFile::encodeName(file);
    S server({S::reply(http_reply("HTTP/1.0 200 OK", {}, QByteArray(100000, 'f'))),
              S::reply(http_reply("HTTP/1.0 200 OK", {}, QByteArray(100001, 'f')))});
    http->Get(server.url("/"));
    EXPECT_EQ(file_bytes(file).size(), 100000);
    EXPECT_EQ(error_of([&] { http->Get(server.url("/")); }), "Reply too large");
    EXPECT_EQ(file_bytes(file).size(), 0);
}

TEST_F(NMHTTPTest, HostNamesLongerThan127AreRefused) {
    S server({S::reply(ok_page)});
    const QString longest = QString(123, 'h') + ".com";
    http->Get(QStringLiteral("http://") + longest + ":" + QString::number(server.port()) + "/");
    EXPECT_EQ(lookup.names, QStringList{longest});
    const QString too_long = QString(124, 'h') + ".com";
    EXPECT_EQ(error_of([&] { http->Get(QStringLiteral("http://") + too_long + "/"); }),
              "Host name too long");
    EXPECT_EQ(lookup.names.size(), 1);
}

// ---- the application quits while a request waits ----

TEST_F(NMHTTPTest, QuittingEndsAWaitingRequest) {
    for (const bool by_exit : {false, true}) {
        S server({{S::read_request(), S::hold()}});
        http->TimeOut = 0;
        Raised error;
        after(0, [&] { error = raised([&] { http->Get(server.url("/")); }); });
        after(200, [by_exit] {
            if (by_exit)
                QCoreApplication::exit(3);
            else
                QCoreApplication::quit();
        });
        QElapsedTimer clock;
        clock.start();
        QCoreApplication::exec();
        EXPECT_LT(clock.elapsed(), 3000);
        EXPECT_EQ(error.kind, "EAbortError");
        EXPECT_EQ(error.message, "Socket readln aborted");
    }
}
