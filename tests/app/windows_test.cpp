// The program's windows as a user sees them under a real window manager (openbox on Xvfb), with
// nimbrix-host playing the hosts: the rows of the forecast window inside its frame, and where
// message boxes go.
#include "app/main_window.h"
#include "app/startup.h"
#include "locations/location_chooser.h"
#include "platform/qt_desktop.h"
#include "settings/preferences_window.h"
#include "settings/settings_store.h"
#include "shared/program_state.h"
#include "support/host_process.h"
#include "support/temp_settings.h"
#include "support/window_manager.h"
#include "textproducts/forecast_window.h"
#include "textproducts/text_products.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <functional>
#include <gtest/gtest.h>

namespace {

// The window has the focus itself (QWindow::isActive counts a window active also while its
// transient parent or one of its boxes has it).
bool becomes_active(const QWidget* window) {
    return QTest::qWaitFor([window] { return QApplication::activeWindow() == window; });
}

class Windows : public WindowManagerTest {
protected:
    void SetUp() override {
        WindowManagerTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
        ASSERT_TRUE(host.running());
        for (const char* role : {"Conditions", "Maker", "NWS", "Census", "CensusLookup"})
            write_setting(QStringLiteral("Hosts"), QLatin1String(role), host.address());
        windows = create_program_windows(state, desktop);
        desktop.set_dialog_parent(windows->Form1.get());
        state.current_location.city = QStringLiteral("Chicago");
        state.current_location.state = QStringLiteral("IL");
        // As a user clicks into the program once it is up.
        windows->Form1->activateWindow();
        ASSERT_TRUE(becomes_active(windows->Form1.get()));
    }

    // A product command given from the main window, as a user does.
    void choose_product(QAction* command) {
        TForm1& form = *windows->Form1;
        form.showNormal();
        form.activateWindow();
        ASSERT_TRUE(becomes_active(&form));
        command->trigger();
        TfrmForecast& forecast = *windows->forecast();
        ASSERT_TRUE(becomes_active(&forecast)) << state.xcast_code.toStdString();
        // Framed by the window manager, and laid out again by that frame.
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return forecast.frameGeometry().height() > forecast.height(); }));
        QApplication::processEvents();
    }

    TempSettings store;
    HostProcess host{QStringLiteral(NIMBRIX_HOST_BINARY)};
    ProgramState state;
    QtDesktop desktop;
    std::unique_ptr<ProgramWindows> windows;
};

// Closes the next message box once it is up, noting the window it belongs to and its text.
struct BoxAnswer {
    QPointer<QWindow> owner;
    QString text;
    bool answered = false;
    int tries = 0;
    QObject alive; // the tries end with the answer

    void arm() {
        QTimer::singleShot(0, &alive, [this] { answer(); });
    }
    void answer() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        // Not up yet; after 10 s it is answered all the same (the test fails then, not hangs).
        if (!box || (QApplication::activeWindow() != box && ++tries < 1000)) {
            QTimer::singleShot(10, &alive, [this] { answer(); });
            return;
        }
        owner = box->windowHandle()->transientParent();
        text = box->text();
        answered = true;
        box->done(QMessageBox::Ok);
    }
};

std::string shown(const QRect& rect) {
    return QStringLiteral("%1,%2 %3x%4")
        .arg(rect.x())
        .arg(rect.y())
        .arg(rect.width())
        .arg(rect.height())
        .toStdString();
}

} // namespace

TEST_F(Windows, EveryProductsControlsStandInsideTheClientAreaClearOfTheText) {
    TForm1& form = *windows->Form1;
    TfrmForecast& forecast = *windows->forecast();
    QWidget* client = forecast.centralWidget();
    for (const TextProduct& product : text_products()) {
        const QString code = QLatin1String(product.code);
        QAction* command = form.findChild<QAction*>(QLatin1String(product.menu_item));
        ASSERT_NE(command, nullptr) << product.menu_item;
        choose_product(command);
        ASSERT_EQ(state.xcast_code, code);

        const QRect area = client->rect();
        const QRect text = forecast.txtForecast->geometry();
        EXPECT_TRUE(area.contains(text))
            << product.code << ": " << shown(text) << " in " << shown(area);
        int controls = 0;
        for (QWidget* control : client->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (control == forecast.txtForecast || !control->isVisible())
                continue;
            ++controls;
            const QString name = control->objectName();
            EXPECT_TRUE(area.contains(control->geometry()))
                << product.code << " " << name.toStdString() << ": " << shown(control->geometry())
                << " in " << shown(area);
            EXPECT_FALSE(control->geometry().intersects(text))
                << product.code << " " << name.toStdString() << ": " << shown(control->geometry())
                << " over the text at " << shown(text);
        }
        EXPECT_EQ(controls, product.input == InputRow::None ? 0 : 3) << product.code;
    }
}

TEST_F(Windows, ABoxBelongsToTheWindowOfItsRefusalAndGivesItTheFocusBack) {
    TForm1& form = *windows->Form1;
    TfrmLocation& chooser = *windows->chooser();
    TfrmPref& preferences = *windows->preferences();
    TfrmForecast& forecast = *windows->forecast();
    const struct {
        const char* name;
        QWidget* window;
        std::function<void()> open;
        std::function<void()> refuse;
        const char* message;
    } rows[] = {
        {"chooser", &chooser, [&] { form.mnuChooseLocation->trigger(); },
         [&] {
             chooser.select_path(QStringLiteral("Africa"));
             chooser.btnOkay->click();
         },
         "Error - please select a Country."},
        {"preferences", &preferences, [&] { form.mnuGeneralPreferences1->trigger(); },
         [&] {
             preferences.CheckBox1->setChecked(true);
             preferences.EditProxyPort->setText(QStringLiteral("x"));
             preferences.btnOkay->click();
         },
         "'x' is not a valid integer value"},
        {"forecast window", &forecast, [&] { form.mnuDetailbyUSZip1->trigger(); },
         [&] {
             forecast.txtZip->setText(QStringLiteral("6061"));
             forecast.btnGetit->click();
         },
         "Sorry, you entered an invalid zip."},
    };
    for (const auto& row : rows) {
        form.showNormal();
        form.activateWindow();
        ASSERT_TRUE(becomes_active(&form)) << row.name;
        row.open();
        ASSERT_TRUE(becomes_active(row.window)) << row.name;
        BoxAnswer box;
        box.arm();
        row.refuse();
        ASSERT_TRUE(box.answered) << row.name;
        EXPECT_EQ(box.text, QLatin1String(row.message)) << row.name;
        EXPECT_EQ(box.owner, row.window->windowHandle())
            << row.name << ": the box belongs to "
            << (box.owner ? box.owner->title().toStdString() : std::string("none"));
        EXPECT_TRUE(becomes_active(row.window))
            << row.name << ": the active window is "
            << (QApplication::activeWindow()
                    ? QApplication::activeWindow()->windowTitle().toStdString()
                    : std::string("none"));
        row.window->close();
    }
}
