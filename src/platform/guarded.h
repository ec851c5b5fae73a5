#pragma once

#include "platform/desktop.h"
#include <functional>

class QAbstractButton;
class QAction;
class QObject;
class QWidget;

// The application's default error report: runs a command and shows the message of an error
// that ends it in an error box; the program keeps running. Every menu command, timer and
// button handler runs through it, so no error crosses the event loop. A command that ended a
// background request to get the client (CommandRetry) runs again shortly, for as long as
// retry_context lives; without a context its message is shown like any other.
void run_guarded(Desktop& desktop, const std::function<void()>& command,
                 QObject* retry_context = nullptr);

// Connects a menu command (triggered) or a button (clicked) to its handler, which always runs
// through run_guarded with the desktop and the action or button as its retry context. The
// connection ends with the action or button. These two live with the windows (nimbrix_forms).
void connect_command(QAction* action, Desktop& desktop, std::function<void()> handler);
void connect_command(QAbstractButton* button, Desktop& desktop, std::function<void()> handler);
// The help key (F1) of a window: runs the handler through run_guarded while the window is the
// active one, and only then, so that each window's key answers in its own window.
void connect_help_key(QWidget* window, Desktop& desktop, std::function<void()> handler);
