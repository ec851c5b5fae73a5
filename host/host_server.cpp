#include "host_server.h"

#include "host_site.h"

#include <httplib.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

struct HostServer::Impl {
    HostSite& site;
    std::FILE* log;
    httplib::Server server;
    std::function<QDateTime()> clock = [] { return QDateTime::currentDateTimeUtc(); };
    std::mutex log_mutex;

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
    d.server.set_pre_routing_handler([&d, log_line](const httplib::Request& req,
                                                    httplib::Response& res) {
        if (req.method != "GET" && req.method != "HEAD") {
            res.status = 405;
            res.set_content("Method not allowed\n", maker_content_type);
            log_line(req, res.status);
            return httplib::Server::HandlerResponse::Handled;
        }
        const HostRequest request = request_from_target(
            QString::fromUtf8(req.target.data(), static_cast<qsizetype>(req.target.size())));
        const HostReply reply = d.site.answer(request, d.clock());
        res.status = reply.status;
        if (reply.announce_length) {
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
    if (port == 0)
        return impl_->server.bind_to_any_port(host);
    return impl_->server.bind_to_port(host, port) ? port : -1;
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
