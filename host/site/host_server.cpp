#include "site/host_server.h"

#include "site/host_site.h"

#include <QLocale>
#include <QTimeZone>
#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <mutex>
#include <thread>

#ifndef _WIN32
#include <netdb.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace {

// The listening socket may take over an address in TIME_WAIT (a quick restart) but never
// share a port: cpp-httplib's own options add SO_REUSEPORT, which lets a second copy of the
// host start on the same port and take some of the requests.
void exclusive_socket_options(socket_t socket) {
#ifndef _WIN32
    const int yes = 1;
    ::setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
#else
    const BOOL yes = TRUE;
    ::setsockopt(socket, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&yes),
                 sizeof yes);
#endif
}

// Why host:port cannot be bound, found by binding a socket of our own the same way.
std::string bind_failure(const std::string& host, int port) {
#ifndef _WIN32
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE;
    addrinfo* found = nullptr;
    const std::string service = std::to_string(port);
    if (::getaddrinfo(host.c_str(), service.c_str(), &hints, &found) != 0 || !found)
        return "unknown address";
    std::string reason = "cannot bind";
    const int fd = ::socket(found->ai_family, found->ai_socktype, found->ai_protocol);
    if (fd >= 0) {
        exclusive_socket_options(fd);
        if (::bind(fd, found->ai_addr, found->ai_addrlen) != 0)
            reason = errno == EADDRINUSE ? "address in use" : std::strerror(errno);
        ::close(fd);
    }
    ::freeaddrinfo(found);
    return reason;
#else
    (void)host;
    (void)port;
    return "cannot bind";
#endif
}

// "Tue, 08 Dec 2026 10:52:00 GMT", the form of HTTP's dates.
const QString http_date_format = QStringLiteral("ddd, dd MMM yyyy HH:mm:ss 'GMT'");

std::string http_date(long long unix_ms) {
    const QDateTime t = QDateTime::fromMSecsSinceEpoch(unix_ms, QTimeZone::utc());
    return QLocale::c().toString(t, http_date_format).toStdString();
}

// Seconds since 1970 of an HTTP date; -1 when the text is none.
long long http_date_seconds(const std::string& text) {
    QDateTime t = QLocale::c().toDateTime(QString::fromStdString(text).trimmed(), http_date_format);
    if (!t.isValid())
        return -1;
    t.setTimeZone(QTimeZone::utc());
    return t.toSecsSinceEpoch();
}

// Last-Modified and Cache-Control, so that a cache in front of the host keeps each reply for
// what is left of its lifetime and asks again with If-Modified-Since.
void set_cache_headers(httplib::Response& res, const HostReply& reply, long long now_ms) {
    res.set_header("Last-Modified", http_date(reply.made_ms));
    if (reply.until_ms < 0) {
        res.set_header("Cache-Control", "no-store, max-age=0");
        return;
    }
    const long long left = std::max(0LL, (reply.until_ms - now_ms) / 1000);
    res.set_header("Cache-Control", "max-age=" + std::to_string(left));
}

// The reply is the one the client holds: it was made no later than If-Modified-Since says.
bool not_modified(const httplib::Request& req, const HostReply& reply) {
    if (reply.status != 200 || reply.until_ms < 0 || !req.has_header("If-Modified-Since"))
        return false;
    const long long since = http_date_seconds(req.get_header_value("If-Modified-Since"));
    return since >= 0 && reply.made_ms / 1000 <= since;
}

} // namespace

struct HostServer::Impl {
    HostSite& site;
    std::FILE* log;
    httplib::Server server;
    std::function<QDateTime()> clock = [] { return QDateTime::currentDateTimeUtc(); };
    std::mutex log_mutex;
    std::string bind_error;
    socket_t listening = INVALID_SOCKET;

    // run() and stop() agree through these: a stop before run keeps run from starting, a
    // stop during run waits until the listening loop is up before ending it.
    std::mutex state_mutex;
    bool stop_requested = false;
    bool run_entered = false;
    std::atomic<bool> run_finished{false};

    Impl(HostSite& s, std::FILE* l) : site(s), log(l) {}
};

HostServer::HostServer(HostSite& site, std::FILE* log) : impl_(std::make_unique<Impl>(site, log)) {
    Impl& d = *impl_;
    d.server.set_socket_options([&d](socket_t socket) {
        exclusive_socket_options(socket);
        d.listening = socket;
    });
    // Every reply ends its connection, as an HTTP/1.0 server does.
    d.server.set_keep_alive_max_count(1);
    // A request is logged before its reply goes out, so a client that waits for each reply
    // finds the lines in the order of its requests.
    const auto log_line = [&d](const httplib::Request& req, int status) {
        if (!d.log)
            return;
        const std::lock_guard lock(d.log_mutex);
        std::fprintf(d.log, "%s %s %d\n", req.method.c_str(), req.target.c_str(), status);
        std::fflush(d.log);
    };
    d.server.set_pre_routing_handler(
        [&d, log_line](const httplib::Request& req, httplib::Response& res) {
            if (req.method != "GET" && req.method != "HEAD") {
                res.status = 405;
                res.set_content("Method not allowed\n", maker_content_type);
                log_line(req, res.status);
                return httplib::Server::HandlerResponse::Handled;
            }
            const HostRequest request = request_from_target(
                QString::fromUtf8(req.target.data(), static_cast<qsizetype>(req.target.size())));
            const QDateTime now = d.clock();
            const HostReply reply = d.site.answer(request, now);
            res.status = reply.status;
            set_cache_headers(res, reply, now.toMSecsSinceEpoch());
            if (not_modified(req, reply)) {
                res.status = 304;
            } else if (reply.announce_length) {
                res.set_content(reply.body.constData(), static_cast<std::size_t>(reply.body.size()),
                                reply.content_type.toStdString());
            } else {
                // No Content-Length and no chunks: the body runs until the connection closes.
                res.set_content_provider(
                    reply.content_type.toStdString(),
                    [body = reply.body](std::size_t offset, httplib::DataSink& sink) {
                        const auto size = static_cast<std::size_t>(body.size());
                        if (offset < size)
                            sink.write(body.constData() + offset, size - offset);
                        sink.done();
                        return true;
                    });
            }
            log_line(req, res.status);
            return httplib::Server::HandlerResponse::Handled;
        });
}

HostServer::~HostServer() = default;

void HostServer::set_clock(std::function<QDateTime()> clock) {
    impl_->clock = std::move(clock);
}

int HostServer::bind(const std::string& host, int port) {
    Impl& d = *impl_;
    d.bind_error.clear();
    const int bound = port == 0 ? d.server.bind_to_any_port(host)
                                : (d.server.bind_to_port(host, port) ? port : -1);
    if (bound < 0)
        d.bind_error = bind_failure(host, port);
    else
        // The library listens with a backlog of five: when more clients connect at once, the
        // rest would wait a second for their connection to be tried again.
        ::listen(d.listening, SOMAXCONN);
    return bound;
}

const std::string& HostServer::bind_error() const {
    return impl_->bind_error;
}

bool HostServer::run() {
    Impl& d = *impl_;
    {
        const std::lock_guard lock(d.state_mutex);
        if (d.stop_requested)
            return false;
        d.run_entered = true;
    }
    const bool served = d.server.listen_after_bind();
    d.run_finished = true;
    return served;
}

void HostServer::stop() {
    Impl& d = *impl_;
    bool entered = false;
    {
        const std::lock_guard lock(d.state_mutex);
        d.stop_requested = true;
        entered = d.run_entered;
    }
    if (!entered)
        return;
    // The listening loop is a few instructions away once run() has been entered.
    while (!d.server.is_running() && !d.run_finished)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    d.server.stop();
}
