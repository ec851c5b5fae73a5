// Live mode against a stand-in upstream: pages made from recorded reports read back through
// the program's parser, every kind of upstream failure gives the sample page with its notice
// and one log line, and the cache asks upstream as seldom as it should, also with a standard
// HTTP cache in front.
#include "host_test_support.h"
#include "shared_cache.h"
#include "upstream_fixture.h"

#include "app/conditions_parser.h"
#include "live/live_conditions.h"
#include "live/observing_stations.h"
#include "live/upstream_cache.h"
#include "live/upstream_client.h"
#include "sample/host_text.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <thread>
#include <vector>

#ifdef Q_OS_LINUX
#include <csignal>
#include <sys/prctl.h>
#endif

namespace {

const QString degree_f = QString(QChar(0xB0)) + u'F';

std::string metar_file(const QString& icao) {
    return metar_path(icao).toStdString();
}

ConditionsResult parsed(const QString& page) {
    return parse_conditions(QString::fromLatin1(encode_windows_1252(page)), QStringLiteral("n"));
}

const QDateTime now_utc = QDateTime(QDate(2026, 12, 8), QTime(11, 5), QTimeZone::utc());

} // namespace

TEST(HostLive, EveryUpstreamFailureGivesTheSamplePageWithItsNoticeAndOneLogLine) {
    UpstreamFixture fixture;
    const std::optional<HostPlace> chicago = host_place_titled(QStringLiteral("Chicago, Illinois"));
    ASSERT_TRUE(chicago);
    HostPlace nowhere = *host_place_titled(QStringLiteral("Paris, France"));
    nowhere.wmo_station = QStringLiteral("99999");

    struct Row {
        const char* name;
        FixtureReply reply;
        bool https = false;
        const HostPlace* place = nullptr;
    };
    const std::string loop = metar_file(QStringLiteral("KMDW"));
    const Row rows[] = {
        {"malformed report", {200, "THIS IS NOT A REPORT AT ALL", {}, {}, 0}},
        {"truncated report", {200, "2026/12/08 10:51\nKMDW 0810", {}, {}, 0}},
        {"report without temperature", {200, "KMDW 081051Z 27012KT 10SM CLR A3012\n", {}, {}, 0}},
        {"empty reply", {200, "", {}, {}, 0}},
        {"binary garbage", {200, std::string("\0\xff<#&\x01KMDW", 10), {}, {}, 0}},
        {"upstream 404", {404, "Not Found", {}, {}, 0}},
        {"upstream 500", {500, "Internal Server Error", {}, {}, 0}},
        {"redirect loop", {302, "", {}, loop, 0}},
        {"TLS failure", {200, "KMDW 081051Z 27012KT 10SM CLR M02/M08 A3012", {}, {}, 0}, true},
        {"slow upstream", {200, "KMDW 081051Z 27012KT 10SM CLR M02/M08 A3012", {}, {}, 5000}},
        {"reply over the size cap", {200, std::string(200000, 'K'), {}, {}, 0}},
        {"no observing station", {200, "", {}, {}, 0}, false, &nowhere},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        fixture.set_default(row.reply);
        QTemporaryDir folder;
        UpstreamLimits limits;
        limits.connect_timeout_ms = 2000;
        limits.total_timeout_ms = 400;
        limits.max_body_bytes = 64 * 1024;
        UpstreamClient client(limits);
        const QString base =
            QString::fromStdString((row.https ? "https://127.0.0.1:" : "http://127.0.0.1:") +
                                   std::to_string(fixture.port()));
        UpstreamCache cache(client, base, folder.path());
        std::FILE* log = std::tmpfile();
        ASSERT_NE(log, nullptr);
        LiveConditions live(cache, log);
        const HostPlace& place = row.place ? *row.place : *chicago;

        const ConditionsResult r = parsed(live.page(place, now_utc).page);
        EXPECT_TRUE(r.messages.isEmpty()) << r.messages.join(u'|').toStdString();
        EXPECT_TRUE(r.heading.value_or(QString()).endsWith(sample_marker))
            << r.heading.value_or(QString()).toStdString();
        EXPECT_TRUE(r.labels.lblTemp2.endsWith(degree_f)) << r.labels.lblTemp2.toStdString();
        const std::string text = lines_of(log);
        std::fclose(log);
        EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << text;
        EXPECT_NE(text.find("sample data served"), std::string::npos) << text;
    }
}

TEST(HostLive, TheCacheAsksUpstreamOncePerLifetimeThenConditionallyAndServesStaleCopies) {
    UpstreamFixture fixture;
    const std::string path = metar_file(QStringLiteral("KORD"));
    fixture.set(path, {200, "KORD 081051Z 27012KT 10SM CLR M02/M08 A3012\n", "\"v1\"", {}, 0});
    QTemporaryDir folder;
    UpstreamClient client;
    long long clock = now_utc.toMSecsSinceEpoch();
    UpstreamCache cache(client, QString::fromStdString(fixture.base()), folder.path());
    cache.set_clock([&clock] { return clock; });
    const auto lifetime = std::chrono::seconds(300);
    const QString key = QString::fromStdString(path);

    struct Step {
        const char* what;
        long long advance_ms;
        int status; // the fixture's answer from this step on
        Freshness freshness;
        int upstream_requests; // in all, after the step
    };
    // clang-format off
    const Step steps[] = {
        {"first request fetches",                    0,          200, Freshness::Fresh,   1},
        {"within the lifetime: no upstream request", 299000,     200, Freshness::Fresh,   1},
        {"after it: a conditional request (304)",    2000,       200, Freshness::Fresh,   2},
        {"upstream fails: the copy is stale",        301000,     500, Freshness::Stale,   3},
        {"a failure is not retried at once",         1000,       500, Freshness::Stale,   3},
        {"older than three hours: nothing",          3 * 3600000, 500, Freshness::Missing, 4},
        {"upstream back: fresh again",               60000,      200, Freshness::Fresh,   5},
    };
    // clang-format on
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        clock += step.advance_ms;
        fixture.set(path, {step.status,
                           "KORD 081051Z 27012KT 10SM CLR M02/M08 A3012\n",
                           step.status == 200 ? "\"v1\"" : "",
                           {},
                           0});
        const CachedBody got = cache.get(key, lifetime);
        EXPECT_EQ(got.freshness, step.freshness);
        EXPECT_EQ(got.body.isEmpty(), step.freshness == Freshness::Missing);
        EXPECT_EQ(fixture.count(path), step.upstream_requests);
    }
    // The conditional request carried what the first reply said.
    UpstreamCache again(client, QString::fromStdString(fixture.base()), folder.path());
    again.set_clock([&clock] { return clock + 400000; });
    EXPECT_EQ(again.get(key, lifetime).freshness, Freshness::Fresh);
    EXPECT_EQ(fixture.if_none_match(path), "\"v1\"");
    EXPECT_EQ(fixture.if_modified_since(path), "Tue, 08 Dec 2026 10:52:00 GMT");
    // A new cache on the same folder serves the copy on disk within its lifetime.
    const int before = fixture.count(path);
    UpstreamCache reopened(client, QString::fromStdString(fixture.base()), folder.path());
    reopened.set_clock([&clock] { return clock + 400000; });
    EXPECT_EQ(reopened.get(key, lifetime).freshness, Freshness::Fresh);
    EXPECT_EQ(fixture.count(path), before);
}

TEST(HostLive, ManyClientsAtOnceMakeOneUpstreamFetchAndTheFolderStaysBounded) {
    UpstreamFixture fixture;
    const std::string path = metar_file(QStringLiteral("KSEA"));
    fixture.set(path, {200, "KSEA 081053Z 18008KT 6SM -RA OVC015 09/08 A2975\n", {}, {}, 300});
    QTemporaryDir folder;
    UpstreamClient client;
    UpstreamCache cache(client, QString::fromStdString(fixture.base()), folder.path(), 4096);
    std::atomic<int> fresh{0};
    std::vector<std::thread> clients;
    for (int i = 0; i < 16; ++i)
        clients.emplace_back([&] {
            if (cache.get(QString::fromStdString(path), std::chrono::seconds(300)).freshness ==
                Freshness::Fresh)
                ++fresh;
        });
    for (std::thread& t : clients)
        t.join();
    EXPECT_EQ(fresh, 16);
    EXPECT_EQ(fixture.count(path), 1);

    fixture.set_default({200, std::string(1500, 'x'), {}, {}, 0});
    for (int i = 0; i < 6; ++i)
        cache.get(QStringLiteral("/big/%1").arg(i), std::chrono::seconds(300));
    long long total = 0;
    for (const QFileInfo& f : QDir(folder.path()).entryInfoList(QDir::Files))
        total += f.size();
    EXPECT_LE(total, 4096);
    EXPECT_GT(total, 0);
}

TEST(HostLive, TheProgramServesLivePagesFromTheUpstreamBase) {
    UpstreamFixture fixture;
    struct Place {
        const char* title;
        const char* target;
        const char* report;
        const char* temperature;
        const char* sky;
    };
    const Place places[] = {
        {"Chicago, Illinois", "/US/IL/Chicago.html",
         "KXXX 081051Z 27012G22KT 10SM FEW050 BKN250 M02/M08 A3012 RMK AO2 T10171078", "29",
         "Mostly Cloudy"},
        {"Paris, France", "/global/stations/07150.html",
         "XXXX 081100Z 20012KT CAVOK 08/03 Q1021 NOSIG", "46", "Clear"},
        {"Miami, Florida", "/US/FL/Miami.html", "KXXX 081053Z 09011KT 10SM SCT025 26/21 A3004",
         "79", "Partly Cloudy"},
    };
    for (const Place& p : places) {
        const std::optional<HostPlace> place = host_place_titled(QLatin1String(p.title));
        ASSERT_TRUE(place) << p.title;
        const QStringList stations = metar_stations_for(*place);
        ASSERT_FALSE(stations.isEmpty()) << p.title;
        QString report = QLatin1String(p.report);
        report.replace(0, 4, stations.first());
        fixture.set(metar_file(stations.first()),
                    {200, "2026/12/08 10:51\n" + report.toStdString() + "\n", "\"a\"", {}, 0});
    }

    QTemporaryDir cache_folder;
    QProcess process;
#ifdef Q_OS_LINUX
    process.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
#endif
    process.start(QStringLiteral(NIMBRIX_HOST_PROGRAM),
                  {"--listen", "127.0.0.1:0", "--quiet", "--source", "live", "--upstream-base",
                   QString::fromStdString(fixture.base()), "--cache-dir", cache_folder.path()});
    ASSERT_TRUE(process.waitForStarted(10000));
    while (!process.canReadLine())
        ASSERT_TRUE(process.waitForReadyRead(10000));
    const QString line = QString::fromLatin1(process.readLine()).trimmed();
    const int port = line.mid(line.lastIndexOf(u':') + 1).toInt();
    ASSERT_GT(port, 0) << line.toStdString();

    httplib::Client http("127.0.0.1", port);
    http.set_read_timeout(20, 0);
    for (int round = 0; round < 2; ++round) {
        for (const Place& p : places) {
            SCOPED_TRACE(p.target);
            const auto reply = http.Get(p.target);
            ASSERT_TRUE(reply);
            EXPECT_EQ(reply->status, 200);
            const ConditionsResult r = parse_conditions(
                QString::fromLatin1(reply->body.data(), static_cast<qsizetype>(reply->body.size())),
                QStringLiteral("n"));
            EXPECT_TRUE(r.messages.isEmpty());
            EXPECT_EQ(r.place_name.value_or(QString()), QLatin1String(p.title));
            // The report is hours old by the machine's clock, or fresh: either way not sample.
            const QString heading = r.heading.value_or(QString());
            EXPECT_TRUE(heading.endsWith(live_marker) || heading.endsWith(stale_marker))
                << heading.toStdString();
            EXPECT_EQ(r.labels.lblTemp2, QString(QLatin1String(p.temperature) + degree_f));
            EXPECT_EQ(r.labels.lblsky2, QLatin1String(p.sky));
            // A cache in front may keep it for what is left of the report's five minutes.
            const int max_age = std::stoi(
                reply->get_header_value("Cache-Control").substr(std::string("max-age=").size()));
            EXPECT_GT(max_age, 0);
            EXPECT_LE(max_age, 300);
        }
    }
    // The second round came from the cache.
    EXPECT_EQ(fixture.total(), 3);
    // The bulletins come from the weather service's zone files.
    fixture.set("/data/forecasts/zone/de/dez002.txt",
                {200, "DEZ002-082100-\nKent-\n.TODAY...Sunny.\n$$\n", {}, {}, 0});
    const auto bulletin = http.Get("/iwin/DE/zone.html");
    ASSERT_TRUE(bulletin);
    EXPECT_NE(bulletin->body.find("(live)</h2>"), std::string::npos) << bulletin->body;
    EXPECT_NE(
        bulletin->body.find("\nKENT-\n\nZONE FORECAST PRODUCT\nNational Weather Service\nEXPIRES "),
        std::string::npos)
        << bulletin->body;
    EXPECT_NE(bulletin->body.find("\n\n.TODAY...Sunny.\n\n$$"), std::string::npos)
        << bulletin->body;
    process.terminate();
    EXPECT_TRUE(process.waitForFinished(10000));
}

// nginx in front: the page goes to nimbrix-host once and to the upstream once per lifetime,
// and every client gets the whole page every time (bench/run has the longer, larger run).
TEST(HostLive, AStandardCacheInFrontServesManyClientsFromOneUpstreamFetch) {
    const SharedCacheResult r =
        run_shared_cache(QStringLiteral(NIMBRIX_HOST_PROGRAM), 50, std::chrono::seconds(2));
    if (!r.skipped.empty())
        GTEST_SKIP() << r.skipped;
    ASSERT_TRUE(r.error.empty()) << r.error;
    EXPECT_EQ(r.broken, 0);
    EXPECT_EQ(r.clients_served, 50);
    EXPECT_EQ(r.host_requests, 1);
    EXPECT_EQ(r.upstream_requests, 1);
}
