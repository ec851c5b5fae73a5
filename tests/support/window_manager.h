#pragma once

#include <QProcess>
#include <QString>
#include <gtest/gtest.h>

// An X server of the test's own (Xvfb, on a display number that is free when it starts) with
// the openbox window manager on it, so that windows get real frames, title bars, stacking and
// focus. It has to be started before the QApplication; the test entry of window tests does
// that (support/main/window_manager_main.cpp). Both programs stop when the object goes, or
// when the test process dies.
class WindowManagerSession {
public:
    WindowManagerSession();
    ~WindowManagerSession();
    WindowManagerSession(const WindowManagerSession&) = delete;
    WindowManagerSession& operator=(const WindowManagerSession&) = delete;

    // True once openbox manages the display; DISPLAY then names it.
    bool running() const { return running_; }
    // Xvfb, openbox or xprop is not installed (not running then).
    bool missing() const { return missing_; }
    // Why it is not running (a program missing, a start that failed).
    const QString& failure() const { return failure_; }

private:
    bool start_server();
    bool start_window_manager();

    QProcess server_;
    QProcess window_manager_;
    QString display_;
    bool running_ = false;
    bool missing_ = false;
    QString failure_;
};

// The session the test entry started, for the tests (nullptr while tests are only listed).
void set_window_manager_session(const WindowManagerSession* session);

// A test of windows under the window manager: skipped when Xvfb or openbox is not installed,
// failed when they are but did not start.
class WindowManagerTest : public ::testing::Test {
protected:
    void SetUp() override;
};
