#include "live/upstream_client.h"

#include <curl/curl.h>

#include <mutex>

namespace {

struct Transfer {
    QByteArray body;
    QByteArray etag;
    QByteArray last_modified;
    long long max_bytes = 0;
    bool too_big = false;
};

std::size_t on_body(char* data, std::size_t size, std::size_t count, void* user) {
    auto* t = static_cast<Transfer*>(user);
    const std::size_t n = size * count;
    if (t->body.size() + static_cast<long long>(n) > t->max_bytes) {
        t->too_big = true;
        return 0; // ends the transfer
    }
    t->body.append(data, static_cast<qsizetype>(n));
    return n;
}

// Header lines of the last response only: a redirect's headers are dropped at its status line.
std::size_t on_header(char* data, std::size_t size, std::size_t count, void* user) {
    auto* t = static_cast<Transfer*>(user);
    const std::size_t n = size * count;
    const QByteArray line = QByteArray(data, static_cast<qsizetype>(n)).trimmed();
    if (line.startsWith("HTTP/")) {
        t->etag.clear();
        t->last_modified.clear();
    }
    const qsizetype colon = line.indexOf(':');
    if (colon > 0) {
        const QByteArray name = line.left(colon).trimmed().toLower();
        const QByteArray value = line.mid(colon + 1).trimmed();
        if (name == "etag")
            t->etag = value;
        else if (name == "last-modified")
            t->last_modified = value;
    }
    return n;
}

void global_init() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// One handle per thread, reset before each request: its connections stay open, so a page made
// of hundreds of files from one server does not open (and shake hands over TLS) once per file.
class ThreadHandle {
public:
    ~ThreadHandle() {
        if (curl_)
            curl_easy_cleanup(curl_);
    }
    CURL* get() {
        if (!curl_)
            curl_ = curl_easy_init();
        else
            curl_easy_reset(curl_);
        return curl_;
    }

private:
    CURL* curl_ = nullptr;
};

} // namespace

QByteArray upstream_user_agent(const QByteArray& contact) {
    return QByteArrayLiteral("nimbrix-host/") + QByteArray(NIMBRIX_VERSION) + " (" + contact + ')';
}

UpstreamClient::UpstreamClient(UpstreamLimits limits) : limits_(limits) {
    global_init();
}

UpstreamReply UpstreamClient::get(const UpstreamRequest& request) {
    UpstreamReply reply;
    thread_local ThreadHandle handle;
    CURL* curl = handle.get();
    if (!curl) {
        reply.error = QStringLiteral("the HTTP client could not start");
        return reply;
    }
    Transfer transfer;
    transfer.max_bytes = limits_.max_body_bytes;
    const QByteArray url = request.url.toUtf8();
    const QByteArray agent = upstream_user_agent(limits_.contact);
    curl_slist* headers = nullptr;
    const auto add_header = [&headers](const char* name, const QByteArray& value) {
        if (!value.isEmpty())
            headers = curl_slist_append(headers, QByteArray(QByteArray(name) + value).constData());
    };
    add_header("If-None-Match: ", request.if_none_match);
    add_header("If-Modified-Since: ", request.if_modified_since);

    curl_easy_setopt(curl, CURLOPT_URL, url.constData());
    curl_easy_setopt(curl, CURLOPT_USERAGENT, agent.constData());
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, limits_.max_redirects);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, limits_.connect_timeout_ms);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, limits_.total_timeout_ms);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE,
                     static_cast<curl_off_t>(limits_.max_body_bytes));
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, on_body);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, on_header);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &transfer);

    const CURLcode code = curl_easy_perform(curl);
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    curl_slist_free_all(headers);

    if (transfer.too_big || code == CURLE_FILESIZE_EXCEEDED) {
        reply.error = QStringLiteral("the reply from %1 is larger than %2 bytes")
                          .arg(request.url)
                          .arg(limits_.max_body_bytes);
        return reply;
    }
    if (code != CURLE_OK) {
        reply.error =
            QStringLiteral("%1: %2").arg(request.url, QString::fromUtf8(curl_easy_strerror(code)));
        return reply;
    }
    reply.reached = true;
    reply.status = static_cast<int>(status);
    reply.body = std::move(transfer.body);
    reply.etag = transfer.etag;
    reply.last_modified = transfer.last_modified;
    if (reply.status != 200 && reply.status != 304)
        reply.error = QStringLiteral("%1: status %2").arg(request.url).arg(reply.status);
    return reply;
}
