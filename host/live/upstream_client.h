#pragma once

#include <QByteArray>
#include <QString>

// One GET to an upstream weather service over HTTP or HTTPS (libcurl): connect and total
// time-outs, a User-Agent naming nimbrix-host, its version and a contact, at most a few
// redirects, TLS verified, and a cap on the body's size. Safe to use from several threads.

struct UpstreamRequest {
    QString url;
    QByteArray if_none_match;     // an earlier reply's ETag, or empty
    QByteArray if_modified_since; // an earlier reply's Last-Modified, or empty
};

struct UpstreamReply {
    bool reached = false; // a reply came (any status); false: the error says why not
    int status = 0;
    QByteArray body;
    QByteArray etag;
    QByteArray last_modified;
    QString error; // "timed out", "404 from https://...", ... when not a usable reply

    bool ok() const { return reached && status == 200; }
    bool not_modified() const { return reached && status == 304; }
};

inline constexpr char default_upstream_contact[] = "nimbrix-host; operator not named";

struct UpstreamLimits {
    long connect_timeout_ms = 5000;
    long total_timeout_ms = 10000;
    long max_redirects = 3;
    long long max_body_bytes = 8LL * 1024 * 1024;
    QByteArray contact = default_upstream_contact;
};

// The User-Agent: "nimbrix-host/<version> (<contact>)".
QByteArray upstream_user_agent(const QByteArray& contact);

class UpstreamClient {
public:
    explicit UpstreamClient(UpstreamLimits limits = {});
    virtual ~UpstreamClient() = default;
    UpstreamClient(const UpstreamClient&) = delete;
    UpstreamClient& operator=(const UpstreamClient&) = delete;

    virtual UpstreamReply get(const UpstreamRequest& request);

private:
    UpstreamLimits limits_;
};
