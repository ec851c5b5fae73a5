#pragma once

#include "app/app_error.h"

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
