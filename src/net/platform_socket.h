#pragma once

#include <QByteArray>
#include <QList>
#include <QStringList>
#include <QtGlobal>

// The platform's stream sockets (BSD sockets, or Winsock 2 on Windows), non-blocking. Every
// error is returned as a code of the socket error table (10035 for "would block", ...), so the
// same texts appear on every platform.
namespace platform_socket {

using Handle = qintptr;
inline constexpr Handle invalid_handle = -1;

// Starts the socket library for one more user; false when it cannot start. Every successful
// call is matched by library_release().
bool library_acquire();
void library_release();
// The figures of the started library, six lines ("Version= 1.1", ...).
QStringList library_info();

// A non-blocking IPv4 stream socket; reset_on_close makes closing reset the connection at
// once. invalid_handle when none can be made.
Handle open_stream(bool reset_on_close);
// Closes the socket; 0 or an error code.
int close(Handle handle);

// Starts a connect to address:port (host byte order); 0 (done or in progress) or an error
// code other than "would block".
int start_connect(Handle handle, quint32 address, quint16 port);
// The error a finished connect left on the socket; 0 when it succeeded.
int connect_result(Handle handle);

// Sends or receives up to length bytes; the count, or minus an error code.
qint64 send_some(Handle handle, const char* data, qint64 length);
qint64 receive_some(Handle handle, char* data, qint64 length);

// Listening socket on 127.0.0.1:port (0: the kernel chooses); the port, or 0 on failure.
quint16 listen_loopback(Handle handle, quint16 port);
// Takes one waiting connection; invalid_handle and the error code in error when none.
Handle accept_one(Handle handle, int& error);

// The IPv4 addresses (host byte order) the platform's name service gives for a host name in
// ASCII (international names in their ACE form); none when it knows none. Blocks until the
// service answers, so it is asked on a thread of its own.
QList<quint32> resolve_ipv4(const QByteArray& name);

// The table code of a platform error value (errno on POSIX systems).
int map_error(int platform_error);

} // namespace platform_socket
