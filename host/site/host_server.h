#pragma once

#include <QDateTime>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

class HostSite;

// nimbrix-host's HTTP side: answers every request with HostSite's reply and closes the
// connection after the body (the program's client reads until the server closes), with
// Content-Length (unless the reply says to announce none) and Content-Type. Every reply carries
// Last-Modified and Cache-Control: max-age with what is left of its lifetime (HostReply's times),
// and a request whose If-Modified-Since is no earlier than Last-Modified gets 304 without a
// body, so a standard HTTP cache can stand in front (the program itself sends neither). One log
// line per request ("GET /US/IL/Chicago.html 200") goes to the log file unless it is null.
class HostServer {
public:
    explicit HostServer(HostSite& site, std::FILE* log = nullptr);
    ~HostServer();
    HostServer(const HostServer&) = delete;
    HostServer& operator=(const HostServer&) = delete;

    // The clock that picks the hour of the conditions pages (the current UTC time unless set).
    void set_clock(std::function<QDateTime()> clock);

    // Binds to host and port (0: a free port the kernel chooses); the port bound, or -1 with
    // the reason in bind_error(). A port another program listens on is refused, even when
    // that program allows sharing it.
    int bind(const std::string& host, int port);
    // Why the last bind failed: "address in use" or the system's text; empty after success.
    const std::string& bind_error() const;
    // Serves on the bound socket until stop(); false when it could not serve or was stopped
    // before it began.
    bool run();
    // Ends run() from any thread (or keeps a later run() from starting); safe to call twice.
    void stop();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};
