// Live bulletins against a stand-in of the weather service's file server serving hand-written
// zone files (tests/host/fixtures/nws/): the pages read back through the program's own text
// cleaning and county search, the not-available page, every kind of upstream failure, and the
// page kept for the text products' lifetime.
#include "host_test_support.h"
#include "upstream_fixture.h"

#include "host_site.h"
#include "live/live_products.h"
#include "live/upstream_cache.h"
#include "live/upstream_client.h"
#include "nws_products.h"
#include "textproducts/text_cleaning.h"

#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <memory>

namespace {

const QDateTime now_utc = QDateTime(QDate(2026, 12, 8), QTime(11, 5), QTimeZone::utc());

// Serves every file below the fixture folder at its path: "/data/forecasts/zone/de/dez001.txt".
void serve_zone_files(UpstreamFixture& fixture) {
    const QString root = QStringLiteral(NIMBRIX_NWS_FIXTURES);
    QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories);
    int files = 0;
    while (it.hasNext()) {
        QFile file(it.next());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        fixture.set(file.fileName().mid(root.size()).toStdString(),
                    {200, file.readAll().toStdString(), {}, {}, 0});
        ++files;
    }
    ASSERT_EQ(files, 10);
}

std::size_t log_lines(std::FILE* log) {
    std::fflush(log);
    std::rewind(log);
    std::size_t lines = 0;
    for (int c = std::fgetc(log); c != EOF; c = std::fgetc(log))
        lines += c == '\n' ? 1 : 0;
    return lines;
}

// Counts the requests made, whether or not the server took them.
struct CountingClient : UpstreamClient {
    using UpstreamClient::UpstreamClient;
    UpstreamReply get(const UpstreamRequest& request) override {
        ++asked;
        return UpstreamClient::get(request);
    }
    std::atomic<int> asked{0};
};

// Live bulletins through the site, as nimbrix-host --source live wires them.
struct LiveSite {
    explicit LiveSite(const UpstreamFixture& fixture, UpstreamLimits client_limits = {},
                      LiveTextLimits limits = {})
        : client(client_limits),
          cache(client, QString::fromStdString(fixture.base()), folder.path()), log(std::tmpfile()),
          text(cache, log, limits) {
        cache.set_clock([this] { return clock_ms; });
        site.set_text_source(
            [this](NwsProduct product, const QString& state, const QDateTime& now) {
                return text.page(product, state, now);
            });
    }
    ~LiveSite() { std::fclose(log); }

    HostReply answer(const QString& target, const QDateTime& now) {
        clock_ms = now.toMSecsSinceEpoch();
        return site.answer(request_from_target(target), now);
    }

    QTemporaryDir folder;
    CountingClient client;
    UpstreamCache cache;
    std::FILE* log;
    LiveTextProducts text;
    HostSite site;
    long long clock_ms = 0;
};

} // namespace

TEST(HostLiveText, BulletinsComeFromTheZoneFilesAndTheProgramCutsOutTheCounty) {
    UpstreamFixture fixture;
    serve_zone_files(fixture);
    LiveSite live(fixture);

    struct Row {
        const char* file;
        const char* county; // empty: the whole bulletin
        qsizetype sections; // "$$" in the whole bulletin
        const char* shown;  // in the county's section, or in the bulletin
        const char* absent;
    };
    // clang-format off
    const Row rows[] = {
        // A county line in capitals starts each section, however the file writes its names.
        {"zone.html",        "kent",       3, "\nKENT-\nIncluding the cities of Dover\n",    "Wilmington"},
        {"zone.html",        "new castle", 3, "\nNEW CASTLE-\nIncluding the cities of Wilm", "Dover"},
        // DEZ003 has no file: Sussex is found in the beaches' zone.
        {"zone.html",        "sussex",     3, "\nSUSSEX-\nDelaware Beaches-\n",              "Dover"},
        {"shortterm.html",   "kent",       2, "\nKENT-\nNew Castle-Kent-Cecil",              "Robertson"},
        // The file's second segment names DEZ004 through the range DEZ002>004.
        {"allwarnings.html", "",           1, "\nSUSSEX-\n/O.NEW.KPHI.WI.Y.0031",           "up to 45 mph"},
        // A zone's warnings of both kinds are in its one section.
        {"allwarnings.html", "sussex",     1, "Severe Thunderstorm Warning for...",          "up to 45 mph"},
        // A "<" in the text does not swallow what follows it.
        {"special.html",     "",           1, "1/4 mile at times until about 9 AM",          "DEZ002"},
        // The flood statement has expired.
        {"hydro.html",       "",           1, "The Smyrna River at Smyrna.",                 "Brandywine"},
    };
    // clang-format on
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.file) + " " + row.county);
        const HostReply reply =
            live.answer(QStringLiteral("/iwin/DE/") + QLatin1String(row.file), now_utc);
        ASSERT_EQ(reply.status, 200);
        const QByteArray text = level2_parse(reply.body);
        EXPECT_EQ(text.count("$$"), row.sections);
        EXPECT_FALSE(text.contains("not currently available"));
        QByteArray shown;
        if (*row.county) {
            const CountyCut cut = county_parse(CastKind::Forecast, text, QLatin1String(row.county),
                                               QStringLiteral("DE"));
            EXPECT_TRUE(cut.message.isEmpty()) << cut.message.toStdString();
            shown = cut.text;
        } else {
            shown = parse_warning_html(text, QStringLiteral("DE"));
        }
        EXPECT_TRUE(shown.contains(row.shown)) << shown.constData();
        EXPECT_FALSE(shown.contains(row.absent)) << shown.constData();
    }
    EXPECT_EQ(log_lines(live.log), 0U);

    // Within the text products' lifetime a page asks upstream nothing, not even the zones that
    // had no file; after it, the files are asked for again.
    struct Step {
        int minutes;
        bool asks;
    };
    const int before = fixture.total();
    int last = before;
    for (const Step step : {Step{10, false}, Step{16, true}}) {
        for (const char* file : {"zone.html", "allwarnings.html"})
            live.answer(QStringLiteral("/iwin/DE/") + QLatin1String(file),
                        now_utc.addSecs(step.minutes * 60));
        EXPECT_EQ(fixture.total() > last, step.asks) << step.minutes;
        last = fixture.total();
    }
}

TEST(HostLiveText, BadUpstreamGivesTheNotAvailablePageOrTheSampleBulletinWithANotice) {
    enum class Page { NotAvailable, SampleWithNotice };
    struct Row {
        const char* name;
        const char* target;
        FixtureReply reply;
        Page page;
        std::size_t log_lines;
        long budget_ms = 20000;
        int most_requests = 100;
    };
    const std::string html = "<!DOCTYPE html><html><body><h1>Service Unavailable</h1></body>";
    // clang-format off
    const Row rows[] = {
        {"no nowcast in force",   "/iwin/DE/shortterm.html",   {404, "Not Found", {}, {}, 0},       Page::NotAvailable,     0},
        {"404 for every zone",    "/iwin/DE/zone.html",        {404, "Not Found", {}, {}, 0},       Page::NotAvailable,     1},
        {"empty files",           "/iwin/DE/zone.html",        {200, "", {}, {}, 0},                Page::NotAvailable,     1},
        {"upstream 500",          "/iwin/DE/zone.html",        {500, "Server Error", {}, {}, 0},    Page::SampleWithNotice, 1},
        {"binary body",           "/iwin/DE/zone.html",        {200, std::string("GIF89a\0\x01\x02", 9), {}, {}, 0}, Page::SampleWithNotice, 1},
        {"an HTML error page",    "/iwin/DE/allwarnings.html", {200, html, {}, {}, 0},              Page::SampleWithNotice, 1},
        {"oversized body",        "/iwin/DE/zone.html",        {200, std::string(20000, 'A'), {}, {}, 0}, Page::SampleWithNotice, 1},
        // One round of requests without a reply: the other 14 of New Jersey's 30 zones are not
        // asked for.
        {"slow upstream",         "/iwin/NJ/zone.html",        {200, "NJZ001-081000-\n", {}, {}, 5000}, Page::SampleWithNotice, 1, 20000, 16},
        {"the page's time is up", "/iwin/DE/hydro.html",       {200, "DEZ001-081000-\n", {}, {}, 0}, Page::SampleWithNotice, 1, 0, 0},
    };
    // clang-format on
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        UpstreamFixture fixture;
        fixture.set_default(row.reply);
        UpstreamLimits client_limits;
        client_limits.total_timeout_ms = 300;
        LiveTextLimits limits;
        limits.max_file_bytes = 8192;
        limits.page_budget = std::chrono::milliseconds(row.budget_ms);
        LiveSite live(fixture, client_limits, limits);

        const HostReply reply = live.answer(QLatin1String(row.target), now_utc);
        ASSERT_EQ(reply.status, 200);
        const QByteArray text = level2_parse(reply.body);
        if (row.page == Page::NotAvailable) {
            EXPECT_EQ(parse_warning_html(text, QStringLiteral("DE")),
                      " Sorry, this DE information is not currently available.--- End of File --");
        } else {
            // The sample bulletin, which the program reads, says why it is shown.
            EXPECT_TRUE(text.contains("Live bulletins are not available right now ("))
                << text.constData();
            EXPECT_GT(text.count("$$"), 0);
        }
        EXPECT_EQ(log_lines(live.log), row.log_lines);
        EXPECT_LE(live.client.asked, row.most_requests);
    }
}
