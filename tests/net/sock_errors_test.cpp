// The socket error texts and the mapping of platform error values onto them.
#include "net/platform_socket.h"
#include "net/sock_errors.h"

#include <cerrno>
#include <gtest/gtest.h>

TEST(SocketErrorText, CodeColonMessage) {
    EXPECT_EQ(socket_error_text(10061), "10061:Connection refused");
    EXPECT_EQ(socket_error_text(10035), "10035:Operation would block");
    EXPECT_EQ(socket_error_text(10047), "10047:Address family not supported by protocol family");
    EXPECT_EQ(socket_error_text(11003), "11003:Non-Recoverable error: FORMERR, REFUSED, NOTIMP");
    EXPECT_EQ(socket_error_text(12345), "12345:Unknown Error No. 12345");
    EXPECT_EQ(socket_error_message(10000), "Unknown Error No. 10000");
}

TEST(SocketErrorText, FiftyKnownCodes) {
    int known = 0;
    for (int code = 10000; code < 11100; ++code) {
        if (!socket_error_message(code).startsWith("Unknown Error No."))
            ++known;
    }
    EXPECT_EQ(known, 50);
}

#ifndef _WIN32
TEST(SocketErrorText, PlatformErrorsGiveTheSameTexts) {
    const std::vector<std::pair<int, int>> rows{
        {ECONNREFUSED, 10061}, {EWOULDBLOCK, 10035}, {EINPROGRESS, 10036},  {ECONNRESET, 10054},
        {EPIPE, 10058},        {ETIMEDOUT, 10060},   {EHOSTUNREACH, 10065}, {ENETUNREACH, 10051},
        {EADDRINUSE, 10048},   {ENOTCONN, 10057},    {EINTR, 10004},        {EMFILE, 10024},
    };
    for (const auto& [platform, code] : rows)
        EXPECT_EQ(platform_socket::map_error(platform), code) << platform;
}
#endif
