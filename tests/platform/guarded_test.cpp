#include "platform/guarded.h"
#include "settings/settings_store.h"
#include "shared/app_error.h"
#include "support/recording_desktop.h"

#include "platform/qt_desktop.h"

#include <QAction>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <functional>
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

TEST(QtDesktopBoxes, ShowTheirTextAsPlainCharacters) {
    QtDesktop desktop;
    const QString text =
        QStringLiteral("Location added to Get_Stats presets: <b>Cairo</b>, Egypt (O)");
    Qt::TextFormat format = Qt::AutoText;
    QString shown;
    bool answered = false;
    // Reads the open box and closes it; tried again until the box is up.
    std::function<void()> answer = [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            QTimer::singleShot(10, answer);
            return;
        }
        format = box->textFormat();
        shown = box->text();
        answered = true;
        box->done(QMessageBox::Yes);
    };
    QTimer::singleShot(0, answer);
    desktop.message(text, Desktop::Box::Information);
    ASSERT_TRUE(answered);
    EXPECT_EQ(format, Qt::PlainText);
    EXPECT_EQ(shown, text);

    answered = false;
    QTimer::singleShot(0, answer);
    EXPECT_TRUE(desktop.confirm(QStringLiteral("<i>Sure?</i>")));
    ASSERT_TRUE(answered);
    EXPECT_EQ(format, Qt::PlainText);
}
