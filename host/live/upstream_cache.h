#pragma once

#include <QByteArray>
#include <QString>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>

class UpstreamClient;

// Upstream replies kept on disk and in memory, one entry per upstream path. Within its
// lifetime an entry is served without asking upstream; after it a conditional request
// (If-None-Match / If-Modified-Since) renews it. However many threads ask for a path at once,
// one of them fetches and the others wait for its result. When upstream fails, a copy at most
// three hours old is served as stale; a failure is remembered for a short while so that a
// crowd of requests does not retry it at once. The folder holds at most max_bytes of bodies;
// the entries fetched longest ago go first. Safe to use from several threads.

enum class Freshness { Fresh, Stale, Missing };

struct CachedBody {
    Freshness freshness = Freshness::Missing;
    QByteArray body;
    long long fetched_unix_ms = 0; // when upstream last gave or confirmed the body
    QString error;                 // why upstream failed (Stale and Missing)
    bool unreachable = false;      // upstream gave no reply at all (time-out, TLS, refused)
    int status = 0;                // upstream's status when it answered with an error (404)
};

class UpstreamCache {
public:
    using Clock = std::function<long long()>; // milliseconds since 1970

    UpstreamCache(UpstreamClient& client, QString base_url, QString folder,
                  long long max_bytes = 64LL * 1024 * 1024);

    // The body at base_url + path ("/data/observations/metar/stations/KORD.TXT").
    CachedBody get(const QString& path, std::chrono::seconds lifetime);

    // The copy kept for path, without asking upstream: fresh within its lifetime, stale up to
    // stale_limit, else missing (for the files a page no longer asks upstream for).
    CachedBody kept(const QString& path, std::chrono::seconds lifetime);

    void set_clock(Clock clock);

    static constexpr std::chrono::hours stale_limit{3};
    static constexpr std::chrono::seconds failure_memory{30};

private:
    struct Entry {
        QByteArray body;
        QByteArray etag;
        QByteArray last_modified;
        long long fetched_ms = 0;
        long long failed_ms = 0; // the last failed attempt, 0 when none since the last success
        QString error;
        bool unreachable = false;
        int status = 0;      // of the last failed reply
        bool loaded = false; // the disk copy was looked for
        bool fetching = false;
    };

    CachedBody answer_from(const Entry& entry, long long now, std::chrono::seconds lifetime) const;
    void load_from_disk(const QString& path, Entry& entry) const;
    void save_to_disk(const QString& path, const Entry& entry);
    void trim_locked();
    QString file_for(const QString& path) const;

    UpstreamClient& client_;
    QString base_url_;
    QString folder_;
    long long max_bytes_;
    Clock clock_;
    std::mutex mutex_;
    std::condition_variable fetched_;
    std::map<QString, Entry> entries_;
};
