// Fuzzes the URL split and the request header built from its result.
#include "net/http_rules.h"

#include <cstdint>
#include <cstdlib>

namespace {

void check(bool condition) {
    if (!condition)
        std::abort();
}

bool has_control(const QString& text) {
    for (QChar c : text) {
        if (c.unicode() < 32)
            return true;
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    // The first byte chooses the client's port before the call.
    const int ports[] = {0, 80, 8080};
    const int port_before = ports[data[0] % 3];
    const QString url = QString::fromUtf8(reinterpret_cast<const char*>(data + 1),
                                          static_cast<qsizetype>(size - 1));
    const UrlSplit split = split_url(url, QStringLiteral("previous.example"), port_before);
    if (!split.error.isEmpty()) {
        check(split.error == QLatin1String("Empty URL") ||
              split.error == QLatin1String("Invalid URL") ||
              (split.error == QLatin1String("URL too long") && url.size() > max_path_length));
        return 0;
    }
    check(split.path.startsWith(QLatin1Char('/')));
    check(split.path.size() <= max_path_length);
    check(split.path == QLatin1String("/") || url.endsWith(split.path)); // never cut
    check(split.port >= 1 && split.port <= 65535);
    check(split.url.startsWith(url));
    check(!split.host.isEmpty());
    check(!has_control(split.url) && !has_control(split.host) && !has_control(split.path));

    for (const bool proxy : {false, true}) {
        RequestSpec spec;
        spec.url = split.url;
        spec.path = split.path;
        spec.host = split.host;
        spec.proxy = proxy;
        const TExStringList header = build_request_header(spec);
        const QByteArray bytes = request_bytes(header);
        // One CR LF per line and none inside a line: nothing can be smuggled into the head.
        check(bytes.count("\r\n") == header.count());
        check(bytes.count('\n') == header.count());
        check(bytes.endsWith("\r\n\r\n"));
    }
    return 0;
}
