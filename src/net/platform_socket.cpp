#include "net/platform_socket.h"

#include "net/sock_errors.h"
#include <atomic>
#include <cstring>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace platform_socket {

namespace {

// Components using the socket library; the library starts with the first and stops with the
// last.
std::atomic<int> library_users{0};

#ifdef _WIN32
using Native = SOCKET;
Native native(Handle handle) {
    return static_cast<Native>(handle);
}
int last_error() {
    return WSAGetLastError();
}
constexpr int send_flags = 0;
#else
using Native = int;
Native native(Handle handle) {
    return static_cast<Native>(handle);
}
int last_error() {
    return map_error(errno);
}
constexpr int send_flags = MSG_NOSIGNAL; // a peer that went away must not kill the program
#endif

bool is_valid(Handle handle) {
    return handle != invalid_handle;
}

} // namespace

#ifndef _WIN32
namespace {

// errno values and the table codes they stand for.
struct ErrorCode {
    int platform;
    int code;
};

// clang-format off
constexpr ErrorCode error_codes[] = {
    {EINTR, 10004}, {EBADF, 10009}, {EACCES, 10013}, {EPERM, 10013}, {EFAULT, 10014},
    {EINVAL, 10022}, {EMFILE, 10024}, {ENFILE, 10024}, {EWOULDBLOCK, 10035}, {EINPROGRESS, 10036},
    {EALREADY, 10037}, {ENOTSOCK, 10038}, {EDESTADDRREQ, 10039}, {EMSGSIZE, 10040},
    {EPROTOTYPE, 10041}, {ENOPROTOOPT, 10042}, {EPROTONOSUPPORT, 10043}, {ESOCKTNOSUPPORT, 10044},
    {EOPNOTSUPP, 10045}, {EPFNOSUPPORT, 10046}, {EAFNOSUPPORT, 10047}, {EADDRINUSE, 10048},
    {EADDRNOTAVAIL, 10049}, {ENETDOWN, 10050}, {ENETUNREACH, 10051}, {ENETRESET, 10052},
    {ECONNABORTED, 10053}, {ECONNRESET, 10054}, {ENOBUFS, 10055}, {ENOMEM, 10055},
    {EISCONN, 10056}, {ENOTCONN, 10057}, {ESHUTDOWN, 10058}, {EPIPE, 10058}, {ETOOMANYREFS, 10059},
    {ETIMEDOUT, 10060}, {ECONNREFUSED, 10061}, {ELOOP, 10062}, {ENAMETOOLONG, 10063},
    {EHOSTDOWN, 10064}, {EHOSTUNREACH, 10065}, {ENOTEMPTY, 10066}, {EUSERS, 10068},
    {EDQUOT, 10069}, {ESTALE, 10070}, {EREMOTE, 10071},
};
// clang-format on

} // namespace
#endif

int map_error(int platform_error) {
#ifndef _WIN32
    for (const ErrorCode& e : error_codes)
        if (e.platform == platform_error)
            return e.code;
#endif
    return platform_error;
}

bool library_acquire() {
#ifdef _WIN32
    if (library_users.fetch_add(1) == 0) {
        WSADATA data;
        if (WSAStartup(MAKEWORD(2, 2), &data) != 0) {
            library_users.fetch_sub(1);
            return false;
        }
    }
#else
    library_users.fetch_add(1);
#endif
    return true;
}

void library_release() {
#ifdef _WIN32
    if (library_users.fetch_sub(1) == 1)
        WSACleanup();
#else
    library_users.fetch_sub(1);
#endif
}

QStringList library_info() {
#ifdef _WIN32
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0)
        return {};
    WSACleanup();
    const auto version = [](WORD word) {
        return QString::number(HIBYTE(word)) + QLatin1Char('.') + QString::number(LOBYTE(word));
    };
    return {QStringLiteral("Version= ") + version(data.wVersion),
            QStringLiteral("High Version= ") + version(data.wHighVersion),
            QStringLiteral("Description= ") + QString::fromLocal8Bit(data.szDescription),
            QStringLiteral("System= ") + QString::fromLocal8Bit(data.szSystemStatus),
            QStringLiteral("Max Sockets= ") + QString::number(data.iMaxSockets),
            QStringLiteral("Max Udp pack size= ") + QString::number(data.iMaxUdpDg)};
#else
    rlimit files{};
    getrlimit(RLIMIT_NOFILE, &files);
    return {QStringLiteral("Version= 2.2"),
            QStringLiteral("High Version= 2.2"),
            QStringLiteral("Description= BSD sockets"),
            QStringLiteral("System= Running"),
            QStringLiteral("Max Sockets= ") +
                QString::number(static_cast<qulonglong>(files.rlim_cur)),
            QStringLiteral("Max Udp pack size= 65507")};
#endif
}

Handle open_stream(bool reset_on_close) {
    const Native s = ::socket(AF_INET, SOCK_STREAM, 0);
#ifdef _WIN32
    if (s == INVALID_SOCKET)
        return invalid_handle;
    u_long on = 1;
    if (ioctlsocket(s, FIONBIO, &on) != 0) {
        closesocket(s);
        return invalid_handle;
    }
#else
    if (s < 0)
        return invalid_handle;
    const int flags = fcntl(s, F_GETFL, 0);
    if (flags < 0 || fcntl(s, F_SETFL, flags | O_NONBLOCK) < 0 ||
        fcntl(s, F_SETFD, FD_CLOEXEC) < 0) {
        ::close(s);
        return invalid_handle;
    }
#endif
    if (reset_on_close) {
        linger option{};
        option.l_onoff = 1;
        option.l_linger = 0;
        if (setsockopt(s, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&option),
                       sizeof option) != 0) {
            close(static_cast<Handle>(s));
            return invalid_handle;
        }
    }
    return static_cast<Handle>(s);
}

int close(Handle handle) {
    if (!is_valid(handle))
        return 0;
#ifdef _WIN32
    return closesocket(native(handle)) == 0 ? 0 : last_error();
#else
    // A close interrupted by a signal still releases the descriptor on Linux: never repeat it.
    return ::close(native(handle)) == 0 || errno == EINTR ? 0 : last_error();
#endif
}

int start_connect(Handle handle, quint32 address, quint16 port) {
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(port);
    peer.sin_addr.s_addr = htonl(address);
    if (::connect(native(handle), reinterpret_cast<const sockaddr*>(&peer), sizeof peer) == 0)
        return 0;
    const int error = last_error();
    return error == sock_code::would_block || error == sock_code::in_progress ? 0 : error;
}

int connect_result(Handle handle) {
    int error = 0;
#ifdef _WIN32
    int length = sizeof error;
#else
    socklen_t length = sizeof error;
#endif
    if (getsockopt(native(handle), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error),
                   &length) != 0)
        return last_error();
    return map_error(error);
}

qint64 send_some(Handle handle, const char* data, qint64 length) {
    for (;;) {
#ifdef _WIN32
        const int sent = ::send(native(handle), data, static_cast<int>(length), send_flags);
#else
        const ssize_t sent = ::send(native(handle), data, static_cast<size_t>(length), send_flags);
#endif
        if (sent >= 0)
            return sent;
        const int error = last_error();
        if (error != 10004)
            return -error;
    }
}

qint64 receive_some(Handle handle, char* data, qint64 length) {
    for (;;) {
#ifdef _WIN32
        const int received = ::recv(native(handle), data, static_cast<int>(length), 0);
#else
        const ssize_t received = ::recv(native(handle), data, static_cast<size_t>(length), 0);
#endif
        if (received >= 0)
            return received;
        const int error = last_error();
        if (error != 10004)
            return -error;
    }
}

quint16 listen_loopback(Handle handle, quint16 port) {
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(port);
    local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(native(handle), reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0)
        return 0;
    if (::listen(native(handle), 5) != 0)
        return 0;
#ifdef _WIN32
    int length = sizeof local;
#else
    socklen_t length = sizeof local;
#endif
    if (getsockname(native(handle), reinterpret_cast<sockaddr*>(&local), &length) != 0)
        return 0;
    return ntohs(local.sin_port);
}

Handle accept_one(Handle handle, int& error) {
    const Native s = ::accept(native(handle), nullptr, nullptr);
#ifdef _WIN32
    if (s == INVALID_SOCKET) {
#else
    if (s < 0) {
#endif
        error = last_error();
        return invalid_handle;
    }
    error = 0;
    return static_cast<Handle>(s);
}

QList<quint32> resolve_ipv4(const QByteArray& name) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    QList<quint32> addresses;
    if (getaddrinfo(name.constData(), nullptr, &hints, &found) != 0)
        return addresses;
    for (const addrinfo* entry = found; entry; entry = entry->ai_next) {
        if (entry->ai_family != AF_INET || !entry->ai_addr)
            continue;
        sockaddr_in address{};
        std::memcpy(&address, entry->ai_addr, sizeof address);
        addresses.append(ntohl(address.sin_addr.s_addr));
    }
    freeaddrinfo(found);
    return addresses;
}

} // namespace platform_socket
