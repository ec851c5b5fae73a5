#include "net/nmhttp.h"
#include "platform/main_window_keeper.h"
#include "settings/settings_store.h"
#include "shared/program_state.h"
#include "support/recording_desktop.h"
#include "support/scripted_server.h"
#include "support/temp_settings.h"
#include "textproducts/forecast_window.h"
#include "textproducts/text_products.h"

#include <QAction>
#include <QComboBox>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <gtest/gtest.h>
#include <memory>

namespace {

const QString S = QStringLiteral("Settings");

// The main window as the forecast window sees it: minimized while the bulletin shows, normal
// afterwards.
struct MainStandIn : QWidget, MainWindowKeeper {
    void minimize_main() override { setWindowState(windowState() | Qt::WindowMinimized); }
    void restore_main() override { showNormal(); }
};

class ForecastWindow : public ::testing::Test {
protected:
    void SetUp() override {
        main.setWindowTitle(QStringLiteral("Nimbrix - Chicago, IL"));
        main.show();
        client = new TNMHTTP(&main);
        form = std::make_unique<TfrmForecast>(state, desktop, *client, main, main);
        QObject::connect(form.get(), &TfrmForecast::status_changed,
                         [this](const QString& t) { statuses << t; });
    }

    // A product command, then the window's first activation.
    void open(const char* code) {
        form->show_product(QLatin1String(code));
        form->focus_window_changed(form->windowHandle());
    }
    // A return to the window from another window of the program, or from another application.
    void return_from_program() {
        form->focus_window_changed(main.windowHandle());
        form->focus_window_changed(form->windowHandle());
    }
    void return_from_another_application() {
        form->focus_window_changed(nullptr);
        form->focus_window_changed(form->windowHandle());
    }

    TempSettings store;
    ProgramState state;
    RecordingDesktop desktop;
    MainStandIn main;
    TNMHTTP* client = nullptr;
    std::unique_ptr<TfrmForecast> form;
    QStringList statuses;
};

} // namespace

TEST_F(ForecastWindow, ShowAppliesTheStoredSizeAndBackgroundAndMinimizesTheMainWindow) {
    const struct {
        const char* stored; // nullptr: nothing stored
        int points;
        bool large, small;
    } rows[] = {
        {nullptr, 8, false, true},
        {"12", 12, true, false},
        // Any other number is used as it is; the check marks stay as they were.
        {"8", 8, true, false},
        {"10", 10, true, false},
        // Sorts before "1", or is no number at all: the small font.
        {"", 8, false, true},
        {"0", 8, false, true},
        {"12", 12, true, false},
        {"abc", 8, false, true},
    };
    for (const auto& row : rows) {
        if (row.stored)
            write_setting(S, QStringLiteral("FfontSiz"), QLatin1String(row.stored));
        state.current_location.state = QStringLiteral("IL");
        open("f");
        EXPECT_EQ(form->txtForecast->font().pointSize(), row.points) << row.stored;
        EXPECT_EQ(form->mnuLargefont->isChecked(), row.large) << row.stored;
        EXPECT_EQ(form->mnuSmallfont->isChecked(), row.small) << row.stored;
        EXPECT_TRUE(main.isMinimized());
        EXPECT_EQ(form->txtForecast->palette().color(QPalette::Base), QColor(Qt::white));
        form->mnuClose->trigger();
        EXPECT_FALSE(main.isMinimized());
        EXPECT_TRUE(state.xcast_code.isEmpty());
    }
    write_setting(S, QStringLiteral("Fbgcolor"), QStringLiteral("clRed"));
    open("f");
    EXPECT_EQ(form->txtForecast->palette().color(QPalette::Base), QColor(Qt::red));
    EXPECT_TRUE(desktop.events.isEmpty()) << desktop.log().join(QLatin1Char('|')).toStdString();
}

TEST_F(ForecastWindow, ProductsWithoutInputFetchOnEveryReturnFromTheProgramOnly) {
    // With no state code every fetch of a bulletin ends in the refusal, which counts the fetches.
    open("p");
    EXPECT_EQ(desktop.messages(), QStringList{no_state_refusal});
    EXPECT_EQ(statuses, QStringList{xcast_idle});
    EXPECT_FALSE(form->btnGetit->isVisible());
    EXPECT_FALSE(form->editCounty->isVisible());
    return_from_program();
    EXPECT_EQ(desktop.messages().size(), 2);
    return_from_another_application();
    EXPECT_EQ(desktop.messages().size(), 2);
    return_from_program();
    EXPECT_EQ(desktop.messages().size(), 3);
    // The refusal's own box takes the focus and gives it back when closed: no fetch (and no
    // box) again; a return from the main window afterwards fetches.
    QWindow box;
    desktop.while_message_shown = [&] { form->focus_window_changed(&box); };
    return_from_program();
    EXPECT_EQ(desktop.messages().size(), 4);
    form->focus_window_changed(form->windowHandle());
    EXPECT_EQ(desktop.messages().size(), 4);
    return_from_program();
    EXPECT_EQ(desktop.messages().size(), 5);
    desktop.while_message_shown = nullptr;

    // The forecast only shows its county row again, also after a refused "&Get it".
    form->show_product(QStringLiteral("f"));
    return_from_program();
    EXPECT_TRUE(form->btnGetit->isVisible());
    EXPECT_TRUE(form->editCounty->isVisible());
    EXPECT_EQ(desktop.messages().size(), 5);
    form->btnGetit->click();
    EXPECT_EQ(desktop.messages().size(), 6);
    return_from_program();
    EXPECT_EQ(desktop.messages().size(), 6);
}

TEST_F(ForecastWindow, TheForecastFallsBackOnTheMainCaption) {
    const struct {
        const char* caption;
        const char* city;
        const char* state;
        const char* message; // "" for none
    } rows[] = {
        {"Nimbrix - Chicago, IL", "Chicago", "IL", ""},
        {"Nimbrix - Bombay, India (O)", "Bombay", "India (O)",
         "Sorry, at the moment, TEXT forecasts are only available for US States."},
        {"Nimbrix", "", "", ""},
    };
    for (const auto& row : rows) {
        desktop.clear();
        state.current_location.city.clear();
        state.current_location.state.clear();
        main.setWindowTitle(QLatin1String(row.caption));
        open("n");
        EXPECT_EQ(state.current_location.city, QLatin1String(row.city)) << row.caption;
        EXPECT_EQ(state.current_location.state, QLatin1String(row.state)) << row.caption;
        EXPECT_EQ(desktop.messages().join(QString()), QLatin1String(row.message)) << row.caption;
        form->close();
    }
}

TEST_F(ForecastWindow, TheCensusInputsRefuseAShortZipAndListTheStates) {
    open("s2");
    EXPECT_TRUE(form->txtZip->isVisible());
    EXPECT_FALSE(form->cboState->isVisible());
    EXPECT_FALSE(form->editCounty->isVisible());
    EXPECT_EQ(form->txtZip->maxLength(), 5);
    form->txtZip->setText(QStringLiteral("6061"));
    form->btnGetit->click();
    EXPECT_EQ(desktop.messages(), QStringList{invalid_zip_refusal});
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Nimbrix - Census Detail by Zip"));
    EXPECT_EQ(statuses,
              (QStringList{QStringLiteral("Starting retrieval of Census Detail by US Zip..."),
                           xcast_idle}));

    form->show_product(QStringLiteral("s1"));
    return_from_program();
    EXPECT_TRUE(form->cboState->isVisible());
    EXPECT_FALSE(form->txtZip->isVisible());
    EXPECT_EQ(form->cboState->count(), 52);
    EXPECT_EQ(form->cboState->currentIndex(), -1);
    EXPECT_TRUE(form->cboState->currentText().isEmpty());
    // The label and the input of a row stand at H - 130, the button at H - 100.
    EXPECT_EQ(form->cboState->y(), form->lblState->y());
    EXPECT_EQ(form->btnGetit->y() - form->cboState->y(), 30);
}

TEST_F(ForecastWindow, TheRowsStandByTheWindowsOuterHeight) {
    // Hidden: laid out as at its first showing, before the window manager frames it; the shown
    // main window's frame counts then. Shown: the window's own frame.
    const struct {
        const char* code;
        bool shown;
        QWidget *label, *input; // null: no input row
    } rows[] = {
        {"f", false, form->lblCounty, form->editCounty},
        {"s1", false, form->lblState, form->cboState},
        {"s2", false, form->lblZip, form->txtZip},
        {"p", false, nullptr, nullptr},
        {"n", true, form->lblCounty, form->editCounty},
        {"s2", true, form->lblZip, form->txtZip},
    };
    const int frame = main.frameGeometry().height() - main.height();
    ASSERT_GT(frame, 0) << "the platform draws no frame";
    for (const auto& row : rows) {
        state.xcast_code = QLatin1String(row.code);
        if (row.shown)
            open(row.code);
        form->FormResize();
        const int H = form->height() + frame;
        if (row.shown) {
            EXPECT_EQ(form->frameGeometry().height(), H) << row.code;
        }
        if (row.label) {
            EXPECT_EQ(row.label->y(), H - 130) << row.code;
            EXPECT_EQ(row.input->y(), H - 130) << row.code;
            EXPECT_EQ(form->btnGetit->y(), H - 100) << row.code;
        }
        EXPECT_EQ(form->txtForecast->height(), row.label ? H - 150 : H - 60) << row.code;
    }
}

TEST_F(ForecastWindow, FontAndColourCommandsApplyAndStoreTheirChoice) {
    open("si");
    form->mnuLargefont->trigger();
    EXPECT_EQ(form->txtForecast->font().pointSize(), 12);
    EXPECT_EQ(read_setting(S, QStringLiteral("FfontSiz")), QStringLiteral("12"));
    EXPECT_TRUE(form->mnuLargefont->isChecked());
    EXPECT_FALSE(form->mnuSmallfont->isChecked());
    form->mnuSmallfont->trigger();
    EXPECT_EQ(form->txtForecast->font().pointSize(), 8);
    EXPECT_EQ(read_setting(S, QStringLiteral("Ffontsiz")), QStringLiteral("8"));
    EXPECT_TRUE(form->mnuSmallfont->isChecked());
    EXPECT_FALSE(form->mnuLargefont->isChecked());

    desktop.clear();
    desktop.color_answers = {0xFF8000u, std::nullopt};
    form->mnubgColor->trigger();
    EXPECT_EQ(read_setting(S, QStringLiteral("Fbgcolor")), QStringLiteral("$000080FF"));
    EXPECT_EQ(form->txtForecast->palette().color(QPalette::Base), QColor(0xFF, 0x80, 0x00));
    form->mnubgColor->trigger(); // cancelled: nothing changes
    EXPECT_EQ(read_setting(S, QStringLiteral("Fbgcolor")), QStringLiteral("$000080FF"));

    // A store that refuses the write: the colour message, and the stored value stays.
    const HeldStoreLock lock = store.hold_lock();
    ASSERT_TRUE(lock.held());
    desktop.clear();
    desktop.color_answers = {0x0000FFu};
    form->mnubgColor->trigger();
    EXPECT_EQ(desktop.messages(),
              QStringList{QStringLiteral("Error - Color selection dialog failed to load")});
    EXPECT_EQ(read_setting(S, QStringLiteral("Fbgcolor")), QStringLiteral("$000080FF"));
}

TEST_F(ForecastWindow, PrintWritesEveryLineThenTheClosingLinesAndEndsTheJob) {
    open("f");
    form->txtForecast->setPlainText(QStringLiteral("ILZ014-\nCOOK-\n\n.TONIGHT...SNOW."));
    form->mnuPrint->trigger(); // cancelled in the dialog
    EXPECT_TRUE(desktop.printed_lines.isEmpty());
    EXPECT_EQ(desktop.count(QStringLiteral("print_close")), 0);
    desktop.print_answers = {true};
    form->mnuPrint->trigger();
    EXPECT_EQ(desktop.printed_lines,
              (QStringList{QStringLiteral("ILZ014-"), QStringLiteral("COOK-"), QString(),
                           QStringLiteral(".TONIGHT...SNOW."), QStringLiteral(" "), QString(),
                           QStringLiteral("[Printed from Nimbrix (by Corvalen).]")}));
    EXPECT_EQ(desktop.count(QStringLiteral("print_close")), 1);
    EXPECT_TRUE(desktop.log().first().startsWith(QStringLiteral("print_job: ")));

    form->mnuHelp->trigger();
    EXPECT_EQ(desktop.count(QStringLiteral("help")), 1);
}

TEST_F(ForecastWindow, ACensusTableShowsInTheFixedFontUntilTheWindowCloses) {
    ScriptedServer server(
        {ScriptedServer::reply("HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n"
                               "RANK  STATE        INCOME\r\n   1  Alaska       51,571\r\n"
                               "Source: http://www.census.gov/statab/ranks/pg20.txt\r\n")});
    write_setting(QStringLiteral("Hosts"), QStringLiteral("Census"),
                  QStringLiteral("127.0.0.1:%1").arg(server.port()));
    const QString design_font = form->txtForecast->font().family();
    open("si");
    EXPECT_EQ(form->txtForecast->toPlainText(),
              QStringLiteral("RANK  STATE        INCOME\n   1  Alaska       51,571\nSource: "));
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Nimbrix - US/State Census Median HH Income"));
    EXPECT_EQ(form->txtForecast->font().family(),
              QFontDatabase::systemFont(QFontDatabase::FixedFont).family());
    EXPECT_EQ(server.requests().at(0).left(29), QByteArray("GET /statab/ranks/pg20.txt HT"));
    EXPECT_EQ(statuses,
              (QStringList{QStringLiteral("Starting retrieval of US/State Median HH Incomes..."),
                           QStringLiteral("Attempting connection..."),
                           QStringLiteral("Connection process complete..."), xcast_idle}));
    form->close();
    EXPECT_EQ(form->txtForecast->font().family(), design_font);
}

TEST_F(ForecastWindow, AProductChosenWhileTheClientIsBusyIsFetchedOnceItIsFree) {
    ScriptedServer conditions({{ScriptedServer::read_request(), ScriptedServer::delay(200),
                                ScriptedServer::send("HTTP/1.0 200 OK\r\n\r\nconditions")}});
    ScriptedServer nws({ScriptedServer::reply("HTTP/1.0 200 OK\r\n\r\nTORNADO WATCH 12")});
    write_setting(QStringLiteral("Hosts"), QStringLiteral("NWS"),
                  QStringLiteral("127.0.0.1:%1").arg(nws.port()));
    state.current_location.state = QStringLiteral("IL");
    // Chosen while a conditions refresh waits on the one client.
    QTimer::singleShot(0, [&] { open("w"); });
    client->Get(conditions.url(QStringLiteral("/US/IL/Chicago.html")));
    EXPECT_EQ(client->Body, QByteArray("conditions"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return nws.connections() == 1 && !client->busy(); }));
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return !statuses.isEmpty() && statuses.last() == xcast_idle; }));
    EXPECT_TRUE(nws.requests().at(0).startsWith("GET /iwin/IL/allwarnings.html "));
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Nimbrix - Warnings && Advisories for IL"));
    EXPECT_TRUE(form->txtForecast->toPlainText().startsWith(QStringLiteral("TORNADO WATCH 12")));
    EXPECT_TRUE(desktop.events.isEmpty()) << desktop.log().join(QLatin1Char('|')).toStdString();

    // "&Get it" on a busy client is refused before the text or the caption changes.
    open("f");
    QTimer::singleShot(0, [&] { form->btnGetit->click(); });
    client->Get(conditions.url(QStringLiteral("/US/IL/Chicago.html")));
    EXPECT_EQ(desktop.messages(), QStringList{QStringLiteral("Already connected")});
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Nimbrix - Warnings && Advisories for IL"));
    EXPECT_TRUE(form->txtForecast->toPlainText().startsWith(QStringLiteral("TORNADO WATCH 12")));
}
