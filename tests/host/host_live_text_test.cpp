// Live bulletins against a stand-in of the weather service's file server and products
// interface serving real products (tests/host/fixtures/nws-products/) and hand-written zone
// forecasts (tests/host/fixtures/nws/): each product in the sections of the zones it names, read
// back through the program's own text cleaning and county search; files and offices that are
// left out; stale copies; the page kept for the text products' lifetime.
#include "host_test_support.h"
#include "upstream_fixture.h"

#include "live/live_products.h"
#include "live/upstream_cache.h"
#include "live/upstream_client.h"
#include "sample/nws_products.h"
#include "site/host_site.h"
#include "textproducts/text_cleaning.h"

#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

const QDateTime now_utc = QDateTime(QDate(2026, 12, 8), QTime(11, 5), QTimeZone::utc());

std::string read_fixture(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        ADD_FAILURE() << "no fixture " << path.toStdString();
    return file.readAll().toStdString();
}

// A real product as the file server keeps it: its "Expires:" line, then the product as issued.
std::string product_file(const char* name, const QDateTime& expires = now_utc.addSecs(6 * 3600)) {
    return "Expires:" + expires.toString(QStringLiteral("yyyyMMddHHmm")).toStdString() +
           ";;100001\n" + read_fixture(QStringLiteral(NIMBRIX_NWS_PRODUCTS) + u'/' + name);
}

// Serves every file below the zone forecast fixtures at its path:
// "/data/forecasts/zone/de/dez001.txt".
void serve_zone_forecasts(UpstreamFixture& fixture) {
    const QString root = QStringLiteral(NIMBRIX_NWS_FIXTURES);
    QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        fixture.set(path.mid(root.size()).toStdString(), {200, read_fixture(path), {}, {}, 0});
    }
}

// Each real product in the file of one or more zones it names, as the file server keeps them.
void serve_real_products(UpstreamFixture& fixture) {
    const struct {
        const char* product;
        const char* path;
    } files[] = {
        {"FFWFFC.txt", "watches_warnings/flash_flood/warning/ga/gaz011"},
        {"heat_advisory_for_tests.txt", "watches_warnings/non_precip/ga/gaz011"},
        {"NPWFFC.txt", "watches_warnings/non_precip/ga/gaz004"},
        {"NPWFFC.txt", "watches_warnings/non_precip/ga/gaz001"},
        {"SVRLMK.txt", "watches_warnings/thunderstorm/in/inz092"},
        {"SVRLMK.txt", "watches_warnings/thunderstorm/ky/kyz031"},
        {"WSWDMX.txt", "watches_warnings/non_precip/ia/iaz006"},
        {"WSWDMX.txt", "watches_warnings/non_precip/ia/iaz049"},
        {"SVSDMX.txt", "watches_warnings/severe_weather_stmt/ia/iaz092"},
        {"FLSDMX.txt", "watches_warnings/flood/warning/ia/iaz094"},
        {"SPSBMX.txt", "watches_warnings/special_weather_stmt/al/alz039"},
        {"WSWOKX.txt", "watches_warnings/non_precip/nj/njz002"},
        {"WSWOKX.txt", "watches_warnings/non_precip/ny/nyz067"},
    };
    for (const auto& f : files)
        fixture.set(std::string("/data/") + f.path + ".txt",
                    {200, product_file(f.product), {}, {}, 0});
}

std::size_t log_lines(std::FILE* log) {
    const std::string text = lines_of(log);
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
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

// Live bulletins through the site, as nimbrix-host --source live wires them: the file server
// and the products interface both at the fixture.
struct LiveSite {
    explicit LiveSite(const UpstreamFixture& fixture, UpstreamLimits client_limits = {},
                      LiveTextLimits limits = {})
        : client(client_limits),
          cache(client, QString::fromStdString(fixture.base()), folder.path()),
          products_api(client, QString::fromStdString(fixture.base()),
                       folder.path() + QStringLiteral("/api")),
          log(std::tmpfile()), text(cache, log, limits, &products_api) {
        cache.set_clock([this] { return clock_ms.load(); });
        products_api.set_clock([this] { return clock_ms.load(); });
        site.set_text_source(
            [this](NwsProduct product, const QString& state, const QDateTime& now) {
                return text.page(product, state, now);
            });
    }
    ~LiveSite() { std::fclose(log); }

    // The page as the program cleans it.
    QByteArray cleaned(const QString& target, const QDateTime& now = now_utc) {
        clock_ms = now.toMSecsSinceEpoch();
        const HostReply reply = site.answer(request_from_target(target), now);
        EXPECT_EQ(reply.status, 200) << target.toStdString();
        return level2_parse(reply.body);
    }

    QTemporaryDir folder;
    CountingClient client;
    UpstreamCache cache;
    UpstreamCache products_api;
    std::FILE* log;
    LiveTextProducts text;
    HostSite site;
    std::atomic<long long> clock_ms{0};
};

// The section of a zone: from its code line up to its "$$"; empty when the page has none.
QByteArray section_of(const QByteArray& text, const char* zone) {
    const qsizetype start = text.indexOf(QByteArray(QByteArray("\n") + zone + '-'));
    if (start < 0)
        return {};
    const qsizetype end = text.indexOf("$$", start);
    return text.mid(start, end < 0 ? -1 : end - start);
}

} // namespace

TEST(HostLiveText, RealProductsLandInTheZonesTheyNameAndTheProgramFindsTheCounty) {
    UpstreamFixture fixture;
    serve_real_products(fixture);
    serve_zone_forecasts(fixture);
    LiveSite live(fixture);

    struct Row {
        const char* page;
        const char* heading; // the product's name line in each of its sections
        std::vector<const char*> zones;
        const char* words;  // a run of the product's lines as issued, once in each section
        const char* county; // the program's county search finds this county's section
        const char* expires = "2026-12-08 17:05"; // its file's "Expires:" time
    };
    // clang-format off
    const Row rows[] = {
        // Issued for county GAC055, which is Chattooga's zone.
        {"/iwin/GA/allwarnings.html", "FLASH FLOOD WARNING", {"GAZ011"},
         "Turn around, don't drown when encountering flooded roads. Most flood\ndeaths occur in vehicles.", "chattooga"},
        // The same zone has the heat advisory too; the same product in two zones' files counts once.
        {"/iwin/GA/allwarnings.html", "URGENT - WEATHER MESSAGE", {"GAZ001", "GAZ002", "GAZ003", "GAZ011", "GAZ016", "GAZ019"},
         "...HEAT ADVISORY IN EFFECT FROM NOON TODAY TO 8 PM EDT THIS\nEVENING...", "dade"},
        {"/iwin/GA/allwarnings.html", "URGENT - WEATHER MESSAGE",
         {"GAZ004", "GAZ005", "GAZ006", "GAZ007", "GAZ008", "GAZ009", "GAZ012", "GAZ013", "GAZ014", "GAZ015", "GAZ020"},
         "...HIGH WIND WARNING IN EFFECT UNTIL NOON EDT TODAY...", "whitfield"},
        // One zone line names counties of two states; the zone line stands before the name.
        {"/iwin/IN/allwarnings.html", "SEVERE THUNDERSTORM WARNING", {"INZ092"},
         "* THE SEVERE THUNDERSTORM WILL ALSO IMPACT...\n   WESTPORT...", "clark"},
        {"/iwin/KY/allwarnings.html", "SEVERE THUNDERSTORM WARNING", {"KYZ031", "KYZ032", "KYZ033"},
         "* UNTIL 615 PM EDT", "oldham"},
        // An overview before the segments, ranges such as 025>028.
        {"/iwin/IA/allwarnings.html", "URGENT - WINTER WEATHER MESSAGE",
         {"IAZ006", "IAZ007", "IAZ016", "IAZ017", "IAZ025", "IAZ026", "IAZ027", "IAZ028", "IAZ037", "IAZ038", "IAZ039"},
         "...WINTER STORM WARNING IN EFFECT FROM 6 AM SUNDAY TO MIDNIGHT\nCST SUNDAY NIGHT...", "winnebago"},
        {"/iwin/IA/allwarnings.html", "URGENT - WINTER WEATHER MESSAGE", {"IAZ050"},
         "...FREEZING RAIN ADVISORY IN EFFECT FROM 6 AM TO 3 PM CST\nSUNDAY...", "tama"},
        {"/iwin/IA/allwarnings.html", "SEVERE WEATHER STATEMENT", {"IAZ093"},
         "...A SEVERE THUNDERSTORM WARNING REMAINS IN EFFECT UNTIL 1045 PM CDT\nFOR SOUTHERN RINGGOLD COUNTY...", "ringgold"},
        {"/iwin/IA/hydro.html", "FLOOD WARNING", {"IAZ084", "IAZ095"},
         "THE CHARITON RIVER NEAR CHARITON...OR FROM WOLF CREEK...TO RATHBUN", "wayne"},
        {"/iwin/AL/special.html", "SPECIAL WEATHER STATEMENT", {"ALZ039"},
         "Winds in excess of 40 mph will be possible with this storm.", "marengo"},
        // Zones of three states on one line: each state's page has its own.
        {"/iwin/NJ/allwarnings.html", "URGENT - WINTER WEATHER MESSAGE", {"NJZ002", "NJZ004", "NJZ103", "NJZ104"},
         "* WIND CHILLS...AS LOW AS 15 TO 20 BELOW DUE TO TEMPERATURES IN", "passaic"},
        {"/iwin/NY/allwarnings.html", "URGENT - WINTER WEATHER MESSAGE", {"NYZ067", "NYZ068", "NYZ069", "NYZ070", "NYZ071"},
         "...WIND CHILL ADVISORY IN EFFECT FROM MIDNIGHT TONIGHT TO NOON\nEST SATURDAY...", "putnam"},
        // Forecasts in every zone's file.
        {"/iwin/DE/zone.html", "ZONE FORECAST PRODUCT", {"DEZ002"},
         ".TODAY...Partly sunny. Highs in the mid 40s. Northwest winds 10 to", "kent", "2026-12-08 21:00"},
        {"/iwin/DE/shortterm.html", "SHORT TERM FORECAST", {"DEZ001", "DEZ002"},
         "Areas of fog will continue across northern Delaware and the", "new castle", "2026-12-08 13:00"},
    };
    // clang-format on
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.page) + " " + row.zones.front());
        const QByteArray text = live.cleaned(QLatin1String(row.page));
        const QString state = QLatin1String(row.page).mid(6, 2);
        EXPECT_TRUE(text.contains(" (live)\n")) << text.left(200).constData();
        // Each zone's section names the product, says when it ends and keeps its words once;
        // no other zone has them.
        EXPECT_EQ(text.count(row.words), static_cast<qsizetype>(row.zones.size()));
        for (const char* zone : row.zones) {
            const QByteArray section = section_of(text, zone);
            const QByteArray named =
                QByteArray("\n\n") + row.heading + "\nNational Weather Service";
            const QByteArray ends = QByteArray("\nEXPIRES ") + row.expires + " UTC (";
            EXPECT_TRUE(section.contains(named) && section.contains(ends)) << zone << "\n"
                                                                           << section.constData();
            EXPECT_EQ(section.count(row.words), 1) << zone << "\n" << section.constData();
        }
        // What the program shows: the whole page for the warnings, the county's section for
        // its search.
        EXPECT_TRUE(parse_warning_html(text, state).contains(row.words));
        const CountyCut cut =
            county_parse(CastKind::Forecast, text, QLatin1String(row.county), state);
        EXPECT_TRUE(cut.message.isEmpty()) << cut.message.toStdString();
        const QByteArray county_line = '\n' + QByteArray(row.county).toUpper() + "-\n";
        EXPECT_TRUE(cut.text.startsWith(county_line)) << cut.text.left(200).constData();
        EXPECT_TRUE(cut.text.contains(row.words)) << cut.text.constData();
    }
    EXPECT_EQ(log_lines(live.log), 0U);
}

TEST(HostLiveText, ABadFileIsLeftOutWithOneLogLineAndThePageIsMadeFromTheRest) {
    // Georgia's wind advisory would stand in the section of the zone whose file holds it.
    const std::string wind = product_file("NPWFFC.txt");
    std::string unparsable = wind;
    unparsable.replace(unparsable.find("GAZ004>009"), 10, "GAZ004>0X9");
    struct Row {
        const char* name;
        std::string body;
    };
    const Row rows[] = {
        {"an HTML error page",
         "<!DOCTYPE html><html><body><h1>Service Unavailable</h1></body></html>"},
        {"binary", std::string("GIF89a\0\x01\x02WIND ADVISORY", 22)},
        {"empty", ""},
        {"enormous", std::string(70000, 'W') + "\nWIND ADVISORY\n"},
        {"expired by its Expires line", product_file("NPWFFC.txt", now_utc.addSecs(-60))},
        {"a zone line that does not parse", unparsable},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        UpstreamFixture fixture;
        fixture.set("/data/watches_warnings/non_precip/ct/ctz005.txt",
                    {200, product_file("WSWOKX.txt"), {}, {}, 0});
        fixture.set("/data/watches_warnings/severe_weather_stmt/ct/ctz005.txt",
                    {200, row.body, {}, {}, 0});
        LiveTextLimits limits;
        limits.max_file_bytes = 64 * 1024;
        LiveSite live(fixture, {}, limits);

        const QByteArray text = live.cleaned(QStringLiteral("/iwin/CT/allwarnings.html"));
        EXPECT_TRUE(section_of(text, "CTZ005").contains("\nURGENT - WINTER WEATHER MESSAGE\n"))
            << text.constData();
        EXPECT_EQ(text.count("$$"), 5);
        EXPECT_FALSE(text.contains("WIND ADVISORY"));
        const std::string log = lines_of(live.log);
        EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
        EXPECT_NE(log.find("severe_weather_stmt/ct/ctz005.txt: left out, "), std::string::npos)
            << log;
    }
}

TEST(HostLiveText, UpstreamFailuresGiveTheNotAvailablePageOrTheSampleBulletinWithANotice) {
    enum class Page { NotAvailable, SampleWithNotice };
    struct Row {
        const char* name;
        const char* target;
        FixtureReply reply;
        Page page;
        std::size_t log_lines;
        long budget_ms = 20000;
        int most_requests = 200;
    };
    // clang-format off
    const Row rows[] = {
        {"no nowcast in force",   "/iwin/DE/shortterm.html",   {404, "Not Found", {}, {}, 0},       Page::NotAvailable,     0},
        {"404 for every zone",    "/iwin/DE/zone.html",        {404, "Not Found", {}, {}, 0},       Page::NotAvailable,     1},
        {"empty files",           "/iwin/DE/zone.html",        {200, "", {}, {}, 0},                Page::SampleWithNotice, 1},
        {"upstream 500",          "/iwin/DE/allwarnings.html", {500, "Server Error", {}, {}, 0},    Page::SampleWithNotice, 1},
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
        limits.page_budget = std::chrono::milliseconds(row.budget_ms);
        LiveSite live(fixture, client_limits, limits);

        const QByteArray text = live.cleaned(QLatin1String(row.target));
        if (row.page == Page::NotAvailable) {
            EXPECT_EQ(parse_warning_html(text, QStringLiteral("DE")),
                      " Sorry, this DE information is not currently available.--- End of File --");
        } else {
            // The sample bulletin, which the program reads, says why it is shown.
            EXPECT_TRUE(text.contains("Live bulletins are not available right now ("))
                << text.constData();
            EXPECT_TRUE(text.contains(" (sample data)\n"));
            EXPECT_GT(text.count("$$"), 0);
        }
        EXPECT_EQ(log_lines(live.log), row.log_lines);
        EXPECT_LE(live.client.asked, row.most_requests);
    }
}

TEST(HostLiveText, PublicInformationIsEachOfficesLatestStatementFromTheProductsInterface) {
    // Iowa's zones are served by several offices; two zone forecasts name theirs.
    const auto zone_forecast = [](const char* office, const char* zone) {
        return std::string("FPUS53 K") + office + " 080900\nZFP" + office +
               "\n\nZone Forecast Product\nNational Weather Service\n300 AM CST TUE DEC 8 "
               "2026\n\n" +
               zone + "-082100-\n.TODAY...Sunny.\n$$\n";
    };
    const auto list = [](const char* id, const char* issued) {
        return std::string(R"({"@graph": [{"id": ")") + id + R"(", "issuanceTime": ")" + issued +
               R"(", "productCode": "PNS"}, {"id": "older-1", "issuanceTime": "2026-11-02T10:00:00+00:00"}]})";
    };
    const auto statement = [](const char* office, const char* words) {
        return std::string(R"({"productText": "000 \nNOUS43 K)") + office + " 071500\nPNS" +
               office + R"(\n\nPublic Information Statement\n)" + words + R"(\n\n$$\n"})";
    };
    const std::string dmx_words = "...SNOWFALL REPORTS FROM CENTRAL IOWA...";
    const std::string fsd_words = "...RIVER ICE REPORTS FROM NORTHWEST IOWA...";
    struct Row {
        const char* name;
        FixtureReply fsd_list;
        FixtureReply fsd_statement;
        bool dmx_recent;
        bool shows_fsd;
        std::size_t log_lines;
    };
    const FixtureReply fsd_list{200, list("fsd-1", "2026-12-08T09:00:00+00:00"), {}, {}, 0};
    const FixtureReply fsd_text{200, statement("FSD", fsd_words.c_str()), {}, {}, 0};
    // clang-format off
    const Row rows[] = {
        {"both offices",            fsd_list,                            fsd_text,                           true,  true,  0},
        {"403 for the list",        {403, "Forbidden", {}, {}, 0},       fsd_text,                           true,  false, 1},
        {"503 for the list",        {503, "Unavailable", {}, {}, 0},     fsd_text,                           true,  false, 1},
        {"malformed JSON",          {200, "{\"@graph\": [", {}, {}, 0},  fsd_text,                           true,  false, 1},
        {"a statement without text", fsd_list,                           {200, R"({"productText": ""})", {}, {}, 0}, true, false, 1},
        {"older than seven days",   {200, list("fsd-1", "2026-11-30T09:00:00+00:00"), {}, {}, 0}, fsd_text, true, false, 0},
        {"none left",               {200, list("fsd-1", "2026-11-30T09:00:00+00:00"), {}, {}, 0}, fsd_text, false, false, 0},
    };
    // clang-format on
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        UpstreamFixture fixture;
        fixture.set("/data/forecasts/zone/ia/iaz006.txt",
                    {200, zone_forecast("DMX", "IAZ006"), {}, {}, 0});
        fixture.set("/data/forecasts/zone/ia/iaz001.txt",
                    {200, zone_forecast("FSD", "IAZ001"), {}, {}, 0});
        fixture.set("/products/types/PNS/locations/DMX",
                    {200,
                     list("dmx-1", row.dmx_recent ? "2026-12-07T15:00:00+00:00"
                                                  : "2026-11-20T15:00:00+00:00"),
                     {},
                     {},
                     0});
        fixture.set("/products/dmx-1", {200, statement("DMX", dmx_words.c_str()), {}, {}, 0});
        fixture.set("/products/types/PNS/locations/FSD", row.fsd_list);
        fixture.set("/products/fsd-1", row.fsd_statement);
        LiveSite live(fixture);

        const QByteArray shown = parse_warning_html(
            live.cleaned(QStringLiteral("/iwin/IA/public.html")), QStringLiteral("IA"));
        if (row.dmx_recent) {
            EXPECT_TRUE(shown.startsWith("Iowa Public Information (live)")) << shown.constData();
            EXPECT_TRUE(shown.contains("PNSDMX\n\nPublic Information Statement\n" + dmx_words))
                << shown.constData();
        } else {
            EXPECT_EQ(shown,
                      " Sorry, this IA information is not currently available.--- End of File --");
        }
        EXPECT_EQ(shown.contains(fsd_words), row.shows_fsd) << shown.constData();
        EXPECT_EQ(log_lines(live.log), row.log_lines) << lines_of(live.log);
    }
}

TEST(HostLiveText, APageIsKeptForItsLifetimeAndSaysStaleWhenOnlyOldCopiesAreLeft) {
    const std::string flood = "/data/watches_warnings/flash_flood/warning/ga/gaz011.txt";
    UpstreamFixture fixture;
    fixture.set(flood, {200, product_file("FFWFFC.txt", now_utc.addDays(1)), {}, {}, 0});
    UpstreamLimits client_limits;
    client_limits.total_timeout_ms = 300;
    LiveSite live(fixture, client_limits);

    enum class Upstream { Answers, Fails, Silent };
    struct Step {
        int minutes;
        Upstream upstream;
        bool asks;
        const char* heading;
    };
    // clang-format off
    const Step steps[] = {
        {0,  Upstream::Answers, true,  "Georgia Warnings and Advisories (live)\n"},
        // Within the text products' lifetime a page asks upstream nothing, not even the zones
        // that had no file.
        {10, Upstream::Answers, false, "Georgia Warnings and Advisories (live)\n"},
        {16, Upstream::Answers, true,  "Georgia Warnings and Advisories (live)\n"},
        // Upstream down: the copy of 16 minutes ago stands in, and the heading says so.
        {40, Upstream::Fails,   true,  "Georgia Warnings and Advisories (stale)\n"},
        // No reply at all: after one round of requests the rest of the page comes from the
        // copies kept.
        {64, Upstream::Silent,  true,  "Georgia Warnings and Advisories (stale)\n"},
    };
    // clang-format on
    int last = fixture.total();
    for (const Step& step : steps) {
        SCOPED_TRACE(step.minutes);
        if (step.upstream != Upstream::Answers) {
            const FixtureReply reply{
                500, "Server Error", {}, {}, step.upstream == Upstream::Silent ? 5000 : 0};
            fixture.set_default(reply);
            fixture.set(flood, reply);
        }
        const QByteArray shown =
            parse_warning_html(live.cleaned(QStringLiteral("/iwin/GA/allwarnings.html"),
                                            now_utc.addSecs(step.minutes * 60)),
                               QStringLiteral("GA"));
        EXPECT_TRUE(shown.contains(step.heading)) << shown.left(300).constData();
        EXPECT_TRUE(shown.contains("\nFLASH FLOOD WARNING\nNational Weather Service "));
        EXPECT_EQ(fixture.total() > last, step.asks);
        last = fixture.total();
    }
    EXPECT_EQ(log_lines(live.log), 2U) << lines_of(live.log);
    // Georgia's 168 zones have 840 files; the silent upstream got no more than the requests of
    // one round (each of the 8 threads may start a second before the first ones time out).
    EXPECT_LE(live.client.asked, 3 * 840 + 16);
}
