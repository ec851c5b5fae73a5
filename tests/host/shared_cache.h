#pragma once

// nimbrix-host in live mode behind nginx's proxy cache, all on loopback: a stand-in upstream
// serving one METAR report, nimbrix-host started as a child with its own cache folder, nginx
// started as a child with its own configuration, prefix and temporary folders (not as a system
// service) on a free port, then many clients asking nginx for the same live page at once for a
// while. Shared by the host tests (a short run) and bench/run (the full one).

#include "upstream_fixture.h"

#include "live/live_conditions.h"
#include "live/observing_stations.h"
#include "sample/host_places.h"

#include <QDateTime>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <httplib.h>

#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

struct SharedCacheResult {
    std::string skipped;       // why it could not run (nginx is missing); empty when it ran
    std::string error;         // what went wrong setting it up
    long long whole = 0;       // replies that were the whole page
    long long broken = 0;      // replies that failed or were not the whole page
    int clients_served = 0;    // clients that got at least one reply, all of them whole
    int upstream_requests = 0; // requests the upstream got
    int host_requests = 0;     // requests nginx passed on to nimbrix-host
};

namespace shared_cache_detail {

inline const char* const target = "/US/IL/Chicago.html";

// A free port of 127.0.0.1 for nginx, which cannot be told to take any port.
inline int free_port() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = -1;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    ::close(fd);
    return port;
}

inline bool accepts(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return ok;
}

inline QByteArray nginx_config(const QString& dir, int port, int host_port) {
    QByteArray conf = R"(daemon off;
master_process off;
worker_processes 1;
pid DIR/nginx.pid;
error_log DIR/error.log warn;
events { worker_connections 4096; }
http {
    access_log off;
    client_body_temp_path DIR/client_body;
    proxy_temp_path DIR/proxy;
    fastcgi_temp_path DIR/fastcgi;
    uwsgi_temp_path DIR/uwsgi;
    scgi_temp_path DIR/scgi;
    proxy_cache_path DIR/cache levels=1:2 keys_zone=nimbrix:10m max_size=256m inactive=1h
                     use_temp_path=off;
    server {
        listen 127.0.0.1:PORT;
        location / {
            proxy_pass http://127.0.0.1:HOST_PORT;
            proxy_cache nimbrix;
            proxy_cache_lock on;
            proxy_cache_lock_timeout 30s;
            proxy_cache_revalidate on;
            proxy_cache_use_stale error timeout updating;
        }
    }
}
)";
    return conf.replace("DIR", dir.toUtf8())
        .replace("HOST_PORT", QByteArray::number(host_port))
        .replace("PORT", QByteArray::number(port));
}

// nimbrix-host's port from its "listening on" line; -1 when it did not start.
inline int start_host(QProcess& host, const QString& program, const QStringList& arguments) {
    host.start(program, arguments);
    if (!host.waitForStarted(10000))
        return -1;
    while (!host.canReadLine())
        if (!host.waitForReadyRead(20000))
            return -1;
    const QString line = QString::fromLatin1(host.readLine()).trimmed();
    return line.mid(line.lastIndexOf(u':') + 1).toInt();
}

// The clients: each asks for the page again and again until the deadline.
inline void run_clients(int port, const std::string& page, int clients,
                        std::chrono::milliseconds duration, SharedCacheResult& result) {
    std::atomic<long long> whole{0};
    std::atomic<long long> broken{0};
    std::atomic<int> served{0};
    const auto deadline = std::chrono::steady_clock::now() + duration;
    std::vector<std::thread> threads;
    for (int c = 0; c < clients; ++c)
        threads.emplace_back([&] {
            httplib::Client client("127.0.0.1", port);
            client.set_read_timeout(30, 0);
            long long good = 0;
            long long bad = 0;
            while (std::chrono::steady_clock::now() < deadline) {
                const auto reply = client.Get(target);
                if (reply && reply->status == 200 && reply->body == page)
                    ++good;
                else
                    ++bad;
            }
            whole += good;
            broken += bad;
            if (good > 0 && bad == 0)
                ++served;
        });
    for (std::thread& t : threads)
        t.join();
    result.whole = whole;
    result.broken = broken;
    result.clients_served = served;
}

inline int count_lines(const QString& file, const QByteArray& needle) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    return static_cast<int>(f.readAll().count(needle));
}

} // namespace shared_cache_detail

inline SharedCacheResult run_shared_cache(const QString& host_program, int clients,
                                          std::chrono::milliseconds duration) {
    using namespace shared_cache_detail;
    SharedCacheResult result;
    QString nginx = QStandardPaths::findExecutable(QStringLiteral("nginx"));
    if (nginx.isEmpty())
        nginx = QStandardPaths::findExecutable(
            QStringLiteral("nginx"),
            {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/local/sbin")});
    if (nginx.isEmpty()) {
        result.skipped = "nginx is not installed";
        return result;
    }

    // The upstream: the place's station reported ten minutes ago.
    UpstreamFixture upstream;
    const QStringList stations =
        metar_stations_for(*place_for_city_path(QString::fromLatin1(target).mid(1)));
    const QDateTime observed = QDateTime::currentDateTimeUtc().addSecs(-600);
    upstream.set(metar_path(stations.first()).toStdString(),
                 {200,
                  observed.toString(QStringLiteral("yyyy/MM/dd HH:mm\n")).toStdString() +
                      stations.first().toStdString() +
                      observed.toString(QStringLiteral(" ddHHmm")).toStdString() +
                      "Z 27012KT 10SM FEW050 M02/M08 A3012\n",
                  {},
                  {},
                  0});

    QTemporaryDir dir;
    QProcess host;
    host.setStandardErrorFile(dir.filePath(QStringLiteral("host.log")));
    const int host_port = start_host(host, host_program,
                                     {"--listen", "127.0.0.1:0", "--source", "live",
                                      "--upstream-base", QString::fromStdString(upstream.base()),
                                      "--cache-dir", dir.filePath(QStringLiteral("host-cache"))});
    if (host_port <= 0) {
        result.error = "nimbrix-host did not start";
        return result;
    }
    httplib::Client direct("127.0.0.1", host_port);
    direct.set_read_timeout(30, 0);
    const auto reference = direct.Get(target);
    if (!reference || reference->status != 200) {
        result.error = "nimbrix-host did not serve the page";
        return result;
    }

    QProcess proxy;
    int port = -1;
    for (int attempt = 0; attempt < 3 && port < 0; ++attempt) {
        port = free_port();
        QFile conf(dir.filePath(QStringLiteral("nginx.conf")));
        if (!conf.open(QIODevice::WriteOnly) ||
            conf.write(nginx_config(dir.path(), port, host_port)) < 0)
            break;
        conf.close();
        proxy.start(nginx, {"-p", dir.path(), "-c", conf.fileName(), "-e",
                            dir.filePath(QStringLiteral("error.log"))});
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!accepts(port) && proxy.state() != QProcess::NotRunning &&
               std::chrono::steady_clock::now() < until)
            proxy.waitForFinished(20);
        if (proxy.state() == QProcess::NotRunning || !accepts(port)) {
            proxy.kill();
            proxy.waitForFinished(5000);
            port = -1;
        }
    }
    if (port < 0) {
        result.error = "nginx did not start";
        return result;
    }

    run_clients(port, reference->body, clients, duration, result);
    proxy.terminate();
    proxy.waitForFinished(10000);
    host.terminate();
    host.waitForFinished(10000);
    result.upstream_requests = upstream.total();
    // The reference was asked for directly.
    result.host_requests =
        count_lines(dir.filePath(QStringLiteral("host.log")), QByteArray("GET ") + target + ' ') -
        1;
    return result;
}
