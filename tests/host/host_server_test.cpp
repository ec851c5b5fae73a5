// nimbrix-host over HTTP: the server in-process on a free port, answering the conditions and
// maker paths and a 404 as an HTTP/1.0 client expects (body up to the close), its log lines,
// and the program itself started as a child, stopped by SIGINT and SIGTERM.
#include "host_test_support.h"

#include "app/conditions_parser.h"
#include "locations/catalogue.h"
#include "sample/census_pages.h"
#include "sample/host_text.h"
#include "sample/nws_products.h"
#include "site/host_server.h"
#include "site/host_site.h"

#include <QProcess>
#include <QUrl>

#ifdef Q_OS_LINUX
#include <sys/prctl.h>
#endif
#include <gtest/gtest.h>
#include <httplib.h>

#include <algorithm>
#include <arpa/inet.h>
#include <csignal>
#include <netinet/in.h>
#include <string>
#include <string_view>
#include <sys/socket.h>
#include <sys/time.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

const QDateTime fixed_hour = utc_hour(2026, 1, 5, 21);

// The server on a free port of 127.0.0.1, serving from its own thread until destroyed.
class RunningHost {
public:
    explicit RunningHost(std::FILE* log = nullptr, bool small_radar = false) : server_(site, log) {
        site.set_small_radar(small_radar);
        server_.set_clock([] { return fixed_hour.addSecs(1234); });
        port = server_.bind("127.0.0.1", 0);
        thread_ = std::thread([this] { served_ = server_.run(); });
    }
    ~RunningHost() { stop(); }
    RunningHost(const RunningHost&) = delete;
    RunningHost& operator=(const RunningHost&) = delete;

    void stop() {
        if (!thread_.joinable())
            return;
        server_.stop();
        thread_.join();
    }
    bool served() const { return served_; }

    HostSite site;
    int port = -1;

private:
    HostServer server_;
    std::thread thread_;
    bool served_ = false;
};

// One HTTP/1.0 exchange on a plain socket, read until the server closes (or 10 s pass).
struct RawReply {
    bool closed_by_server = false;
    QByteArray head;
    QByteArray body;
};

RawReply raw_get(int port, const QByteArray& path) {
    RawReply reply;
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0)
        return reply;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    timeval timeout{10, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    QByteArray all;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
        const QByteArray request =
            "GET " + path + " HTTP/1.0\r\nReferer: Nimbrix by Corvalen\r\n\r\n";
        if (::send(fd, request.constData(), static_cast<std::size_t>(request.size()), 0) ==
            request.size()) {
            char buffer[4096];
            for (;;) {
                const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
                if (n == 0)
                    reply.closed_by_server = true;
                if (n <= 0)
                    break;
                all.append(buffer, n);
            }
        }
    }
    ::close(fd);
    const qsizetype end = all.indexOf("\r\n\r\n");
    reply.head = end < 0 ? all : all.left(end + 2);
    reply.body = end < 0 ? QByteArray() : all.mid(end + 4);
    return reply;
}

} // namespace

TEST(HostServer, AnswersEveryRoleOverHttp) {
    RunningHost host;
    ASSERT_GT(host.port, 0);
    httplib::Client client("127.0.0.1", host.port);
    client.set_read_timeout(10, 0);

    struct Case {
        const char* target;
        int status;
        const char* content_type;
    };
    const Case cases[] = {
        {"/US/IL/Chicago.html", 200, conditions_content_type},
        {"/US/NY/New_York.html", 200, conditions_content_type},
        {"/global/stations/07150.html", 200, conditions_content_type},
        {"/cgi-bin/findweather/getForecast?query=60601", 200, conditions_content_type},
        {"/assets/NimbrixCount.txt", 200, maker_content_type},
        {"/assets/nimbrixvs.txt", 200, maker_content_type},
        {"/iwin/IL/zone.html", 200, conditions_content_type},
        {"/statab/ranks/pg18.txt", 200, census_text_content_type},
        {"/cdrom/lookup/CMD=RET/LEV=ZIP/SEL=60601/T=P1", 200, conditions_content_type},
        {"/US/IL/Atlantis.html", 404, conditions_content_type},
        {"/US//.html", 404, conditions_content_type},
        {"/cgi-bin/findweather/getForecast?query=00000", 404, conditions_content_type},
        {"/favicon.ico", 404, conditions_content_type},
    };
    HostSite reference;
    for (const Case& c : cases) {
        const auto res = client.Get(c.target);
        ASSERT_TRUE(res) << c.target;
        EXPECT_EQ(res->status, c.status) << c.target;
        EXPECT_EQ(res->get_header_value("Content-Type"), c.content_type) << c.target;
        EXPECT_EQ(res->get_header_value("Content-Length"), std::to_string(res->body.size()))
            << c.target;
        EXPECT_EQ(res->get_header_value("Connection"), "close") << c.target;
        if (std::string_view(c.target).starts_with("/assets/NimbrixCount"))
            continue;
        // The body is the site's answer for the server clock's hour, byte for byte.
        const HostReply expected =
            reference.answer(request_from_target(QString::fromLatin1(c.target)), fixed_hour);
        EXPECT_EQ(QByteArray::fromStdString(res->body), expected.body) << c.target;
    }
    EXPECT_EQ(client.Get("/assets/NimbrixCount.txt")->body, "2\n");
    EXPECT_EQ(client.Get("/assets/nimbrixvs.txt")->body, "Version#1.30.7.2");
    EXPECT_EQ(host.site.usage_count(), 2u);
    host.stop();
    EXPECT_TRUE(host.served());
}

// A cache in front keeps each reply for what is left of its lifetime and asks again with
// If-Modified-Since; the server clock stands 20 minutes 34 seconds into the hour.
TEST(HostServer, EveryReplySaysHowLongACacheMayKeepItAndAnswersIfModifiedSince) {
    RunningHost host;
    httplib::Client client("127.0.0.1", host.port);
    client.set_read_timeout(10, 0);
    const std::string hour = "Mon, 05 Jan 2026 21:00:00 GMT";
    struct Row {
        const char* target;
        const char* cache_control;
        std::string if_modified_since; // empty: none sent
        int status;
    };
    // clang-format off
    const Row rows[] = {
        // Sample pages and pictures are made for their hour.
        {"/US/IL/Chicago.html",      "max-age=2366",        "",                              200},
        {"/US/IL/Chicago.html",      "max-age=2366",        hour,                            304},
        {"/US/IL/Chicago.html",      "max-age=2366",        "Mon, 05 Jan 2026 20:59:59 GMT", 200},
        {"/US/IL/Chicago.html",      "max-age=2366",        "not a date",                    200},
        {"/iwin/IL/zone.html",       "max-age=2366",        hour,                            304},
        {"/pix/temp4.gif",           "max-age=2366",        hour,                            304},
        // The maker's files, census tables and unknown paths stay as they are.
        {"/assets/nimbrixvs.txt",    "max-age=3600",        "",                              200},
        {"/statab/ranks/pg18.txt",   "max-age=3600",        "",                              200},
        {"/favicon.ico",             "max-age=3600",        "",                              404},
        // Each usage ping counts.
        {"/assets/NimbrixCount.txt", "no-store, max-age=0", "Tue, 05 Jan 2100 00:00:00 GMT", 200},
    };
    // clang-format on
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.target) + " " + row.if_modified_since);
        httplib::Headers headers;
        if (!row.if_modified_since.empty())
            headers.emplace("If-Modified-Since", row.if_modified_since);
        const auto res = client.Get(row.target, headers);
        ASSERT_TRUE(res);
        EXPECT_EQ(res->status, row.status);
        EXPECT_EQ(res->get_header_value("Cache-Control"), row.cache_control);
        EXPECT_EQ(res->body.empty(), row.status == 304);
        if (std::string_view(row.cache_control) == "max-age=2366")
            EXPECT_EQ(res->get_header_value("Last-Modified"), hour);
        else
            EXPECT_TRUE(res->get_header_value("Last-Modified").ends_with(" GMT"));
    }
}

TEST(HostServer, Http10ClientReadsThePageUntilTheServerCloses) {
    RunningHost host;
    const RawReply reply = raw_get(host.port, "/cgi-bin/findweather/getForecast?query=70112");
    EXPECT_TRUE(reply.closed_by_server);
    EXPECT_TRUE(reply.head.startsWith("HTTP/1.1 200 ")) << reply.head.constData();
    const QByteArray length_line = "Content-Length: " + QByteArray::number(reply.body.size());
    EXPECT_TRUE(reply.head.contains(length_line));

    const ConditionsResult parsed = parse_conditions(QString::fromLatin1(reply.body), "n");
    EXPECT_TRUE(parsed.messages.isEmpty());
    EXPECT_EQ(parsed.place_name.value_or(QString()), place_for_zip("70112")->title_name);
    EXPECT_NE(parsed.labels.lblTemp2, "n/a");

    const RawReply missing = raw_get(host.port, "/US/IL/Atlantis.html");
    EXPECT_TRUE(missing.closed_by_server);
    EXPECT_TRUE(missing.head.startsWith("HTTP/1.1 404 ")) << missing.head.constData();
    // The error page is no conditions page.
    const ConditionsResult error_page = parse_conditions(QString::fromLatin1(missing.body), "n");
    EXPECT_EQ(error_page.messages, (QStringList{parse_message_p1, parse_message_p2}));
}

// The Purdue radar's small "not available" picture (--small-radar) comes without a
// Content-Length (and not in chunks): an HTTP/1.0 client reads it up to the close. Its
// fallback announces its length.
TEST(HostServer, PurdueRadarArrivesUntilTheCloseWithoutALength) {
    RunningHost host(nullptr, true);
    const RawReply missing = raw_get(host.port, "/radar/rad_comp.gif");
    EXPECT_TRUE(missing.closed_by_server);
    EXPECT_TRUE(missing.head.startsWith("HTTP/1.1 200 ")) << missing.head.constData();
    EXPECT_FALSE(missing.head.contains("Content-Length"));
    EXPECT_FALSE(missing.head.contains("Transfer-Encoding"));
    EXPECT_TRUE(missing.head.contains("Content-Type: image/gif"));
    EXPECT_TRUE(missing.body.startsWith("GIF89a"));
    EXPECT_LT(missing.body.size(), 10000);

    const RawReply previous = raw_get(host.port, "/radar/previous/rad_comp-2.gif");
    const QByteArray length_line = "Content-Length: " + QByteArray::number(previous.body.size());
    EXPECT_TRUE(previous.head.contains(length_line));
    EXPECT_GE(previous.body.size(), 10000);
}

TEST(HostServer, LogsOneLinePerRequestAndStopsBeforeOrDuringRun) {
    std::FILE* log = std::tmpfile();
    ASSERT_NE(log, nullptr);
    {
        RunningHost host(log);
        httplib::Client client("127.0.0.1", host.port);
        ASSERT_TRUE(client.Get("/assets/nimbrixvs.txt"));
        ASSERT_TRUE(client.Get("/cgi-bin/findweather/getForecast?query=60601"));
        ASSERT_TRUE(client.Get("/nowhere"));
    }
    // A request is logged after its reply has gone out, on the thread that served it, so the
    // next request's line may come first: the lines are compared in any order.
    std::rewind(log);
    std::vector<std::string> lines;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, log))
        lines.emplace_back(buffer);
    std::fclose(log);
    std::sort(lines.begin(), lines.end());
    EXPECT_EQ(lines,
              (std::vector<std::string>{"GET /assets/nimbrixvs.txt 200\n",
                                        "GET /cgi-bin/findweather/getForecast?query=60601 200\n",
                                        "GET /nowhere 404\n"}));

    HostSite site;
    HostServer early(site);
    ASSERT_GT(early.bind("127.0.0.1", 0), 0);
    early.stop();
    EXPECT_FALSE(early.run());
}

TEST(HostServer, RefusesAPortThatIsInUse) {
    RunningHost first;
    ASSERT_GT(first.port, 0);
    HostSite site;
    HostServer second(site);
    EXPECT_EQ(second.bind("127.0.0.1", first.port), -1);
    EXPECT_EQ(second.bind_error(), "address in use");
    // Every request still reaches the first server.
    httplib::Client client("127.0.0.1", first.port);
    for (int i = 0; i < 5; ++i)
        ASSERT_TRUE(client.Get("/assets/NimbrixCount.txt"));
    EXPECT_EQ(first.site.usage_count(), 5u);

    QProcess program;
    program.start(QStringLiteral(NIMBRIX_HOST_PROGRAM),
                  {"--listen", QStringLiteral("127.0.0.1:%1").arg(first.port)});
    ASSERT_TRUE(program.waitForFinished(20000));
    EXPECT_EQ(program.exitCode(), 1);
    const std::string error = program.readAllStandardError().toStdString();
    EXPECT_NE(error.find("nimbrix-host: cannot listen on 127.0.0.1:" + std::to_string(first.port) +
                         ": address in use\n"),
              std::string::npos)
        << error;

    // Once the port is free again it can be bound at once.
    const int port = first.port;
    first.stop();
    EXPECT_EQ(second.bind("127.0.0.1", port), port);
    EXPECT_EQ(second.bind_error(), "");
}

TEST(HostSite, AnswersPathsWithoutHttp) {
    HostSite site;
    struct Case {
        const char* target;
        int status;
    };
    const Case cases[] = {
        {"/", 200},
        {"/US/ID/Coeur_d%27Alene.html", 200},
        {"/US/LA/New_Orleans.html", 200},
        {"/cgi-bin/findweather/getForecast?query=60601&extra=1", 200},
        {"/cgi-bin/findweather/getForecast?other=1&query=99723", 200},
        {"/cgi-bin/findweather/getForecast", 404},
        {"/cgi-bin/findweather/getForecast?query=", 404},
        {"/cgi-bin/findweather/getForecast?query=6060", 404},
        {"/US/IL/Chicago.html/", 404},
        {"/global/stations/07150", 404},
        {"/assets/nimbrixvs.TXT", 404},
        {"/assets/other.txt", 404},
        {"/iwin/il/shortterm.html", 200},
        {"/iwin//zone.html", 404},
        {"/iwin/XX/zone.html", 404},
        {"/iwin/IL/forecast.html", 404},
        {"/iwin/IL/zone.html/x", 404},
        {"/statab/ranks/pg19.txt", 404},
    };
    for (const Case& c : cases)
        EXPECT_EQ(
            site.answer(request_from_target(QString::fromLatin1(c.target)), fixed_hour).status,
            c.status)
            << c.target;

    // The version file names the published version and nothing after it; the program's own
    // version is published by default.
    EXPECT_EQ(site.answer(request_from_target("/assets/nimbrixvs.txt"), fixed_hour).body,
              QByteArray("Version#") + NIMBRIX_VERSION);
    EXPECT_EQ(HostSite(QStringLiteral("1.31.0.0"))
                  .answer(request_from_target("/assets/nimbrixvs.txt"), fixed_hour)
                  .body,
              "Version#1.31.0.0");

    // The home page links to every state and every US city page of the catalogue, each of
    // which the host answers.
    const QString home =
        decode_windows_1252(site.answer(request_from_target("/"), fixed_hour).body);
    int us_places = 0;
    for (const CataloguePlace& place : catalogue_places()) {
        if (!place.us)
            continue;
        ++us_places;
        const QString href =
            QStringLiteral("href=\"/") +
            QString::fromLatin1(QUrl::toPercentEncoding(place.request_path, "/?=_-.")) + u'"';
        ASSERT_TRUE(home.contains(href)) << place.request_path.toStdString();
        ASSERT_TRUE(home.contains(QStringLiteral("<h3 id=\"") + place.state_code + u'"'))
            << place.state_code.toStdString();
    }
    EXPECT_GT(us_places, 500);
    EXPECT_TRUE(home.contains(QStringLiteral("href=\"/US/ID/Coeur_d%27Alene.html\"")));
    EXPECT_EQ(site.answer(request_from_target("/US/ID/Coeur_d%27Alene.html"), fixed_hour).status,
              200);

    const HostRequest request = request_from_target("/a%20b+c?query=6%200+1&x&y=%41");
    EXPECT_EQ(request.path, "/a b+c");
    EXPECT_EQ(request.param("query"), "6 0 1");
    EXPECT_EQ(request.param("x"), "");
    EXPECT_FALSE(request.param("x").isNull());
    EXPECT_EQ(request.param("y"), "A");
    EXPECT_TRUE(request.param("z").isNull());
}

namespace {

// Starts the program with its arguments and reads its first line ("... listening on ...").
int start_host(QProcess& process, const QStringList& arguments) {
#ifdef Q_OS_LINUX
    process.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); }); // dies with the test
#endif
    process.start(QStringLiteral(NIMBRIX_HOST_PROGRAM), arguments);
    if (!process.waitForStarted(10000))
        return -1;
    while (!process.canReadLine())
        if (!process.waitForReadyRead(10000))
            return -1;
    const QString line = QString::fromLatin1(process.readLine()).trimmed();
    const QString prefix = QStringLiteral("nimbrix-host listening on 127.0.0.1:");
    if (!line.startsWith(prefix))
        return -1;
    return line.mid(prefix.size()).toInt();
}

} // namespace

TEST(HostProgram, ServesOnAFreePortAndStopsCleanlyOnSigintAndSigterm) {
    for (const int signal_number : {SIGINT, SIGTERM}) {
        QProcess process;
        const int port = start_host(process, {"--listen", "127.0.0.1:0"});
        ASSERT_GT(port, 0) << process.readAllStandardError().constData();
        httplib::Client client("127.0.0.1", port);
        const auto res = client.Get("/assets/nimbrixvs.txt");
        ASSERT_TRUE(res);
        EXPECT_EQ(res->body, "Version#1.30.7.2");

        ASSERT_EQ(::kill(static_cast<pid_t>(process.processId()), signal_number), 0);
        ASSERT_TRUE(process.waitForFinished(10000));
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << signal_number;
        EXPECT_EQ(process.exitCode(), 0) << signal_number;
        EXPECT_TRUE(process.readAllStandardError().contains("GET /assets/nimbrixvs.txt 200\n"));
    }
}

TEST(HostProgram, PrintsAPageAndRefusesBadArguments) {
    QProcess process;
    process.start(QStringLiteral(NIMBRIX_HOST_PROGRAM),
                  {"--page", "/US/IL/Chicago.html", "--at", "2026-01-05T21"});
    ASSERT_TRUE(process.waitForFinished(20000));
    EXPECT_EQ(process.exitCode(), 0);
    EXPECT_EQ(process.readAllStandardOutput(),
              encode_windows_1252(
                  conditions_page(*place_for_city_path("US/IL/Chicago.html"), fixed_hour)));

    // Pictures come out as their file's bytes.
    process.start(QStringLiteral(NIMBRIX_HOST_PROGRAM),
                  {"--page", "/pix/temp4.gif", "--at", "2026-01-05T21"});
    ASSERT_TRUE(process.waitForFinished(20000));
    EXPECT_EQ(process.exitCode(), 0);
    EXPECT_EQ(process.readAllStandardOutput(),
              HostSite().answer(request_from_target("/pix/temp4.gif"), fixed_hour).body);

    process.start(QStringLiteral(NIMBRIX_HOST_PROGRAM),
                  {"--published-version", "1.31.0.0", "--page", "/assets/nimbrixvs.txt"});
    ASSERT_TRUE(process.waitForFinished(20000));
    EXPECT_EQ(process.readAllStandardOutput(), "Version#1.31.0.0");

    process.start(QStringLiteral(NIMBRIX_HOST_PROGRAM),
                  {"--page", "/iwin/IL/zone.html", "--at", "2026-01-05T21"});
    ASSERT_TRUE(process.waitForFinished(20000));
    EXPECT_EQ(process.exitCode(), 0);
    EXPECT_EQ(process.readAllStandardOutput(),
              encode_windows_1252(*nws_page(NwsProduct::Zone, "IL", fixed_hour)));

    process.start(QStringLiteral(NIMBRIX_HOST_PROGRAM), {"--page", "/US/IL/Atlantis.html"});
    ASSERT_TRUE(process.waitForFinished(20000));
    EXPECT_EQ(process.exitCode(), 1);
    EXPECT_TRUE(process.readAllStandardOutput().contains("404 Not Found"));

    for (const QStringList& arguments :
         {QStringList{"--listen", "8079"}, QStringList{"--listen", "127.0.0.1:99999"},
          QStringList{"--at", "yesterday"}, QStringList{"--published-version", ""},
          QStringList{"--bogus"}, QStringList{"--source", "web"},
          QStringList{"--upstream-base", "ftp://example.org"}}) {
        process.start(QStringLiteral(NIMBRIX_HOST_PROGRAM), arguments);
        ASSERT_TRUE(process.waitForFinished(20000));
        EXPECT_EQ(process.exitCode(), 2) << arguments.join(' ').toStdString();
    }
}
