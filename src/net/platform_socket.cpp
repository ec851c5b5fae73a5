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

int map_error(int platform_error) {
#ifdef _WIN32
    return platform_error;
#else
    switch (platform_error) {
    case 0:
        return 0;
    case EINTR:
        return 10004;
    case EBADF:
        return 10009;
    case EACCES:
        return 10013;
    case EPERM:
        return 10013;
    case EFAULT:
        return 10014;
    case EINVAL:
        return 10022;
    case EMFILE:
        return 10024;
    case ENFILE:
        return 10024;
    case EWOULDBLOCK:
        return 10035;
    case EINPROGRESS:
        return 10036;
    case EALREADY:
        return 10037;
    case ENOTSOCK:
        return 10038;
    case EDESTADDRREQ:
        return 10039;
    case EMSGSIZE:
        return 10040;
    case EPROTOTYPE:
        return 10041;
    case ENOPROTOOPT:
        return 10042;
    case EPROTONOSUPPORT:
        return 10043;
    case ESOCKTNOSUPPORT:
        return 10044;
    case EOPNOTSUPP:
        return 10045;
    case EPFNOSUPPORT:
        return 10046;
    case EAFNOSUPPORT:
        return 10047;
    case EADDRINUSE:
        return 10048;
    case EADDRNOTAVAIL:
        return 10049;
    case ENETDOWN:
        return 10050;
    case ENETUNREACH:
        return 10051;
    case ENETRESET:
        return 10052;
    case ECONNABORTED:
        return 10053;
    case ECONNRESET:
        return 10054;
    case ENOBUFS:
        return 10055;
    case ENOMEM:
        return 10055;
    case EISCONN:
        return 10056;
    case ENOTCONN:
        return 10057;
    case ESHUTDOWN:
        return 10058;
    case EPIPE:
        return 10058;
    case ETOOMANYREFS:
        return 10059;
    case ETIMEDOUT:
        return 10060;
    case ECONNREFUSED:
        return 10061;
    case ELOOP:
        return 10062;
    case ENAMETOOLONG:
        return 10063;
    case EHOSTDOWN:
        return 10064;
    case EHOSTUNREACH:
        return 10065;
    case ENOTEMPTY:
        return 10066;
    case EUSERS:
        return 10068;
    case EDQUOT:
        return 10069;
    case ESTALE:
        return 10070;
    case EREMOTE:
        return 10071;
    default:
        return platform_error;
    }
#endif
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
