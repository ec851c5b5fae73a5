#pragma once

#include "shared/app_error.h"
#include <QString>

// Socket and lookup failures ("Connection Timed Out", "Host Lookup Failed", ...).
class ESockError : public AppError {
public:
    using AppError::AppError;
};

// An operation ended by cancel ("Socket readln aborted", ...).
class EAbortError : public AppError {
public:
    using AppError::AppError;
};

// The socket error codes the error table knows; platform error values are mapped onto these.
namespace sock_code {
inline constexpr int would_block = 10035;
inline constexpr int in_progress = 10036;
inline constexpr int not_connected = 10057;
inline constexpr int host_not_found = 11001;
} // namespace sock_code

// The message of one socket error code, for example "Connection refused" for 10061; an
// unknown code gives "Unknown Error No. " followed by the code.
QString socket_error_message(int code);

// The error text shown to the user: the code, a colon and its message ("10061:Connection
// refused").
QString socket_error_text(int code);
