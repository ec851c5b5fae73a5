// Test entry for windows under a real window manager: Xvfb and openbox are started first and
// the QApplication opens on them (xcb). Listing the tests starts neither; without them the
// application opens offscreen and the tests skip or fail (support/window_manager.h).
#include "support/window_manager.h"

#include <QApplication>
#include <cstdio>
#include <gtest/gtest.h>
#include <optional>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    std::optional<WindowManagerSession> session;
    if (!GTEST_FLAG_GET(list_tests))
        session.emplace();
    if (!session || !session->running())
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (session && !session->running())
        std::fprintf(stderr, "No window manager: %s\n", qPrintable(session->failure()));
    set_window_manager_session(session ? &*session : nullptr);
    int result = 0;
    {
        QApplication app(argc, argv);
        QApplication::setApplicationName(QStringLiteral("Nimbrix"));
        QApplication::setQuitOnLastWindowClosed(false);
        result = RUN_ALL_TESTS();
    }
    return result;
}
