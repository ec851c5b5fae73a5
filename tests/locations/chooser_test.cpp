#include "app/main_window.h"
#include "locations/catalogue.h"
#include "locations/location_chooser.h"
#include "settings/settings_store.h"
#include "shared/program_state.h"
#include "support/recording_desktop.h"
#include "support/temp_settings.h"
#include "textproducts/forecast_window.h"
#include "textproducts/text_products.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace {

// Runs while_open while each message box is up, as a person's key would arrive then.
class BoxDesktop : public RecordingDesktop {
public:
    void message(const QString& text, Box kind) override {
        RecordingDesktop::message(text, kind);
        if (while_open)
            while_open();
    }
    std::function<void()> while_open;
};

class Chooser : public ::testing::Test {
protected:
    void SetUp() override {
        // Nothing listens on port 1, so a request that does go out fails at once.
        write_setting(QStringLiteral("Hosts"), QStringLiteral("Conditions"),
                      QStringLiteral("127.0.0.1:1"));
        write_setting(QStringLiteral("Hosts"), QStringLiteral("Maker"),
                      QStringLiteral("127.0.0.1:1"));
        form = std::make_unique<TForm1>(state, desktop);
        chooser = new TfrmLocation(state, desktop, *form, form.get());
        form->set_chooser(chooser);
        form->mnuChooseLocation->trigger();
        desktop.clear();
    }

    TempSettings store;
    ProgramState state;
    BoxDesktop desktop;
    std::unique_ptr<TForm1> form;
    TfrmLocation* chooser = nullptr;
};

} // namespace

TEST_F(Chooser, HoldsTheWholeTreeAndShowsTheContinentsCollapsed) {
    EXPECT_TRUE(chooser->isVisible());
    EXPECT_EQ(chooser->windowTitle(), QStringLiteral("Nimbrix - Choose Location"));
    EXPECT_EQ(chooser->size(), QSize(426, 320));
    int nodes = 0;
    for (QTreeWidgetItemIterator it(chooser->TreeView1); *it; ++it)
        ++nodes;
    EXPECT_EQ(nodes, 2006);
    EXPECT_EQ(chooser->TreeView1->topLevelItemCount(), 2);
    QTreeWidgetItem* continent = chooser->TreeView1->topLevelItem(0);
    EXPECT_EQ(continent->text(0), QStringLiteral("Continent"));
    EXPECT_TRUE(continent->isExpanded());
    ASSERT_EQ(continent->childCount(), 8);
    for (int i = 0; i < 8; ++i)
        EXPECT_FALSE(continent->child(i)->isExpanded());
    EXPECT_EQ(chooser->txtzipcode->maxLength(), 5);
    EXPECT_EQ(chooser->TreeView1->indentation(), 19);

    ASSERT_TRUE(
        chooser->select_path(QStringLiteral("North America\\United States\\Texas\\Austin")));
    const QImage shot = chooser->grab().toImage();
    EXPECT_EQ(shot.size(), QSize(426, 320));
    EXPECT_TRUE(shot.save(qEnvironmentVariable("NIMBRIX_TEST_TMP", QDir::tempPath()) +
                          QStringLiteral("/chooser.png")));
}

TEST_F(Chooser, IncompleteSelectionsAreRefusedAndTheWindowStaysOpen) {
    const struct {
        const char* path;
        const char* message;
    } rows[] = {
        {"", "Error - please select a Continent."},
        {"Africa", "Error - please select a Country."},
        {"Africa\\Egypt", "Error - please select a State."},
        {"North America\\Canada", "Error - please select a State."},
        {"North America\\United States\\Texas", "Error - please select a City."},
        {"North America\\Canada\\Yukon Territory", "Error - please select a City."},
    };
    for (const auto& row : rows) {
        desktop.clear();
        state.current_location.city = QStringLiteral("unchanged");
        ASSERT_TRUE(chooser->select_path(QLatin1String(row.path))) << row.path;
        chooser->btnOkayClick();
        EXPECT_EQ(desktop.log(),
                  (QStringList{QStringLiteral("message: ") + QLatin1String(row.message),
                               QStringLiteral("beep")}))
            << row.path;
        EXPECT_TRUE(chooser->isVisible()) << row.path;
        EXPECT_TRUE(chooser->TreeView1->selectedItems().isEmpty());
        EXPECT_EQ(state.current_location.city, QStringLiteral("unchanged"));
    }
}

TEST_F(Chooser, AZipWinsOverAStateOrProvinceChosenWithoutItsCity) {
    for (const char* path :
         {"North America\\United States\\Texas", "North America\\Canada\\Yukon Territory"}) {
        desktop.clear();
        ASSERT_TRUE(chooser->select_path(QLatin1String(path))) << path;
        chooser->txtzipcode->setText(QStringLiteral("60601"));
        chooser->btnOkay->click(); // the request goes out and fails at the closed port
        EXPECT_FALSE(desktop.messages().contains(QStringLiteral("Error - please select a City.")))
            << path;
        EXPECT_TRUE(state.request_url.endsWith(
            QStringLiteral("/cgi-bin/findweather/getForecast?query=60601")))
            << path << ": " << state.request_url.toStdString();
        EXPECT_EQ(state.current_location.zip, QStringLiteral("60601"));
        form->mnuChooseLocation->trigger();
    }
}

TEST_F(Chooser, EnterPressesOkayOncePerKeyPress) {
    const struct {
        Qt::Key key;
        const char* control;
    } rows[] = {
        {Qt::Key_Return, "txtzipcode"},
        {Qt::Key_Enter, "txtzipcode"},
        {Qt::Key_Return, "TreeView1"},
        {Qt::Key_Return, "btnOkay"},
    };
    const QStringList one_okay = {
        QStringLiteral("message: Error - parsing pathStr."), QStringLiteral("beep"),
        QStringLiteral("message: Please select your location for weather conditions.")};
    for (const auto& row : rows) {
        QWidget* control = chooser->findChild<QWidget*>(QLatin1String(row.control));
        ASSERT_NE(control, nullptr) << row.control;
        desktop.clear();
        chooser->txtzipcode->setText(QStringLiteral("1"));
        // The key that closes each box is held a moment (repeats) and let go in the chooser.
        desktop.while_open = [&] {
            QKeyEvent repeat(QEvent::KeyPress, row.key, Qt::NoModifier, QStringLiteral("\r"), true);
            QApplication::sendEvent(control, &repeat);
            QKeyEvent release(QEvent::KeyRelease, row.key, Qt::NoModifier, QStringLiteral("\r"));
            QApplication::sendEvent(control, &release);
        };
        QTest::keyClick(control, row.key);
        desktop.while_open = nullptr;
        EXPECT_EQ(desktop.log(), one_okay) << row.control;
    }
}

TEST_F(Chooser, NothingChosenAndNoZipAsksForALocation) {
    const struct {
        const char* zip;
        QStringList log;
    } rows[] = {
        {"",
         {QStringLiteral("message: Error - parsing pathStr."), QStringLiteral("beep"),
          QStringLiteral("message: Please select your location for weather conditions.")}},
        {"1",
         {QStringLiteral("message: Error - parsing pathStr."), QStringLiteral("beep"),
          QStringLiteral("message: Please select your location for weather conditions.")}},
    };
    for (const auto& row : rows) {
        desktop.clear();
        chooser->txtzipcode->setText(QLatin1String(row.zip));
        chooser->btnOkayClick();
        EXPECT_EQ(desktop.log(), row.log) << row.zip;
        EXPECT_TRUE(chooser->isVisible());
        // The ending sends the usage ping once per run; the maker's host is not reached here.
        EXPECT_EQ(state.counter_sent, QStringLiteral("Y"));
        EXPECT_EQ(form->status_text(), row.zip[0] ? QStringLiteral("Thank you for using Nimbrix...")
                                                  : QStringLiteral("Usage ping failed..."));
    }
}

TEST_F(Chooser, CancelKeepsTheShownLocationForTheBulletins) {
    // Honolulu is on screen; the chooser is opened, a city picked, and cancelled.
    chooser->hide();
    state.current_location.city = QStringLiteral("Honolulu");
    state.current_location.state = QStringLiteral("HI");
    form->mnuChooseLocation->trigger();
    ASSERT_TRUE(chooser->select_path(QStringLiteral("Africa\\Egypt\\Cairo")));
    chooser->txtzipcode->setText(QStringLiteral("606"));
    chooser->btnCancel->click();
    EXPECT_FALSE(chooser->isVisible());

    TfrmForecast forecast(state, desktop, *form->NMHTTP1, *form, *form);
    form->set_forecast(&forecast);
    form->PublicInformation1->trigger();
    forecast.focus_window_changed(forecast.windowHandle());
    EXPECT_EQ(forecast.windowTitle(), QStringLiteral("Nimbrix - Public Information for HI"));
    EXPECT_FALSE(desktop.messages().contains(no_state_refusal));
    form->set_forecast(nullptr);
}
