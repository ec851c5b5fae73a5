#pragma once

#include "platform/desktop.h"
#include <functional>

// The application's default error report: runs a command and shows the message of an error
// that ends it in an error box; the program keeps running. Every menu command, timer and
// button handler runs through it, so no error crosses the event loop.
void run_guarded(Desktop& desktop, const std::function<void()>& command);
