#pragma once

// A stand-in for the upstream weather services: cpp-httplib on 127.0.0.1 and a free port,
// answering paths from a table (any other path with the default reply), counting requests and
// keeping the conditional headers each one carried.

#include <httplib.h>
#include <sys/socket.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <thread>

struct FixtureReply {
    int status = 200;
    std::string body;
    std::string etag;     // sent, and a matching If-None-Match gets 304
    std::string location; // for redirects
    int delay_ms = 0;     // a slow upstream (ends early when the fixture stops)
};

class UpstreamFixture {
public:
    UpstreamFixture() {
        // One request per connection: a connection the client keeps open would hold one of
        // the server's few threads until it times out (five seconds).
        server_.set_keep_alive_max_count(1);
        server_.Get(".*", [this](const httplib::Request& req, httplib::Response& res) {
            FixtureReply reply;
            {
                const std::lock_guard lock(mutex_);
                ++counts_[req.path];
                if_none_match_[req.path] = req.get_header_value("If-None-Match");
                if_modified_since_[req.path] = req.get_header_value("If-Modified-Since");
                const auto it = replies_.find(req.path);
                reply = it != replies_.end() ? it->second : default_reply_;
            }
            if (reply.delay_ms > 0) {
                std::unique_lock lock(mutex_);
                stopping_cv_.wait_for(lock, std::chrono::milliseconds(reply.delay_ms),
                                      [this] { return stopping_; });
            }
            if (!reply.etag.empty()) {
                res.set_header("ETag", reply.etag);
                res.set_header("Last-Modified", "Tue, 08 Dec 2026 10:52:00 GMT");
                if (req.get_header_value("If-None-Match") == reply.etag) {
                    res.status = 304;
                    return;
                }
            }
            if (!reply.location.empty())
                res.set_header("Location", reply.location);
            res.status = reply.status;
            res.set_content(reply.body, "text/plain");
        });
        server_.set_socket_options([this](socket_t socket) {
            const int yes = 1;
            ::setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
            listening_ = socket;
        });
        port_ = server_.bind_to_any_port("127.0.0.1");
        // The library listens with a backlog of five: the sixth of many requests at once would
        // wait a second for its connection to be tried again.
        ::listen(listening_, SOMAXCONN);
        // Connections wait in the bound socket's backlog until the loop takes them.
        thread_ = std::thread([this] {
            server_.listen_after_bind();
            listen_ended_ = true;
        });
    }

    ~UpstreamFixture() {
        {
            const std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        stopping_cv_.notify_all();
        // A stop before the loop runs would be lost, and the loop would wait for ever.
        while (!server_.is_running() && !listen_ended_)
            std::this_thread::yield();
        server_.stop();
        thread_.join();
    }

    UpstreamFixture(const UpstreamFixture&) = delete;
    UpstreamFixture& operator=(const UpstreamFixture&) = delete;

    std::string base() const { return "http://127.0.0.1:" + std::to_string(port_); }
    int port() const { return port_; }

    void set(const std::string& path, FixtureReply reply) {
        const std::lock_guard lock(mutex_);
        replies_[path] = std::move(reply);
    }
    void set_default(FixtureReply reply) {
        const std::lock_guard lock(mutex_);
        default_reply_ = std::move(reply);
    }
    int count(const std::string& path) {
        const std::lock_guard lock(mutex_);
        return counts_[path];
    }
    int total() {
        const std::lock_guard lock(mutex_);
        int n = 0;
        for (const auto& [path, count] : counts_)
            n += count;
        return n;
    }
    std::string if_none_match(const std::string& path) {
        const std::lock_guard lock(mutex_);
        return if_none_match_[path];
    }
    std::string if_modified_since(const std::string& path) {
        const std::lock_guard lock(mutex_);
        return if_modified_since_[path];
    }

private:
    httplib::Server server_;
    std::thread thread_;
    int port_ = -1;
    socket_t listening_ = INVALID_SOCKET;
    std::atomic<bool> listen_ended_{false};
    std::mutex mutex_;
    std::condition_variable stopping_cv_;
    bool stopping_ = false;
    std::map<std::string, FixtureReply> replies_;
    FixtureReply default_reply_{404, "Not Found", {}, {}, 0};
    std::map<std::string, int> counts_;
    std::map<std::string, std::string> if_none_match_;
    std::map<std::string, std::string> if_modified_since_;
};
