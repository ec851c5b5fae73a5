#include "live/upstream_cache.h"

#include "live/upstream_client.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <vector>

namespace {

constexpr std::chrono::minutes longest_wait{2};

long long ms(std::chrono::milliseconds d) {
    return d.count();
}

} // namespace

UpstreamCache::UpstreamCache(UpstreamClient& client, QString base_url, QString folder,
                             long long max_bytes)
    : client_(client), base_url_(std::move(base_url)), folder_(std::move(folder)),
      max_bytes_(max_bytes), clock_([] { return QDateTime::currentMSecsSinceEpoch(); }) {
    while (base_url_.endsWith(u'/'))
        base_url_.chop(1);
    QDir().mkpath(folder_);
    const std::lock_guard lock(mutex_);
    trim_locked();
}

void UpstreamCache::set_clock(Clock clock) {
    const std::lock_guard lock(mutex_);
    clock_ = std::move(clock);
}

QString UpstreamCache::file_for(const QString& path) const {
    return folder_ + u'/' +
           QString::fromLatin1(
               QCryptographicHash::hash(path.toUtf8(), QCryptographicHash::Sha1).toHex());
}

// A cache file: "path\nfetched_ms\netag\nlast_modified\n" then the body.
void UpstreamCache::load_from_disk(const QString& path, Entry& entry) const {
    QFile file(file_for(path));
    if (!file.open(QIODevice::ReadOnly))
        return;
    QByteArray head[4];
    for (QByteArray& line : head) {
        line = file.readLine(4096);
        if (!line.endsWith('\n'))
            return;
        line.chop(1);
    }
    bool ok = false;
    const long long fetched = head[1].toLongLong(&ok);
    if (head[0] != path.toUtf8() || !ok)
        return;
    entry.body = file.readAll();
    entry.fetched_ms = fetched;
    entry.etag = head[2];
    entry.last_modified = head[3];
}

void UpstreamCache::save_to_disk(const QString& path, const Entry& entry) {
    QSaveFile file(file_for(path));
    if (!file.open(QIODevice::WriteOnly))
        return;
    file.write(path.toUtf8() + '\n' + QByteArray::number(entry.fetched_ms) + '\n' + entry.etag +
               '\n' + entry.last_modified + '\n');
    file.write(entry.body);
    file.commit();
}

// Removes the files written longest ago while the folder holds more than max_bytes.
void UpstreamCache::trim_locked() {
    QFileInfoList files = QDir(folder_).entryInfoList(QDir::Files, QDir::Time | QDir::Reversed);
    long long total = 0;
    for (const QFileInfo& f : files)
        total += f.size();
    for (const QFileInfo& f : files) {
        if (total <= max_bytes_)
            break;
        total -= f.size();
        QFile::remove(f.absoluteFilePath());
        // Entries stay (a waiting thread may hold one); only their copy goes.
        for (auto& [key, entry] : entries_)
            if (file_for(key) == f.absoluteFilePath()) {
                entry.body.clear();
                entry.etag.clear();
                entry.last_modified.clear();
                entry.fetched_ms = 0;
                break;
            }
    }
}

CachedBody UpstreamCache::answer_from(const Entry& entry, long long now,
                                      std::chrono::seconds lifetime) const {
    CachedBody answer;
    answer.fetched_unix_ms = entry.fetched_ms;
    answer.error = entry.error;
    answer.unreachable = entry.unreachable;
    answer.status = entry.failed_ms != 0 ? entry.status : 0;
    if (entry.fetched_ms == 0) {
        answer.freshness = Freshness::Missing;
        return answer;
    }
    const long long age = now - entry.fetched_ms;
    if (age < ms(lifetime) && entry.failed_ms == 0) {
        answer.freshness = Freshness::Fresh;
        answer.body = entry.body;
    } else if (age < ms(stale_limit)) {
        answer.freshness = entry.failed_ms == 0 ? Freshness::Fresh : Freshness::Stale;
        answer.body = entry.body;
    } else {
        answer.freshness = Freshness::Missing;
    }
    return answer;
}

CachedBody UpstreamCache::kept(const QString& path, std::chrono::seconds lifetime) {
    const std::lock_guard lock(mutex_);
    Entry& entry = entries_[path];
    if (!entry.loaded) {
        entry.loaded = true;
        load_from_disk(path, entry);
    }
    CachedBody answer;
    answer.fetched_unix_ms = entry.fetched_ms;
    const long long age = clock_() - entry.fetched_ms;
    if (entry.fetched_ms == 0 || age >= ms(stale_limit)) {
        answer.error = base_url_ + path + QStringLiteral(": not asked");
        answer.unreachable = true;
        return answer;
    }
    answer.freshness =
        age < ms(lifetime) && entry.failed_ms == 0 ? Freshness::Fresh : Freshness::Stale;
    answer.body = entry.body;
    return answer;
}

CachedBody UpstreamCache::get(const QString& path, std::chrono::seconds lifetime) {
    std::unique_lock lock(mutex_);
    Entry& entry = entries_[path];
    if (!entry.loaded) {
        entry.loaded = true;
        load_from_disk(path, entry);
    }
    // Another thread is asking upstream for this path: its answer is ours.
    if (entry.fetching) {
        fetched_.wait_for(lock, longest_wait, [&] { return !entry.fetching; });
        return answer_from(entry, clock_(), lifetime);
    }
    const long long now = clock_();
    if (entry.fetched_ms != 0 && now - entry.fetched_ms < ms(lifetime) && entry.failed_ms == 0)
        return answer_from(entry, now, lifetime);
    if (entry.failed_ms != 0 && now - entry.failed_ms < ms(failure_memory))
        return answer_from(entry, now, lifetime);

    entry.fetching = true;
    UpstreamRequest request;
    request.url = base_url_ + path;
    if (entry.fetched_ms != 0 && now - entry.fetched_ms < ms(stale_limit)) {
        request.if_none_match = entry.etag;
        request.if_modified_since = entry.last_modified;
    }
    lock.unlock();
    const UpstreamReply reply = client_.get(request);
    lock.lock();

    const long long done = clock_();
    if (reply.ok() || (reply.not_modified() && entry.fetched_ms != 0)) {
        if (reply.ok()) {
            entry.body = reply.body;
            entry.etag = reply.etag;
            entry.last_modified = reply.last_modified;
        }
        entry.fetched_ms = done;
        entry.failed_ms = 0;
        entry.error.clear();
        entry.unreachable = false;
        entry.status = 0;
        save_to_disk(path, entry);
        trim_locked();
    } else {
        entry.failed_ms = done;
        entry.unreachable = !reply.reached;
        entry.status = reply.reached ? reply.status : 0;
        entry.error = reply.error.isEmpty()
                          ? QStringLiteral("%1: status %2").arg(request.url).arg(reply.status)
                          : reply.error;
    }
    entry.fetching = false;
    const CachedBody answer = answer_from(entry, done, lifetime);
    fetched_.notify_all();
    return answer;
}
