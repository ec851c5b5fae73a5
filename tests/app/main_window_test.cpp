#include "app/main_window.h"
#include "images/image_window.h"
#include "net/nmhttp.h"
#include "net/sock_errors.h"
#include "settings/settings_store.h"
#include "shared/program_state.h"
#include "support/recording_desktop.h"
#include "support/temp_settings.h"
#include "textproducts/forecast_window.h"
#include "tray/on_tray.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace {

const QString S = QStringLiteral("Settings");

class MainWindow : public ::testing::Test {
protected:
    void SetUp() override {
        form = std::make_unique<TForm1>(state, desktop);
        QObject::connect(form.get(), &TForm1::stats_requested, [this](const QString& location) {
            requests << location;
            auto_request_during << state.auto_request;
        });
    }

    QLabel* label(const char* name) { return form->findChild<QLabel*>(QLatin1String(name)); }
    QAction* action(const char* name) { return form->findChild<QAction*>(QLatin1String(name)); }

    TempSettings store;
    ProgramState state;
    RecordingDesktop desktop;
    std::unique_ptr<TForm1> form;
    QStringList requests;
    QStringList auto_request_during;
};

} // namespace

TEST_F(MainWindow, LabelsStandWhereTheDesignPutsThemWithTheirCaptions) {
    const struct {
        const char* name;
        const char* caption; // nullptr for value labels, which start empty
        int x, y, width;     // width 0: sized to the caption
    } rows[] = {
        {"lblSky1", "Sky Conditions:", 8, 32, 0},
        {"lblsky2", "", 112, 32, 185},
        {"lblTemperature", "Temperature:", 8, 52, 0},
        {"lblTemp2", "", 112, 52, 185},
        {"lblHumidity", "Humidity:", 8, 72, 0},
        {"lblHumid2", "", 80, 72, 137},
        {"lblPressure", "Pressure:", 8, 92, 0},
        {"lblPress2", "", 80, 92, 137},
        {"lblWind", "Wind:", 8, 112, 0},
        {"lblWind2", "", 80, 112, 137},
        {"lblVisible", "Visibility:", 8, 132, 0},
        {"lblVisible2", "", 80, 132, 125},
        {"lblSunrise", "Sunrise:", 8, 160, 0},
        {"lblSunrise2", "", 80, 160, 97},
        {"lblSunset", "Sunset:", 8, 180, 0},
        {"lblSunset2", "", 80, 180, 97},
        {"lblMoonrise", "Moonrise:", 8, 200, 0},
        {"lblMoonRise2", "", 80, 200, 97},
        {"lblMoonset", "Moonset:", 8, 220, 0},
        {"lblMoonSet2", "", 80, 220, 97},
        {"lblWindChill1", "Wind Chill:", 224, 72, 81},
        {"lblWindChill2", "n/a", 224, 92, 81},
        {"lblHeatIndex1", "Heat Index:", 224, 112, 81},
        {"lblHeatIndex2", "n/a", 224, 132, 81},
        {"lblMoonPhase", "Moon Phase:", 224, 152, 81},
        {"Label1", "Conditions provided by Weather Underground.", 11, 268, 0},
        {"lblConditions", "", 0, 0, -1}, // -1: the window's width
    };
    for (const auto& row : rows) {
        QLabel* l = label(row.name);
        ASSERT_NE(l, nullptr) << row.name;
        EXPECT_EQ(l->text(), QString::fromLatin1(row.caption)) << row.name;
        EXPECT_EQ(l->pos(), QPoint(row.x, row.y)) << row.name;
        if (row.width) {
            EXPECT_EQ(l->width(), row.width < 0 ? form->width() : row.width) << row.name;
        } else {
            EXPECT_GE(l->width(), l->sizeHint().width()) << row.name;
        }
    }
    auto* minimize = form->findChild<QPushButton*>(QStringLiteral("btnMinimize"));
    ASSERT_NE(minimize, nullptr);
    EXPECT_EQ(minimize->geometry(), QRect(232, 245, 73, 23));
    EXPECT_EQ(minimize->text(), QStringLiteral("&Minimize"));
    EXPECT_EQ(minimize->toolTip(), QStringLiteral("Pressing the Enter key also works..."));
    EXPECT_EQ(form->status_text(), QStringLiteral("Thank you for using Nimbrix..."));
    EXPECT_EQ(form->StatusPanel0->width(), 190);
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Nimbrix"));
    const QMargins frame = form->windowHandle() ? form->windowHandle()->frameMargins() : QMargins();
    EXPECT_EQ(form->size().grownBy(frame), QSize(325, 355)); // the outer size
    EXPECT_EQ(form->IconList.size(), 13);
    for (const QIcon& icon : form->IconList)
        EXPECT_FALSE(icon.pixmap(16, 16).isNull());
}

TEST_F(MainWindow, MenuTreeHasEveryCommandWithItsCaption) {
    QStringList top;
    for (QAction* a : form->menuBar()->actions())
        top << a->text();
    EXPECT_EQ(top, (QStringList{QStringLiteral("&Options"), QStringLiteral("&Get Stats"),
                                QStringLiteral("&Images"), QStringLiteral("&Forecasts"),
                                QStringLiteral("I&nformation"), QStringLiteral("&Help")}));
    // The six menus stand in one row across the window.
    const QRect first = form->menuBar()->actionGeometry(form->menuBar()->actions().first());
    for (QAction* a : form->menuBar()->actions()) {
        const QRect item = form->menuBar()->actionGeometry(a);
        EXPECT_EQ(item.top(), first.top()) << a->text().toStdString();
        EXPECT_LE(item.right(), form->menuBar()->width()) << a->text().toStdString();
    }

    const struct {
        const char* name;
        const char* caption;
        bool enabled;
    } rows[] = {
        {"mnuGeneralPreferences1", "&General Preferences...", true},
        {"mnuMainLabelColor1", "&Label Color", true},
        {"mnuMainLabelFontColor1", "Label &Font Color", true},
        {"mnuStatsFontColor1", "Stats &Font Color", true},
        {"mnuMinimize", "&Minimize to tray", true},
        {"mnuExit1", "E&xit", true},
        {"mnuChooseLocation", "&Choose Location...", true},
        {"mnuAbortconnection", "Abort GetStats connection", true},
        {"mnuClearlocations", "Clear all locations", true},
        {"mnuRemoveaspecificlocation1", "Remove a specific location", true},
        {"mnuSortlocations1", "Sort locations", true},
        {"mnuUSRadarAM", "&2 - US Radar Image - Texas A&&M", true},
        {"mnuLocalTVStationRadar1", "Local TV Station Radars...", false},
        {"mnuUSSatInfRadarPurdue", "US Satellite/Infrared/Radar Image - Purdue", true},
        {"mnuCamAlaskaAnchorage1", "Alaska - Anchorage", true},
        {"mnuCamUtahAlta1", "Utah - Alta", true},
        {"mnuUSStormWatch1", "U.S. StormWatch", true},
        {"mnuNowcast", "&Nowcast - Short term forecast", true},
        {"mnuForecastHTML", "Forecast - &HTML Version", true},
        {"ForecastTEXTversion1", "Forecast - &TEXT version", true},
        {"mnu10Africa1", "&1 - Africa", true},
        {"mnu10PrecSouthAsia1", "&a - South Asia", true},
        {"mnu10MexicoCarribean1", "&7 - Mexico && Carribean", true},
        {"mnu1and3monthUSPrecipitation1", "&3 - 1 and 3-month US Temper. && Precip. Outlook", true},
        {"mnu12monthUSTemperatureOutlook1", "&4 - 12-month US Temperature Outlook", true},
        {"mnu12monthUSPrecipitationOutlook1", "&5 - 12-month US Precipitation Outlook", true},
        {"mnuHydrologicalDataNWS1", "&Hydrological Data (NWS)", true},
        {"PublicInformation1", "&Public Information (NWS)", true},
        {"mnuSpecialWeatherStatementsNWS1", "&Special Weather Statements (NWS)", true},
        {"mnuWarningsAdvisories", "&Warnings and Advisories (NWS)", true},
        {"mnuCurrWorldPop1", "Current World Population...", true},
        {"mnuCurrentUSPopulation1", "Current US Population...", true},
        {"mnuDetailbyUSState1", "Detail by US State...", true},
        {"mnuDetailbyUSZip1", "Detail by US Zip...", true},
        {"mnuUSMHHIncomebyState1", "US Median HH Income by State...", true},
        {"mnuCensusStateSal", "US State Salary Rankings...", true},
        {"mnuHelpContents", "Help &Contents (F1)", true},
        {"mnuAbout", "&About Nimbrix...", true},
        {"CheckforUpdate1", "Check Version #...", true},
        {"pmnLeft_show", "Restore window...", true},
        {"pitshow", "Restore window...", true},
        {"pithide", "Hide window...", true},
        {"pitExit", "Exit", true},
    };
    for (const auto& row : rows) {
        QAction* a = action(row.name);
        ASSERT_NE(a, nullptr) << row.name;
        EXPECT_EQ(a->text(), QString::fromLatin1(row.caption)) << row.name;
        EXPECT_EQ(a->isEnabled(), row.enabled) << row.name;
    }
    for (const char* name :
         {"mnuRadarImages", "mnuSatelliteImages", "mnuWeatherCams", "mnu10dayOutlook",
          "mnu10dayPrecOutlook", "mnuGetCountyInfo1", "mnuPreferences"})
        EXPECT_NE(form->findChild<QMenu*>(QLatin1String(name)), nullptr) << name;
    EXPECT_EQ(form->mnuWeatherCams->actions().size(), 23);
    EXPECT_EQ(form->mnu10dayOutlook->actions().size(), 10);
    EXPECT_EQ(form->mnu10dayPrecOutlook->actions().size(), 10);

    // Twenty hidden preset items; the first four names are spelled with a small "s".
    const char* names[] = {"mnuViewstats0", "mnuViewstats1", "mnuViewstats2",
                           "mnuViewstats3", "mnuViewStats4", "mnuViewStats19"};
    const char* captions[] = {"mnuViewstats0", "mnuViewStats1", "mnuViewstats2",
                              "mnuViewstats3", "mnuViewStats4", "mnuViewStats19"};
    for (int i = 0; i < 6; ++i) {
        QAction* a = action(names[i]);
        ASSERT_NE(a, nullptr) << names[i];
        EXPECT_EQ(a->text(), QLatin1String(captions[i]));
        EXPECT_FALSE(a->isVisible());
    }
}

TEST_F(MainWindow, ImageCommandsStandInTheirMenusInTheDesignOrder) {
    auto names = [](QMenu* menu) {
        QStringList list;
        for (QAction* a : menu->actions())
            list << (a->menu() ? a->menu()->objectName() : a->objectName());
        return list;
    };
    const struct {
        QMenu* menu;
        QStringList items;
    } rows[] = {
        {form->mnuRadarImages,
         {"mnuUSRadarPurdue", "mnuUSRadarAM", "mnuUSRadarYahoo", "mnuUSRadarwithTopAM",
          "mnuUSRadarWeatherBank1", "mnuLocalTVStationRadar1"}},
        {form->mnuImages,
         {"mnuRadarImages", "mnuSatelliteImages", "mnuWeatherCams", "mnuUSStormWatch1"}},
        {form->mnuForecasts,
         {"mnuNowcast", "mnuForecastHTML", "ForecastTEXTversion1", "mnu10dayOutlook",
          "mnu10dayPrecOutlook", "mnu1and3monthUSPrecipitation1", "mnu12monthUSTemperatureOutlook1",
          "mnu12monthUSPrecipitationOutlook1"}},
        {form->mnuWarnings,
         {"mnuHydrologicalDataNWS1", "PublicInformation1", "mnuSpecialWeatherStatementsNWS1",
          "mnuWarningsAdvisories", "N5", "mnuCurrWorldPop1", "mnuCurrentUSPopulation1",
          "mnuGetCountyInfo1"}},
    };
    for (const auto& row : rows)
        EXPECT_EQ(names(row.menu), row.items) << row.menu->objectName().toStdString();
    EXPECT_EQ(form->mnu10dayPrecOutlook->actions().value(3)->objectName(),
              QStringLiteral("mnu10PrecContinentalUS1"));
    EXPECT_EQ(form->mnuCurrWorldPop1, action("mnuCurrWorldPop1"));
}

TEST_F(MainWindow, TheFirstShowCentresTheWindowOnTheScreen) {
    // Shown as it is created.
    const QRect screen = form->screen()->geometry();
    const QRect outer = form->frameGeometry();
    EXPECT_EQ(outer.x(), screen.x() + screen.width() / 2 - outer.width() / 2);
    EXPECT_EQ(outer.y(), screen.y() + screen.height() / 2 - outer.height() / 2);
}

TEST_F(MainWindow, StoredColoursAreAppliedWhenShownAndBadOnesIgnored) {
    write_setting(S, QStringLiteral("labelcolor"), QStringLiteral("clRed"));
    write_setting(S, QStringLiteral("Labelfcolor"), QStringLiteral("$000080FF"));
    write_setting(S, QStringLiteral("statsfcolor"), QStringLiteral("purple-ish"));
    form = std::make_unique<TForm1>(state, desktop); // shown as it is created
    EXPECT_TRUE(form->isVisible());
    for (QLabel* l : {form->lblSky1, form->lblMoonset, form->lblWindChill1, form->lblMoonPhase}) {
        EXPECT_EQ(l->palette().color(QPalette::Window), QColor(Qt::red))
            << l->objectName().toStdString();
        EXPECT_EQ(l->palette().color(QPalette::WindowText), QColor(255, 128, 0))
            << l->objectName().toStdString();
    }
    for (QLabel* l : {form->lblsky2, form->lblHeatIndex2})
        EXPECT_EQ(l->palette().color(QPalette::WindowText), QColor(0, 255, 0))
            << l->objectName().toStdString();
    EXPECT_TRUE(desktop.events.isEmpty()); // a bad colour text says nothing
}

TEST_F(MainWindow, WithoutStoredColoursTheDesignColoursStay) {
    form->show();
    EXPECT_EQ(form->lblTemperature->palette().color(QPalette::Window), QColor(0, 128, 128));
    EXPECT_EQ(form->lblTemp2->palette().color(QPalette::WindowText), QColor(0, 255, 0));
    EXPECT_EQ(form->lblTemp2->palette().color(QPalette::Window), QColor(Qt::black));
}

TEST_F(MainWindow, OuterSizeAndResizeLimitsIncludeTheFrameAndTheHeadingSpansTheWidth) {
    form->show();
    QApplication::processEvents();
    const QSize frame = form->frameGeometry().size() - form->size();
    ASSERT_GT(frame.height(), 0) << "the platform draws no frame: outer and client sizes are alike";
    EXPECT_EQ(form->frameGeometry().size(), QSize(325, 355));
    const struct {
        QSize asked, got; // outer sizes
    } rows[] = {{{500, 500}, {370, 390}},
                {{300, 300}, {325, 355}},
                {{350, 370}, {350, 370}},
                {{370, 390}, {370, 390}},
                {{325, 355}, {325, 355}}};
    for (const auto& row : rows) {
        form->resize(row.asked - frame);
        QApplication::processEvents();
        EXPECT_EQ(form->frameGeometry().size(), row.got)
            << row.asked.width() << "x" << row.asked.height();
        EXPECT_EQ(form->lblConditions->width(), form->width());
    }
}

TEST_F(MainWindow, StartupLocationNoneOrMissingFetchesNothing) {
    for (const char* stored : {static_cast<const char*>(nullptr), "None"}) {
        if (stored)
            write_setting(S, QStringLiteral("StartupLoc"), QLatin1String(stored));
        form->timer_startupTimer();
        EXPECT_TRUE(requests.isEmpty()) << (stored ? stored : "missing");
        EXPECT_FALSE(form->timer_startup->isActive());
    }
    EXPECT_EQ(form->lblTemp2->text(), QString());
    EXPECT_EQ(form->lblHeatIndex2->text(), QStringLiteral("n/a"));
    EXPECT_EQ(form->lblWindChill2->text(), QStringLiteral("n/a"));
}

TEST_F(MainWindow, StartupLocationIsFetchedUnattendedAndTheFlagClearsEvenOnFailure) {
    // Nothing listens on port 1: the usage ping costs a status text, the request fails.
    write_setting(QStringLiteral("Hosts"), QStringLiteral("Conditions"),
                  QStringLiteral("127.0.0.1:1"));
    write_setting(QStringLiteral("Hosts"), QStringLiteral("Maker"), QStringLiteral("127.0.0.1:1"));
    write_setting(S, QStringLiteral("StartupLoc"), QStringLiteral("Cairo, Egypt (O)"));
    EXPECT_TRUE(form->timer_startup->isActive());
    EXPECT_EQ(form->timer_startup->interval(), 4000);
    EXPECT_THROW(form->timer_startupTimer(), ESockError);
    EXPECT_EQ(requests, QStringList{QStringLiteral("Cairo, Egypt (O)")});
    EXPECT_EQ(auto_request_during, QStringList{QStringLiteral("y")});
    EXPECT_TRUE(state.auto_request.isEmpty());
    EXPECT_FALSE(form->timer_startup->isActive());
}

TEST_F(MainWindow, AutomaticUpdateFollowsTheSettingAndTheCaption) {
    EXPECT_EQ(form->Timer1->interval(), 1000);
    form->Timer1Timer(); // setting missing
    write_setting(S, QStringLiteral("AutoUpdate"), QStringLiteral("n"));
    form->Timer1Timer();
    EXPECT_EQ(form->Timer1->interval(), 1000);
    EXPECT_TRUE(requests.isEmpty());

    write_setting(S, QStringLiteral("AutoUpdate"), QStringLiteral("y"));
    form->Timer1Timer(); // nothing shown yet
    EXPECT_EQ(form->Timer1->interval(), 2400000);
    EXPECT_TRUE(requests.isEmpty());

    form->setWindowTitle(QStringLiteral("Nimbrix - Rome"));
    form->Timer1Timer();
    EXPECT_TRUE(requests.isEmpty());

    form->setWindowTitle(QStringLiteral("Nimbrix - Austin, TX "));
    write_setting(QStringLiteral("Hosts"), QStringLiteral("Conditions"),
                  QStringLiteral("127.0.0.1:1"));
    write_setting(QStringLiteral("Hosts"), QStringLiteral("Maker"), QStringLiteral("127.0.0.1:1"));
    EXPECT_THROW(form->Timer1Timer(), ESockError);
    EXPECT_EQ(requests, QStringList{QStringLiteral("Austin, TX")});
    EXPECT_EQ(auto_request_during, QStringList{QStringLiteral("y")});
    EXPECT_TRUE(state.auto_request.isEmpty());

    // Switched off again: the interval stays at 40 minutes and nothing more is fetched.
    write_setting(S, QStringLiteral("AutoUpdate"), QStringLiteral("n"));
    form->Timer1Timer();
    EXPECT_EQ(form->Timer1->interval(), 2400000);
    EXPECT_EQ(requests.size(), 1);
}

TEST_F(MainWindow, HelpContentsOpensFromTheMenuAndF1) {
    form->show();
    form->mnuHelpContents->trigger();
    EXPECT_EQ(desktop.count(QStringLiteral("help")), 1);
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    QTest::keyClick(form.get(), Qt::Key_F1);
    EXPECT_EQ(desktop.count(QStringLiteral("help")), 2);
}

// A picture or a bulletin minimizes the main window to the taskbar (never to the tray) and its
// close puts the main window back as the user had it.
TEST_F(MainWindow, APictureOrBulletinKeepsTheUsersChoiceOfMainWindowState) {
    form->tray->set_tray_available(true);
    TfrmImage picture(state, desktop, *form);
    TfrmForecast bulletin(state, desktop, *form->NMHTTP1, *form, *form);
    const struct {
        const char* name;
        std::function<void()> before;
        bool shown;
        Qt::WindowStates states;
    } rows[] = {
        {"normal", [this] { form->setWindowState(Qt::WindowNoState); }, true, Qt::WindowNoState},
        {"maximized", [this] { form->setWindowState(Qt::WindowMaximized); }, true,
         Qt::WindowMaximized},
        {"hidden in the tray", [this] { form->pithideClick(); }, false, Qt::WindowNoState},
    };
    for (QWidget* window : {static_cast<QWidget*>(&picture), static_cast<QWidget*>(&bulletin)})
        for (const auto& row : rows) {
            const std::string name = window->objectName().toStdString() + " " + row.name;
            form->pitshowClick();
            row.before();
            QCoreApplication::processEvents(); // the deferred steps of a state change
            window->show();
            QCoreApplication::processEvents();
            EXPECT_EQ(form->isVisible(), row.shown) << name;
            if (row.shown) {
                EXPECT_TRUE(form->isMinimized()) << name;
            }
            window->close();
            QCoreApplication::processEvents();
            EXPECT_EQ(form->isVisible(), row.shown) << name;
            if (row.shown) {
                EXPECT_EQ(form->windowState() & ~Qt::WindowActive, row.states) << name;
            }
        }
}

TEST_F(MainWindow, ExitClosesTheWindowAndTheIconLeavesTheTray) {
    form->tray->set_tray_available(true);
    form->show();
    QPointer<QSystemTrayIcon> icon = form->tray->tray_icon();
    EXPECT_TRUE(form->tray->in_tray());
    form->mnuExit1->trigger();
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(form->tray->AppVisible);
    form.reset();
    EXPECT_TRUE(icon.isNull());
}

TEST_F(MainWindow, TheFirstPaintHidesTheSplashAndAScreenshotShowsTheLayout) {
    QWidget splash;
    splash.show();
    form->set_splash(&splash);
    form->lblsky2->setText(QStringLiteral("Partly Cloudy"));
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    form->repaint();
    EXPECT_FALSE(splash.isVisible());

    const QImage shot = form->grab().toImage();
    const QString dir = qEnvironmentVariable("NIMBRIX_TEST_TMP", QDir::tempPath());
    EXPECT_TRUE(shot.save(dir + QStringLiteral("/main_window.png")));
    // Caption labels teal, value text lime, the background black.
    const QPoint client = form->centralWidget()->mapTo(form.get(), QPoint(0, 0));
    EXPECT_EQ(shot.pixelColor(client + form->lblSky1->geometry().topLeft() + QPoint(1, 1)),
              QColor(0, 128, 128));
    EXPECT_EQ(shot.pixelColor(client + form->lblMoonPhase->geometry().topLeft() + QPoint(1, 1)),
              QColor(0, 128, 128));
    EXPECT_EQ(shot.pixelColor(client + QPoint(150, 200)), QColor(Qt::black));
    bool lime = false;
    for (int x = 112; x < 200 && !lime; ++x)
        for (int y = 32; y < 48 && !lime; ++y)
            lime = shot.pixelColor(client + QPoint(x, y)) == QColor(0, 255, 0);
    EXPECT_TRUE(lime);
}

TEST_F(MainWindow, MoonPictureFollowsTheDateAndOnlyTodaysStands) {
    const struct {
        QDate date;
        const char* picture;
    } rows[] = {
        {QDate(1998, 1, 13), "GIFImageFull"}, {QDate(1998, 1, 28), "GIFImagenew"},
        {QDate(1998, 1, 20), "GIFImage50x"},  {QDate(1998, 1, 5), "GIFImagel40x"},
        {QDate(1998, 1, 31), "GIFImagel10x"},
    };
    for (const auto& row : rows) {
        form->today = [&] { return row.date; };
        form->show_moon_phase();
        QLabel* picture = label(row.picture);
        ASSERT_NE(picture, nullptr) << row.picture;
        EXPECT_TRUE(picture->isVisible()) << row.picture;
        EXPECT_EQ(picture->geometry(), QRect(237, 177, 81, 65));
        EXPECT_FALSE(picture->pixmap().isNull()) << row.picture;
        int visible = 0;
        for (QLabel* l : form->findChildren<QLabel*>())
            visible += l->objectName().startsWith(QLatin1String("GIFImage")) && l->isVisible();
        EXPECT_EQ(visible, 1) << row.picture;
    }
    EXPECT_TRUE(desktop.events.isEmpty());

    // Past the last table the program beeps and warns, and the picture stays.
    form->today = [] { return QDate(2100, 1, 1); };
    form->show_moon_phase();
    ASSERT_EQ(desktop.log().size(), 2);
    EXPECT_EQ(desktop.log()[0], QStringLiteral("beep"));
    EXPECT_TRUE(desktop.messages().value(0).startsWith(
        QStringLiteral("Warning - invalid year1 in moon phase logic.")));
    EXPECT_TRUE(label("GIFImagel10x")->isVisible());
}

TEST_F(MainWindow, AllTwentyMoonPicturesHaveTheirNamesAndPicturesInTheResources) {
    QStringList names{QStringLiteral("GIFImageFull"), QStringLiteral("GIFImagenew")};
    for (int t = 1; t <= 9; ++t)
        names << QStringLiteral("GIFImage%1x").arg(t * 10)
              << QStringLiteral("GIFImagel%1x").arg(t * 10);
    for (const QString& name : names) {
        auto* picture = form->findChild<QLabel*>(name);
        ASSERT_NE(picture, nullptr) << name.toStdString();
        EXPECT_FALSE(QPixmap(QStringLiteral(":/moon/%1.png").arg(name)).isNull())
            << name.toStdString();
    }
}

TEST_F(MainWindow, PageTextIsShownAsThePlainCharactersItHas) {
    const QByteArray page =
        "<html><head><title>Weather Underground: Chicago, Illinois Forecast</title></head><body>"
        "<p>Updated: <b>3:51 <i>PM</i> CST on January 5, 1998</b></p>"
        "<table><tr><td>Temperature</td>\n<td>72&#176;F</td></tr>"
        "<tr><td>Humidity</td>\n<td>65%</td></tr></table></body></html>";
    form->parse_conditions_page(page);
    EXPECT_EQ(label("lblConditions")->text(), QStringLiteral("Conditions at 3:51 <i>PM</i> CST"));
    form->set_status(QStringLiteral("Status = <a href=\"x\">HTTP/1.0 200 OK</a>"));
    // Every label of the window, those that show page and host text among them.
    const QList<QLabel*> labels = form->findChildren<QLabel*>();
    ASSERT_GT(labels.size(), 25);
    for (QLabel* l : labels)
        EXPECT_EQ(l->textFormat(), Qt::PlainText) << l->objectName().toStdString();
}
