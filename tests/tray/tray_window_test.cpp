#include "app/main_window.h"
#include "settings/settings_store.h"
#include "shared/program_state.h"
#include "support/recording_desktop.h"
#include "support/temp_settings.h"
#include "tray/on_tray.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace {

class TrayWindow : public ::testing::Test {
protected:
    void SetUp() override {
        form = std::make_unique<TForm1>(state, desktop);
        form->tray->set_tray_available(true);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    }
    void settle() {
        for (int i = 0; i < 5; ++i)
            QApplication::processEvents();
    }
    bool shown() const { return form->isVisible() && !form->isMinimized(); }

    TempSettings store;
    ProgramState state;
    RecordingDesktop desktop;
    std::unique_ptr<TForm1> form;
};

} // namespace

TEST_F(TrayWindow, EveryHidingPathHidesAndEveryRestorePathRestores) {
    const std::pair<const char*, std::function<void(TForm1&)>> hide_paths[] = {
        {"btnMinimize", [](TForm1& f) { f.btnMinimize->click(); }},
        {"mnuMinimize", [](TForm1& f) { f.mnuMinimize->trigger(); }},
        {"pithide", [](TForm1& f) { f.pithide->trigger(); }},
        {"minimize box",
         [](TForm1& f) { f.setWindowState(f.windowState() | Qt::WindowMinimized); }},
    };
    const std::pair<const char*, std::function<void(TForm1&)>> restore_paths[] = {
        {"pitshow", [](TForm1& f) { f.pitshow->trigger(); }},
        {"pmnLeft_show", [](TForm1& f) { f.pmnLeft_show->trigger(); }},
    };
    for (const auto& [hide_name, hide] : hide_paths) {
        for (const auto& [restore_name, restore] : restore_paths) {
            hide(*form);
            settle();
            EXPECT_FALSE(form->isVisible()) << hide_name;
            EXPECT_TRUE(form->tray->in_tray()) << hide_name;
            restore(*form);
            settle();
            EXPECT_TRUE(shown()) << hide_name << " then " << restore_name;
            EXPECT_TRUE(form->tray->AppVisible);
        }
    }
}

TEST_F(TrayWindow, RestoreBringsTheWindowBackAsTheUserLeftItWithoutTheStartUpWork) {
    // A stored port that is no number: the start-up work's proxy step shows its error box.
    write_setting(QStringLiteral("Settings"), QStringLiteral("ProxyUse"), QStringLiteral("y"));
    write_setting(QStringLiteral("Settings"), QStringLiteral("ProxyPort"), QStringLiteral("x"));
    form = std::make_unique<TForm1>(state, desktop);
    form->tray->set_tray_available(true);
    ASSERT_EQ(desktop.messages(), QStringList{QStringLiteral("'x' is not a valid integer value")});
    const QPoint moved = form->pos() + QPoint(-120, 80);
    form->move(moved);
    for (QAction* hide : {form->pithide, form->mnuMinimize}) {
        hide->trigger();
        settle();
        ASSERT_FALSE(form->isVisible());
        form->pitshow->trigger();
        settle();
        EXPECT_TRUE(shown());
        EXPECT_EQ(form->pos(), moved) << hide->objectName().toStdString();
    }
    EXPECT_EQ(desktop.messages().size(), 1);
}

TEST_F(TrayWindow, ClosingHidesAtOnce) {
    form->close();
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(form->tray->AppVisible);
}

TEST_F(TrayWindow, WithoutANotificationAreaHidingMinimisesInstead) {
    form->tray->set_tray_available(false);
    form->btnMinimize->click();
    settle();
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(form->isMinimized());
    form->pitshow->trigger();
    settle();
    EXPECT_TRUE(shown());
}

TEST_F(TrayWindow, IconCarriesTheHintCutTo63AndLeavesWithoutAPicture) {
    TOnTray& tray = *form->tray;
    EXPECT_EQ(tray.Hint, QStringLiteral("Nimbrix"));
    EXPECT_TRUE(tray.in_tray());

    const QString long_hint =
        QStringLiteral("Thunderstorms with Heavy Rain and Hail in the Vicinity && 101\u00b0 F");
    ASSERT_GT(long_hint.size(), 63);
    tray.SetHint(long_hint);
    EXPECT_EQ(tray.Hint, long_hint);
    EXPECT_EQ(tray.tooltip(), long_hint.left(63));
    EXPECT_EQ(tray.tray_icon()->toolTip(), long_hint.left(63));

    tray.SetIconVisible(false);
    EXPECT_FALSE(tray.in_tray());
    tray.SetIconVisible(true);
    EXPECT_TRUE(tray.in_tray());
    tray.Icon = QIcon();
    tray.UpdateIcon();
    EXPECT_FALSE(tray.in_tray());
    tray.Icon = form->IconList.at(9);
    tray.SetIconVisible(true);
    EXPECT_TRUE(tray.in_tray());
}

TEST_F(TrayWindow, ButtonsPopUpTheirMenusAndAssignedClicksRun) {
    TOnTray& tray = *form->tray;
    tray.MouseDown(Qt::LeftButton);
    EXPECT_TRUE(form->pmnLeft->isVisible());
    form->pmnLeft->hide();
    tray.MouseDown(Qt::RightButton);
    EXPECT_TRUE(form->pmnRight->isVisible());
    form->pmnRight->hide();
    tray.MouseDown(Qt::MiddleButton); // no middle menu: nothing happens
    tray.DblClick();                  // nothing assigned

    int clicks = 0, doubles = 0;
    tray.OnClick = [&] { ++clicks; };
    tray.OnDblClick = [&] { ++doubles; };
    tray.MouseUp(Qt::RightButton);
    tray.MouseUp(Qt::LeftButton);
    tray.DblClick();
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(doubles, 1);
}
