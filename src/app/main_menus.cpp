#include "app/main_window.h"

#include "images/image_catalogue.h"
#include "platform/guarded.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QProxyStyle>
#include <QStyleOptionMenuItem>

// The main window's menu tree and the tray popups.

namespace {

QAction* add_item(QMenu* menu, const QString& name, const QString& caption, bool enabled = false) {
    auto* action = menu->addAction(caption);
    action->setObjectName(name);
    action->setEnabled(enabled);
    return action;
}

QAction* add_separator(QMenu* menu, const QString& name) {
    auto* action = menu->addSeparator();
    action->setObjectName(name);
    return action;
}

// The menu bar's items with two pixels above and below their caption and four beside it, so
// that six menus fit the window's width in one row (the base style draws each item in the
// space inside that padding).
class MenuBarItemPadding : public QProxyStyle {
public:
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override {
        if (type == CT_MenuBarItem)
            return size + QSize(2 * horizontal, 2 * vertical);
        return QProxyStyle::sizeFromContents(type, option, size, widget);
    }
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
        const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
        if (element != CE_MenuBarItem || !item) {
            QProxyStyle::drawControl(element, option, painter, widget);
            return;
        }
        QStyleOptionMenuItem inside(*item);
        inside.rect = item->rect.adjusted(horizontal, vertical, -horizontal, -vertical);
        QProxyStyle::drawControl(element, &inside, painter, widget);
    }

private:
    static constexpr int horizontal = 4;
    static constexpr int vertical = 2;
};

QMenu* add_submenu(QWidget* owner, QMenu* parent, const QString& name, const QString& caption) {
    auto* menu = new QMenu(caption, owner);
    menu->setObjectName(name);
    parent->addMenu(menu);
    return menu;
}

} // namespace

void TForm1::create_menus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    // Six menus fit the window's width in one row with a compact font.
    bar->setFont(window_font(11));
    auto* padding = new MenuBarItemPadding;
    padding->setParent(bar);
    bar->setStyle(padding);
    auto top = [&](const char* name, const char* caption) {
        auto* menu = bar->addMenu(QString::fromLatin1(caption));
        menu->setObjectName(QLatin1String(name));
        return menu;
    };
    auto item = [](QMenu* menu, const char* name, const char* caption, bool enabled = false) {
        return add_item(menu, QLatin1String(name), QString::fromLatin1(caption), enabled);
    };
    auto sub = [this](QMenu* parent, const char* name, const char* caption) {
        return add_submenu(this, parent, QLatin1String(name), QString::fromLatin1(caption));
    };

    mnuOptions = top("mnuOptions", "&Options");
    mnuPreferences = sub(mnuOptions, "mnuPreferences", "&Preferences");
    mnuGeneralPreferences1 =
        item(mnuPreferences, "mnuGeneralPreferences1", "&General Preferences...", true);
    mnuMainLabelColor1 = item(mnuPreferences, "mnuMainLabelColor1", "&Label Color", true);
    mnuMainLabelFontColor1 =
        item(mnuPreferences, "mnuMainLabelFontColor1", "Label &Font Color", true);
    mnuStatsFontColor1 = item(mnuPreferences, "mnuStatsFontColor1", "Stats &Font Color", true);
    command(mnuGeneralPreferences1, &TForm1::mnuGeneralPreferences1Click);
    command(mnuMainLabelColor1, &TForm1::mnuMainLabelColor1Click);
    command(mnuMainLabelFontColor1, &TForm1::mnuMainLabelFontColor1Click);
    command(mnuStatsFontColor1, &TForm1::mnuStatsFontColor1Click);
    mnuMinimize = item(mnuOptions, "mnuMinimize", "&Minimize to tray", true);
    mnuExit1 = item(mnuOptions, "mnuExit1", "E&xit", true);
    command(mnuMinimize, &TForm1::mnuMinimizeClick);
    command(mnuExit1, &TForm1::mnuExit1Click);

    mnuGetStats = top("mnuGetStats", "&Get Stats");
    mnuChooseLocation = item(mnuGetStats, "mnuChooseLocation", "&Choose Location...", true);
    command(mnuChooseLocation, &TForm1::mnuChooseLocationClick);
    N2 = add_separator(mnuGetStats, QStringLiteral("N2"));
    for (int i = 0; i < 20; ++i) {
        // The first four items are spelled with a small "s"; their design captions differ.
        const QString name =
            (i < 4 ? QStringLiteral("mnuViewstats%1") : QStringLiteral("mnuViewStats%1")).arg(i);
        const QString caption =
            (i == 0 || i == 2 || i == 3) ? name : QStringLiteral("mnuViewStats%1").arg(i);
        mnuViewStats[i] = add_item(mnuGetStats, name, caption, true);
        mnuViewStats[i]->setVisible(false);
        connect_command(mnuViewStats[i], desktop_,
                        quiet_after_exit([this, i] { mnuViewStatsClick(i); }));
    }
    N4 = add_separator(mnuGetStats, QStringLiteral("N4"));
    mnuAbortconnection = item(mnuGetStats, "mnuAbortconnection", "Abort GetStats connection", true);
    mnuClearlocations = item(mnuGetStats, "mnuClearlocations", "Clear all locations", true);
    mnuRemoveaspecificlocation1 =
        item(mnuGetStats, "mnuRemoveaspecificlocation1", "Remove a specific location", true);
    mnuSortlocations1 = item(mnuGetStats, "mnuSortlocations1", "Sort locations", true);
    command(mnuAbortconnection, &TForm1::mnuAbortconnectionClick);
    command(mnuClearlocations, &TForm1::mnuClearlocationsClick);
    command(mnuRemoveaspecificlocation1, &TForm1::mnuRemoveaspecificlocation1Click);
    command(mnuSortlocations1, &TForm1::mnuSortlocations1Click);

    mnuImages = top("mnuImages", "&Images");
    mnuRadarImages = sub(mnuImages, "mnuRadarImages", "&Radar Images");
    mnuLocalTVStationRadar1 =
        item(mnuRadarImages, "mnuLocalTVStationRadar1", "Local TV Station Radars...");
    mnuSatelliteImages = sub(mnuImages, "mnuSatelliteImages", "&Satellite Images");
    mnuWeatherCams = sub(mnuImages, "mnuWeatherCams", "&Weather Cams");

    mnuForecasts = top("mnuForecasts", "&Forecasts");
    mnuNowcast = item(mnuForecasts, "mnuNowcast", "&Nowcast - Short term forecast", true);
    mnuForecastHTML = item(mnuForecasts, "mnuForecastHTML", "Forecast - &HTML Version", true);
    ForecastTEXTversion1 =
        item(mnuForecasts, "ForecastTEXTversion1", "Forecast - &TEXT version", true);
    mnu10dayOutlook = sub(mnuForecasts, "mnu10dayOutlook", "&1 - 10-day Temperature Outlook");
    mnu10dayPrecOutlook =
        sub(mnuForecasts, "mnu10dayPrecOutlook", "&2 - 10-day Precipitation Outlook");

    mnuWarnings = top("mnuWarnings", "I&nformation");
    mnuHydrologicalDataNWS1 =
        item(mnuWarnings, "mnuHydrologicalDataNWS1", "&Hydrological Data (NWS)", true);
    PublicInformation1 = item(mnuWarnings, "PublicInformation1", "&Public Information (NWS)", true);
    mnuSpecialWeatherStatementsNWS1 = item(mnuWarnings, "mnuSpecialWeatherStatementsNWS1",
                                           "&Special Weather Statements (NWS)", true);
    mnuWarningsAdvisories =
        item(mnuWarnings, "mnuWarningsAdvisories", "&Warnings and Advisories (NWS)", true);
    N5 = add_separator(mnuWarnings, QStringLiteral("N5"));
    mnuGetCountyInfo1 = sub(mnuWarnings, "mnuGetCountyInfo1", "Census Information");
    mnuDetailbyUSState1 =
        item(mnuGetCountyInfo1, "mnuDetailbyUSState1", "Detail by US State...", true);
    mnuDetailbyUSZip1 = item(mnuGetCountyInfo1, "mnuDetailbyUSZip1", "Detail by US Zip...", true);
    mnuUSMHHIncomebyState1 =
        item(mnuGetCountyInfo1, "mnuUSMHHIncomebyState1", "US Median HH Income by State...", true);
    mnuCensusStateSal =
        item(mnuGetCountyInfo1, "mnuCensusStateSal", "US State Salary Rankings...", true);
    command(ForecastTEXTversion1, &TForm1::ForecastTEXTversion1Click);
    command(mnuNowcast, &TForm1::mnuNowcastClick);
    command(mnuForecastHTML, &TForm1::mnuForecastHTMLClick);
    command(PublicInformation1, &TForm1::PublicInformation1Click);
    command(mnuWarningsAdvisories, &TForm1::mnuWarningsAdvisoriesClick);
    command(mnuSpecialWeatherStatementsNWS1, &TForm1::mnuSpecialWeatherStatementsNWS1Click);
    command(mnuHydrologicalDataNWS1, &TForm1::mnuHydrologicalDataNWS1Click);
    command(mnuDetailbyUSState1, &TForm1::mnuDetailbyUSState1Click);
    command(mnuDetailbyUSZip1, &TForm1::mnuDetailbyUSZip1Click);
    command(mnuUSMHHIncomebyState1, &TForm1::mnuUSMHHIncomebyState1Click);
    command(mnuCensusStateSal, &TForm1::mnuCensusStateSalClick);

    // The image commands, each in its menu: radar images before the local-radar item, the
    // population counters before the census submenu, the others at the end.
    for (const ImageRow& row : image_catalogue()) {
        auto* menu = findChild<QMenu*>(QLatin1String(row.menu));
        QAction* before = menu == mnuRadarImages ? mnuLocalTVStationRadar1
                          : menu == mnuWarnings  ? mnuGetCountyInfo1->menuAction()
                                                 : nullptr;
        auto* action = new QAction(QString::fromLatin1(row.caption), menu);
        action->setObjectName(QLatin1String(row.item));
        menu->insertAction(before, action);
        connect_command(action, desktop_, quiet_after_exit([this, item = QLatin1String(row.item)] {
                            image_command(item);
                        }));
    }
    command(mnuLocalTVStationRadar1, &TForm1::mnuLocalTVStationRadar1Click);
    auto image_item = [this](const char* name) { return findChild<QAction*>(QLatin1String(name)); };
    mnuUSStormWatch1 = image_item("mnuUSStormWatch1");
    mnu1and3monthUSPrecipitation1 = image_item("mnu1and3monthUSPrecipitation1");
    mnu12monthUSTemperatureOutlook1 = image_item("mnu12monthUSTemperatureOutlook1");
    mnu12monthUSPrecipitationOutlook1 = image_item("mnu12monthUSPrecipitationOutlook1");
    mnuCurrWorldPop1 = image_item("mnuCurrWorldPop1");
    mnuCurrentUSPopulation1 = image_item("mnuCurrentUSPopulation1");

    mnuHelp = top("mnuHelp", "&Help");
    mnuHelpContents = item(mnuHelp, "mnuHelpContents", "Help &Contents (F1)", true);
    // The main window's own F1: each window of the program answers its help key itself.
    mnuHelpContents->setShortcut(QKeySequence(Qt::Key_F1));
    mnuHelpContents->setShortcutContext(Qt::WindowShortcut);
    command(mnuHelpContents, &TForm1::mnuHelpContentsClick);
    N1 = add_separator(mnuHelp, QStringLiteral("N1"));
    mnuAbout = item(mnuHelp, "mnuAbout", "&About Nimbrix...", true);
    CheckforUpdate1 = item(mnuHelp, "CheckforUpdate1", "Check Version #...", true);
    command(mnuAbout, &TForm1::mnuAboutClick);
    command(CheckforUpdate1, &TForm1::CheckforUpdate1Click);

    // The tray popups.
    pmnLeft = new QMenu(this);
    pmnLeft->setObjectName(QStringLiteral("pmnLeft"));
    pmnLeft_show = item(pmnLeft, "pmnLeft_show", "Restore window...", true);
    pmnRight = new QMenu(this);
    pmnRight->setObjectName(QStringLiteral("pmnRight"));
    pitshow = item(pmnRight, "pitshow", "Restore window...", true);
    pithide = item(pmnRight, "pithide", "Hide window...", true);
    // Checkable; the warning watch keeps its check, greying and tooltip.
    pitwatch = item(pmnRight, "pitwatch", "&Watch for warnings", false);
    pmnRight->setToolTipsVisible(true);
    pmnRight->addSeparator();
    pitExit = item(pmnRight, "pitExit", "Exit", true);
    command(pmnLeft_show, &TForm1::pitshowClick);
    command(pitshow, &TForm1::pitshowClick);
    command(pithide, &TForm1::pithideClick);
    command(pitExit, &TForm1::pitExitClick);
    command(pitwatch, &TForm1::pitwatchClick);
}
