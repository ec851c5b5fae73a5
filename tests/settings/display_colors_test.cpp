// The three colour commands of the main window: what they apply, store and refuse, and what a
// later start shows again.
#include "app/main_window.h"
#include "settings/display_colors.h"
#include "settings/settings_store.h"
#include "shared/program_state.h"
#include "support/recording_desktop.h"
#include "support/temp_settings.h"

#include <QAction>
#include <QLabel>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

namespace {

const QString S = QStringLiteral("Settings");
const QColor teal(0x00, 0x80, 0x80);
const QColor lime(0x00, 0xFF, 0x00);

class DisplayColors : public ::testing::Test {
protected:
    std::unique_ptr<TForm1> start() {
        auto form = std::make_unique<TForm1>(state, desktop);
        form->timer_startup->stop();
        form->Timer1->stop();
        return form;
    }
    static QColor background(const QLabel* label) {
        return label->palette().color(QPalette::Window);
    }
    static QColor text(const QLabel* label) { return label->palette().color(QPalette::WindowText); }

    TempSettings temp;
    ProgramState state;
    RecordingDesktop desktop;
};

} // namespace

TEST_F(DisplayColors, CommandsApplyStoreOrRefuseTheChosenColour) {
    struct Row {
        const char* name;
        const char* action;
        std::optional<quint32> chosen;
        const char* setting;
        const char* stored; // nullptr: nothing stored
        QStringList log;
    };
    const QString refused = QStringLiteral("message: ") + black_refused_message;
    // clang-format off
    const Row rows[] = {
        {"Red", "mnuMainLabelColor1", 0xFF0000, "labelcolor", "clRed", {}},
        {"Orange", "mnuMainLabelColor1", 0xFF8000, "labelcolor", "$000080FF", {}},
        {"Cancel", "mnuMainLabelColor1", std::nullopt, "labelcolor", nullptr, {}},
        {"BlackLabelFont", "mnuMainLabelFontColor1", 0x000000, "labelfcolor", "clBlack", {}},
        {"BlackStatsFont", "mnuStatsFontColor1", 0x000000, "statsfcolor", nullptr, {"beep", refused}},
        {"YellowStatsFont", "mnuStatsFontColor1", 0xFFFF00, "statsfcolor", "clYellow", {}},
    };
    // clang-format on
    for (const Row& row : rows) {
        TempSettings fresh;
        desktop.clear();
        auto form = start();
        desktop.color_answers = {row.chosen};
        form->findChild<QAction*>(QLatin1String(row.action))->trigger();
        EXPECT_EQ(desktop.log().mid(1), row.log) << row.name; // after the colour dialog
        const QString stored = read_setting(S, QLatin1String(row.setting));
        EXPECT_EQ(stored, row.stored ? QString::fromLatin1(row.stored) : setting_absent)
            << row.name;
        const QColor expected = row.stored ? QColor(QRgb(*row.chosen)) : QColor();
        const std::string name = row.name;
        if (QLatin1String(row.action) == QLatin1String("mnuMainLabelColor1")) {
            EXPECT_EQ(background(form->lblMoonPhase), row.stored ? expected : teal) << name;
        } else if (QLatin1String(row.action) == QLatin1String("mnuMainLabelFontColor1")) {
            EXPECT_EQ(text(form->lblSky1), expected) << name;
        } else {
            EXPECT_EQ(text(form->lblHeatIndex2), row.stored ? expected : lime) << name;
            EXPECT_EQ(text(form->lblsky2), row.stored ? expected : lime) << name;
        }
        // The next start shows the stored colours again.
        if (row.stored && QLatin1String(row.name) == QLatin1String("Red")) {
            form.reset();
            form = start();
            EXPECT_EQ(background(form->lblSky1), QColor(Qt::red));
        }
    }
}

TEST_F(DisplayColors, AStoreThatRefusesTheWriteShowsTheCommandsTextAndKeepsWhatWasApplied) {
    auto form = start();
    const HeldStoreLock lock = temp.hold_lock();
    ASSERT_TRUE(lock.held());
    const struct {
        const char* action;
        const char* message;
    } rows[] = {
        {"mnuMainLabelColor1", "Error - Color selection dialog failed to load"},
        {"mnuMainLabelFontColor1", "Error - Color selection dialog failed to load."},
        {"mnuStatsFontColor1", "Error - Color selection dialog failed to load."},
    };
    for (const auto& row : rows) {
        desktop.clear();
        desktop.color_answers = {0x0000FF};
        form->findChild<QAction*>(QLatin1String(row.action))->trigger();
        EXPECT_EQ(desktop.messages(), QStringList{QLatin1String(row.message)}) << row.action;
    }
    EXPECT_EQ(background(form->lblSky1), QColor(Qt::blue));
    EXPECT_EQ(text(form->lblSky1), QColor(Qt::blue));
    EXPECT_EQ(text(form->lblTemp2), QColor(Qt::blue));
}

TEST_F(DisplayColors, AStoredTextThatIsNoColourIsIgnoredSilently) {
    write_setting(S, QStringLiteral("labelcolor"), QStringLiteral("purple-ish"));
    write_setting(S, QStringLiteral("statsfcolor"), QStringLiteral("clAqua"));
    auto form = start();
    form->show();
    EXPECT_EQ(background(form->lblSky1), teal);
    EXPECT_EQ(text(form->lblTemp2), QColor(Qt::cyan));
    EXPECT_TRUE(desktop.events.isEmpty()) << desktop.log().join(u'|').toStdString();
}
