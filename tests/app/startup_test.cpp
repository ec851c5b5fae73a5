#include "about/about_window.h"
#include "app/main_window.h"
#include "app/needle_gauge.h"
#include "app/splash.h"
#include "app/startup.h"
#include "images/image_window.h"
#include "settings/preferences_window.h"
#include "settings/settings_store.h"
#include "shared/program_state.h"
#include "support/recording_desktop.h"
#include "support/temp_settings.h"
#include "textproducts/forecast_window.h"
#include "tray/on_tray.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

TEST(Startup, WindowsComeUpBehindTheSplashAndExitEndsTheEventLoop) {
    TempSettings store;
    ProgramState state;
    RecordingDesktop desktop;
    auto windows = create_program_windows(state, desktop);
    TForm1& form = *windows->Form1;
    TfrmPleaseWait& splash = *windows->frmPleaseWait;

    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(splash.Gauge1->Progress(), 100);
    // The forecast window is made at start-up and waits hidden for a product command.
    ASSERT_TRUE(windows->forecast());
    EXPECT_FALSE(windows->forecast()->isVisible());
    EXPECT_TRUE(form.ForecastTEXTversion1->isEnabled());
    EXPECT_EQ(splash.lblPleaseWait->text(),
              QStringLiteral("Please wait...           loading information..."));
    EXPECT_EQ(splash.size(), QSize(277, 253));
    EXPECT_EQ(splash.pos(), form.pos() + QPoint(35, 70));
    EXPECT_EQ(splash.Gauge1->geometry(), QRect(48, 80, 150, 100));
    // The about box and the preferences are created behind the splash, hidden until asked for.
    ASSERT_TRUE(windows->about() && windows->preferences());
    EXPECT_FALSE(windows->about()->isVisible());
    EXPECT_FALSE(windows->preferences()->isVisible());

    // The program stays up until Exit; the first paint has hidden the splash by then.
    bool still_up_after_a_second = false;
    QTimer::singleShot(1000, &form, [&] {
        still_up_after_a_second = form.isVisible();
        EXPECT_FALSE(splash.isVisible());
        form.mnuExit1->trigger();
    });
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [] { QApplication::exit(99); });
    watchdog.start(10000);
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_TRUE(still_up_after_a_second);
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(desktop.events.isEmpty());
}

TEST(Startup, UnreadableSettingsLinesAreToldInTheStatusPanel) {
    TempSettings store;
    store.write_file("[Settings]\nMetric=y\nthis line has no equals sign\n");
    ProgramState state;
    RecordingDesktop desktop;
    auto windows = create_program_windows(state, desktop);
    EXPECT_EQ(windows->Form1->status_text(), settings_unreadable_message);
    EXPECT_TRUE(desktop.events.isEmpty());
}

TEST(Startup, WindowsAreSizedAndCentredByTheirOuterSize) {
    TempSettings store;
    ProgramState state;
    RecordingDesktop desktop;
    auto windows = create_program_windows(state, desktop);
    const TForm1& form = *windows->Form1;
    const QSize frame = form.frameGeometry().size() - form.size();
    ASSERT_GT(frame.height(), 0) << "the platform draws no frame: outer and client sizes are alike";
    const QRect screen = form.screen()->geometry();
    TfrmForecast& forecast = *windows->forecast();
    // The about box and the image window are placed at their creation, before the window
    // manager has framed them: the main window's frame counts then.
    const struct {
        const char* name;
        QWidget* window;
        QSize outer;
        int raise;
    } rows[] = {
        {"main window", windows->Form1.get(), QSize(325, 355), 0},
        {"about box", windows->about(), QSize(361, 276) + frame, 60},
        {"preferences", windows->preferences(), QSize(516, 373) + frame, 0},
        {"image window", windows->image_window(), QSize(332, 316), 0},
        {"forecast window", &forecast,
         QSize(486, forecast.MenuForecast->sizeHint().height() + 313) + frame, 20},
    };
    for (const auto& row : rows) {
        row.window->show();
        const QPoint centred(screen.x() + screen.width() / 2 - row.outer.width() / 2,
                             screen.y() + screen.height() / 2 - row.outer.height() / 2 - row.raise);
        EXPECT_EQ(row.window->frameGeometry(), QRect(centred, row.outer)) << row.name;
    }
}

TEST(Startup, EachWindowCommandShowsItsOneWindow) {
    TempSettings store;
    ProgramState state;
    RecordingDesktop desktop;
    auto windows = create_program_windows(state, desktop);
    TForm1& form = *windows->Form1;
    const auto shown = [](const char* title) {
        int count = 0;
        for (const QWidget* window : QApplication::topLevelWidgets())
            count += window->isVisible() && window->windowTitle() == QLatin1String(title);
        return count;
    };
    const struct {
        QAction* command;
        const char* title;
    } rows[] = {
        {form.mnuChooseLocation, "Nimbrix - Choose Location"},
        {form.mnuGeneralPreferences1, "Nimbrix - Preferences"},
        {form.mnuAbout, "About Nimbrix"},
        {form.ForecastTEXTversion1, "Nimbrix - Forecast"},
    };
    for (const auto& row : rows) {
        row.command->trigger();
        row.command->trigger(); // a second time brings the same window to the front
        EXPECT_EQ(shown(row.title), 1) << row.title;
    }
    EXPECT_TRUE(desktop.events.isEmpty()) << desktop.log().join(QLatin1Char('|')).toStdString();
}

// F1 belongs to the window it is pressed in: each window of the program opens the help with
// it, the image window too while the main window has its own F1.
TEST(Startup, F1InEachWindowOpensTheHelp) {
    TempSettings store;
    ProgramState state;
    RecordingDesktop desktop;
    auto windows = create_program_windows(state, desktop);
    state.xcast_code = QStringLiteral("f"); // the forecast window waits for "&Get it"
    const struct {
        const char* name;
        QWidget* window;
    } rows[] = {
        {"main window", windows->Form1.get()},    {"chooser", windows->chooser()},
        {"about box", windows->about()},          {"image window", windows->image_window()},
        {"forecast window", windows->forecast()},
    };
    for (const auto& row : rows) {
        row.window->show();
        row.window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(row.window)) << row.name;
        desktop.clear();
        QTest::keyClick(row.window, Qt::Key_F1);
        EXPECT_EQ(desktop.log(), QStringList{QStringLiteral("help")}) << row.name;
        if (row.window != windows->Form1.get())
            row.window->close();
    }
}

TEST(NeedleGauge, ProgressStaysBetween0And100) {
    NeedleGauge gauge;
    const struct { int set, got; } rows[] = {{50, 50}, {-5, 0}, {140, 100}, {100, 100}, {0, 0}};
    for (const auto& row : rows) {
        gauge.SetProgress(row.set);
        EXPECT_EQ(gauge.Progress(), row.got);
    }
}

TEST(Startup, ALaterStartBringsTheWindowBackFromTheTray) {
    TempSettings store;
    ProgramState state;
    RecordingDesktop desktop;
    TForm1 form(state, desktop);
    form.tray->set_tray_available(true);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    form.pithideClick();
    ASSERT_FALSE(form.isVisible());
    EXPECT_TRUE(bring_to_front(form));
    EXPECT_TRUE(form.isVisible());
    EXPECT_FALSE(form.isMinimized());
    EXPECT_TRUE(desktop.events.isEmpty());
}
