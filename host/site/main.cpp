// nimbrix-host: plays every outside host of Nimbrix on this machine.

#include "live/live_conditions.h"
#include "live/live_images.h"
#include "live/live_products.h"
#include "live/upstream_cache.h"
#include "live/upstream_client.h"
#include "sample/conditions_page.h"
#include "site/host_server.h"
#include "site/host_site.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QGuiApplication>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QTimeZone>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include <csignal>
#ifndef _WIN32
#include <pthread.h>
#endif

namespace {

const char* const usage_text =
    "Usage: nimbrix-host [options]\n"
    "Plays the outside hosts of Nimbrix on this machine, with made-up sample data or with\n"
    "current weather from public US government services.\n"
    "\n"
    "Options:\n"
    "  --source MODE       sample (default): made-up values; live: conditions from the\n"
    "                      latest report of the place's observing station, the weather\n"
    "                      service's bulletins from its zone files and its products\n"
    "                      interface, and the US radar, satellite and outlook pictures\n"
    "                      from the weather service's radar mosaic, GOES-East and the\n"
    "                      Climate Prediction Center; auto: as live\n"
    "                      (a request whose upstream cannot be reached gets the sample page\n"
    "                      or picture, in both)\n"
    "  --upstream-base URL send every upstream request to URL, keeping its path (default\n"
    "                      https://tgftp.nws.noaa.gov, https://api.weather.gov,\n"
    "                      https://radar.weather.gov, https://cdn.star.nesdis.noaa.gov,\n"
    "                      https://www.cpc.ncep.noaa.gov)\n"
    "  --cache-dir DIR     where upstream replies are kept (default: the user's cache folder)\n"
    "  --contact TEXT      who runs this host, named in the User-Agent of upstream requests\n"
    "                      (an e-mail address or web site)\n"
    "  --listen HOST:PORT  address to serve on (default 127.0.0.1:8079); port 0 takes a free\n"
    "                      port; the address served on is printed on standard output\n"
    "  --quiet             no log line per request on standard error\n"
    "  --page TARGET       print the reply body for TARGET (for example\n"
    "                      /US/IL/Chicago.html or\n"
    "                      \"/cgi-bin/findweather/getForecast?query=60601\") and exit;\n"
    "                      the exit status is 1 when the reply is not 200\n"
    "  --at TIME           with --page: the UTC hour to make the page for, as\n"
    "                      YYYY-MM-DDTHH or an ISO date and time (default: now)\n"
    "  --published-version VERSION\n"
    "                      the latest version the maker's version file names\n"
    "                      (default 1.30.7.2)\n"
    "  --small-radar       answer the Purdue radar /radar/rad_comp.gif with a small \"not\n"
    "                      available\" picture without a length, as that host did while its\n"
    "                      composite was missing, so that Nimbrix falls back to\n"
    "                      /radar/previous/rad_comp-2.gif (for trying that path)\n"
    "  --version           print the version and exit\n"
    "  --help              print this text and exit\n"
    "\n"
    "Paths served: /US/<ST>/<City>.html, /global/stations/<number>.html,\n"
    "/cgi-bin/findweather/getForecast?query=<zip>, /assets/NimbrixCount.txt,\n"
    "/assets/nimbrixvs.txt, / (a page about Nimbrix linking to every state's city\n"
    "pages), /iwin/<ST>/{zone,shortterm,public,allwarnings,special,hydro}.html,\n"
    "/statab/ranks/pg20.txt, /statab/ranks/pg18.txt, /cdrom/lookup/.../SEL=<selection>/...,\n"
    "every image path of the image menus (GIF or JPEG files; a camera's JPEG\n"
    "takes ?size=WxH up to 4000x3000, e.g. /recent0.jpg?size=2560x1600); anything else\n"
    "is a 404 page.\n";

const char* const default_upstream_base = "https://tgftp.nws.noaa.gov";
const char* const default_products_api = "https://api.weather.gov";

enum class Source { Sample, Live, Auto };

struct Options {
    Source source = Source::Sample;
    QString upstream_base = QString::fromLatin1(default_upstream_base);
    bool upstream_base_given = false;
    QString cache_dir;
    QByteArray contact = default_upstream_contact;
    std::string host = "127.0.0.1";
    int port = 8079;
    bool quiet = false;
    bool page_mode = false;
    QString page_target;
    QDateTime at;
    QString published_version = default_published_version;
    bool small_radar = false;
};

int usage_error(const std::string& message) {
    std::fprintf(stderr, "nimbrix-host: %s\n%s", message.c_str(), usage_text);
    return 2;
}

bool parse_listen(const QString& text, Options& options) {
    const qsizetype colon = text.lastIndexOf(u':');
    if (colon <= 0)
        return false;
    bool ok = false;
    const int port = text.mid(colon + 1).toInt(&ok);
    if (!ok || port < 0 || port > 65535)
        return false;
    options.host = text.left(colon).toStdString();
    options.port = port;
    return true;
}

// "2026-01-05T15" (or any ISO date and time) read as a UTC wall-clock time.
QDateTime parse_hour(const QString& text) {
    const QDate date = QDate::fromString(text.left(10), Qt::ISODate);
    const QString rest = text.mid(10);
    bool ok = false;
    const int hour = rest.mid(1).toInt(&ok);
    if (date.isValid() && rest.size() == 3 && rest[0] == u'T' && ok && hour >= 0 && hour < 24)
        return QDateTime(date, QTime(hour, 0), QTimeZone::utc());
    const QDateTime t = QDateTime::fromString(text, Qt::ISODate);
    if (!t.isValid())
        return {};
    return t.timeSpec() == Qt::LocalTime ? QDateTime(t.date(), t.time(), QTimeZone::utc())
                                         : t.toUTC();
}

// An option that takes a value: what it does with the value, and its usage error (nothing
// when the value is right).
struct ValueOption {
    const char* name;
    const char* (*take)(const char* value, Options& options);
};

const ValueOption value_options[] = {
    {"--listen",
     [](const char* value, Options& options) -> const char* {
         return parse_listen(QString::fromLocal8Bit(value), options) ? nullptr
                                                                     : "--listen wants HOST:PORT";
     }},
    {"--page",
     [](const char* value, Options& options) -> const char* {
         options.page_mode = true;
         options.page_target = QString::fromLocal8Bit(value);
         return nullptr;
     }},
    {"--source",
     [](const char* value, Options& options) -> const char* {
         const QString mode = QString::fromLocal8Bit(value);
         if (mode == u"sample")
             options.source = Source::Sample;
         else if (mode == u"live")
             options.source = Source::Live;
         else if (mode == u"auto")
             options.source = Source::Auto;
         else
             return "--source wants sample, live or auto";
         return nullptr;
     }},
    {"--upstream-base",
     [](const char* value, Options& options) -> const char* {
         options.upstream_base = QString::fromLocal8Bit(value);
         options.upstream_base_given = true;
         if (!options.upstream_base.startsWith(u"http://") &&
             !options.upstream_base.startsWith(u"https://"))
             return "--upstream-base wants an http:// or https:// address";
         return nullptr;
     }},
    {"--cache-dir",
     [](const char* value, Options& options) -> const char* {
         options.cache_dir = QString::fromLocal8Bit(value);
         return nullptr;
     }},
    {"--contact",
     [](const char* value, Options& options) -> const char* {
         options.contact = QByteArray(value).simplified();
         return nullptr;
     }},
    {"--published-version",
     [](const char* value, Options& options) -> const char* {
         options.published_version = QString::fromLocal8Bit(value);
         if (options.published_version.isEmpty())
             return "--published-version wants a version such as 1.31.0.0";
         return nullptr;
     }},
    {"--at",
     [](const char* value, Options& options) -> const char* {
         options.at = parse_hour(QString::fromLocal8Bit(value));
         if (!options.at.isValid())
             return "--at wants a UTC hour such as 2026-01-05T15";
         return nullptr;
     }},
};

// Reads the command line into options. An exit status when the program ends here: the help
// text or the version was asked for, or an option is wrong.
std::optional<int> read_options(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (arg == u"--help" || arg == u"-h") {
            std::fputs(usage_text, stdout);
            return 0;
        }
        if (arg == u"--version") {
            std::printf("nimbrix-host %s\n", NIMBRIX_VERSION);
            return 0;
        }
        if (arg == u"--quiet") {
            options.quiet = true;
            continue;
        }
        if (arg == u"--small-radar") {
            options.small_radar = true;
            continue;
        }
        const auto option = std::find_if(std::begin(value_options), std::end(value_options),
                                         [&](const ValueOption& o) { return arg == o.name; });
        if (option == std::end(value_options) || i + 1 >= argc)
            return usage_error("unknown option " + arg.toStdString());
        if (const char* error = option->take(argv[++i], options))
            return usage_error(error);
    }
    return std::nullopt;
}

// The live sources and what they fetch with, kept while the site serves.
struct LiveSources {
    std::unique_ptr<UpstreamClient> client;
    std::unique_ptr<UpstreamCache> cache;
    std::unique_ptr<UpstreamCache> products_api;
    std::unique_ptr<LiveConditions> conditions;
    std::unique_ptr<LiveTextProducts> text;
    std::unique_ptr<UpstreamClient> image_client;
    std::unique_ptr<LiveImages> images;
};

// Hands the site's conditions pages, bulletins and pictures to the live sources.
void use_live_sources(HostSite& site, Options& options, LiveSources& live) {
    if (options.cache_dir.isEmpty()) {
        QCoreApplication::setApplicationName(QStringLiteral("nimbrix-host"));
        options.cache_dir = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    }
    UpstreamLimits limits;
    limits.contact = options.contact;
    live.client = std::make_unique<UpstreamClient>(limits);
    live.cache =
        std::make_unique<UpstreamCache>(*live.client, options.upstream_base, options.cache_dir);
    live.conditions = std::make_unique<LiveConditions>(*live.cache, stderr);
    site.set_conditions_source(
        [conditions = live.conditions.get()](const HostPlace& place, const QDateTime& now) {
            return conditions->page(place, now);
        });
    // The products interface's replies in a folder of their own.
    live.products_api = std::make_unique<UpstreamCache>(
        *live.client,
        options.upstream_base_given ? options.upstream_base
                                    : QString::fromLatin1(default_products_api),
        options.cache_dir + QStringLiteral("/products-api"));
    live.text = std::make_unique<LiveTextProducts>(*live.cache, stderr, LiveTextLimits{},
                                                   live.products_api.get());
    site.set_text_source(
        [text = live.text.get()](NwsProduct product, const QString& state, const QDateTime& now) {
            return text->page(product, state, now);
        });
    // Pictures are larger and slower than reports.
    UpstreamLimits image_limits = limits;
    image_limits.max_body_bytes = live_image_max_bytes;
    image_limits.total_timeout_ms = 60000;
    live.image_client = std::make_unique<UpstreamClient>(image_limits);
    live.images = std::make_unique<LiveImages>(
        *live.image_client, options.upstream_base_given ? options.upstream_base : QString(),
        options.cache_dir, stderr);
    site.set_image_source(
        [images = live.images.get()](const HostRequest& request, const QDateTime& now) {
            return images->reply(request, now);
        });
}

int print_page(HostSite& site, const Options& options) {
    const QDateTime when = options.at.isValid() ? options.at : QDateTime::currentDateTimeUtc();
    const HostReply reply = site.answer(request_from_target(options.page_target), when);
    std::fwrite(reply.body.constData(), 1, static_cast<std::size_t>(reply.body.size()), stdout);
    std::fflush(stdout);
    if (reply.status != 200) {
        std::fprintf(stderr, "nimbrix-host: status %d\n", reply.status);
        return 1;
    }
    return 0;
}

#ifndef _WIN32
// SIGINT and SIGTERM are blocked in every thread and taken by one waiting thread, which stops
// the server; the main thread wakes it with SIGTERM when the server ends on its own. A shell
// starts background jobs with SIGINT ignored; the host still stops on it.
int serve(HostServer& server) {
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    std::atomic<bool> finished{false};
    std::thread waiter([&] {
        int signal_number = 0;
        sigwait(&signals, &signal_number);
        if (!finished)
            std::fprintf(stderr, "nimbrix-host: stopping\n");
        server.stop();
    });
    const bool served = server.run();
    finished = true;
    pthread_kill(waiter.native_handle(), SIGTERM);
    waiter.join();
    return served ? 0 : 1;
}
#else
HostServer* running_server = nullptr;

extern "C" void on_stop_signal(int) {
    if (running_server)
        running_server->stop();
}

int serve(HostServer& server) {
    running_server = &server;
    std::signal(SIGINT, on_stop_signal);
    std::signal(SIGTERM, on_stop_signal);
    const bool served = server.run();
    running_server = nullptr;
    return served ? 0 : 1;
}
#endif

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (const std::optional<int> status = read_options(argc, argv, options))
        return *status;

    // The pictures are drawn with QPainter, whose text needs a GUI application; the host
    // needs no display.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    HostSite site(options.published_version);
    site.set_small_radar(options.small_radar);
    LiveSources live;
    if (options.source != Source::Sample)
        use_live_sources(site, options, live);
    if (options.page_mode)
        return print_page(site, options);

    HostServer server(site, options.quiet ? nullptr : stderr);
    const int port = server.bind(options.host, options.port);
    if (port < 0) {
        std::fprintf(stderr, "nimbrix-host: cannot listen on %s:%d: %s\n", options.host.c_str(),
                     options.port, server.bind_error().c_str());
        return 1;
    }
    std::printf("nimbrix-host listening on %s:%d\n", options.host.c_str(), port);
    std::fflush(stdout);
    return serve(server);
}
