#include "shared/app_error.h"
#include "platform/guarded.h"
#include "settings/settings_store.h"
#include "support/recording_desktop.h"

#include <QAction>
#include <QPushButton>
#include <gtest/gtest.h>
#include <stdexcept>

TEST(RunGuarded, AnErrorEndsTheCommandWithItsMessageInAnErrorBox) {
    RecordingDesktop desktop;
    bool after = false;
    run_guarded(desktop, [&] {
        throw SettingsError(QStringLiteral("Failed to set data for 'labelcolor'"));
        after = true;
    });
    run_guarded(desktop, [] { throw std::runtime_error("plain failure"); });
    run_guarded(desktop, [] {});
    EXPECT_FALSE(after);
    ASSERT_EQ(desktop.events.size(), 2);
    EXPECT_EQ(desktop.events[0].text, QStringLiteral("Failed to set data for 'labelcolor'"));
    EXPECT_EQ(desktop.events[0].box, Desktop::Box::Error);
    EXPECT_EQ(desktop.events[1].text, QStringLiteral("plain failure"));
}

TEST(ConnectCommand, MenuItemsAndButtonsRunTheirHandlersInsideTheGuard) {
    RecordingDesktop desktop;
    QAction action;
    QPushButton button;
    int runs = 0;
    connect_command(&action, desktop, [&] {
        ++runs;
        throw SettingsError(QStringLiteral("from the menu"));
    });
    connect_command(&button, desktop, [&] {
        ++runs;
        throw std::runtime_error("from the button");
    });
    action.trigger();
    button.click();
    EXPECT_EQ(runs, 2);
    ASSERT_EQ(desktop.events.size(), 2);
    EXPECT_EQ(desktop.events[0].text, QStringLiteral("from the menu"));
    EXPECT_EQ(desktop.events[1].text, QStringLiteral("from the button"));
    EXPECT_EQ(desktop.events[1].box, Desktop::Box::Error);
}
