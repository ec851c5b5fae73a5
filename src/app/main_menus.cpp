#include "app/main_window.h"

#include "images/image_catalogue.h"
#include "platform/guarded.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QProxyStyle>
#include <QStyleOptionMenuItem>

// The main window's menu tree and the tray popups.

// One entry of the main window's menus and the tray popups.
struct MenuEntry {
    enum Kind {
        Bar,       // a menu of the menu bar
        Popup,     // a popup menu of the tray
        Submenu,   // a menu inside another
        Item,      // a command
        Separator, // a line between commands
        Presets,   // the twenty preset items, hidden until a preset fills them
    };
    Kind kind;
    QMenu* TForm1::*parent = nullptr; // the menu the entry stands in; none for Bar and Popup
    const char* name = "";
    const char* caption = "";
    QMenu* TForm1::*menu = nullptr;     // the menu a Bar, Popup or Submenu entry makes
    QAction* TForm1::*action = nullptr; // the item an Item or Separator makes
    void (TForm1::*handler)() = nullptr;
    bool enabled = true;
};

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

constexpr MenuEntry bar(QMenu* TForm1::*menu, const char* name, const char* caption) {
    return {MenuEntry::Bar, nullptr, name, caption, menu};
}
constexpr MenuEntry popup(QMenu* TForm1::*menu, const char* name) {
    return {MenuEntry::Popup, nullptr, name, "", menu};
}
constexpr MenuEntry submenu(QMenu* TForm1::*parent, QMenu* TForm1::*menu, const char* name,
                            const char* caption) {
    return {MenuEntry::Submenu, parent, name, caption, menu};
}
constexpr MenuEntry item(QMenu* TForm1::*parent, QAction* TForm1::*action, const char* name,
                         const char* caption, void (TForm1::*handler)(), bool enabled = true) {
    return {MenuEntry::Item, parent, name, caption, nullptr, action, handler, enabled};
}
constexpr MenuEntry separator(QMenu* TForm1::*parent, QAction* TForm1::*action = nullptr,
                              const char* name = "") {
    return {MenuEntry::Separator, parent, name, "", nullptr, action};
}
constexpr MenuEntry presets(QMenu* TForm1::*parent) {
    return {MenuEntry::Presets, parent};
}

using F = TForm1;

// The menus in the order they show; the image commands join their menus afterwards.
// clang-format off
const MenuEntry menu_entries[] = {
    bar(&F::mnuOptions, "mnuOptions", "&Options"),
    submenu(&F::mnuOptions, &F::mnuPreferences, "mnuPreferences", "&Preferences"),
    item(&F::mnuPreferences, &F::mnuGeneralPreferences1, "mnuGeneralPreferences1", "&General Preferences...", &F::mnuGeneralPreferences1Click),
    item(&F::mnuPreferences, &F::mnuMainLabelColor1, "mnuMainLabelColor1", "&Label Color", &F::mnuMainLabelColor1Click),
    item(&F::mnuPreferences, &F::mnuMainLabelFontColor1, "mnuMainLabelFontColor1", "Label &Font Color", &F::mnuMainLabelFontColor1Click),
    item(&F::mnuPreferences, &F::mnuStatsFontColor1, "mnuStatsFontColor1", "Stats &Font Color", &F::mnuStatsFontColor1Click),
    item(&F::mnuOptions, &F::mnuMinimize, "mnuMinimize", "&Minimize to tray", &F::mnuMinimizeClick),
    item(&F::mnuOptions, &F::mnuExit1, "mnuExit1", "E&xit", &F::mnuExit1Click),

    bar(&F::mnuGetStats, "mnuGetStats", "&Get Stats"),
    item(&F::mnuGetStats, &F::mnuChooseLocation, "mnuChooseLocation", "&Choose Location...", &F::mnuChooseLocationClick),
    separator(&F::mnuGetStats, &F::N2, "N2"),
    presets(&F::mnuGetStats),
    separator(&F::mnuGetStats, &F::N4, "N4"),
    item(&F::mnuGetStats, &F::mnuAbortconnection, "mnuAbortconnection", "Abort GetStats connection", &F::mnuAbortconnectionClick),
    item(&F::mnuGetStats, &F::mnuClearlocations, "mnuClearlocations", "Clear all locations", &F::mnuClearlocationsClick),
    item(&F::mnuGetStats, &F::mnuRemoveaspecificlocation1, "mnuRemoveaspecificlocation1", "Remove a specific location", &F::mnuRemoveaspecificlocation1Click),
    item(&F::mnuGetStats, &F::mnuSortlocations1, "mnuSortlocations1", "Sort locations", &F::mnuSortlocations1Click),

    bar(&F::mnuImages, "mnuImages", "&Images"),
    submenu(&F::mnuImages, &F::mnuRadarImages, "mnuRadarImages", "&Radar Images"),
    item(&F::mnuRadarImages, &F::mnuLocalTVStationRadar1, "mnuLocalTVStationRadar1", "Local TV Station Radars...", &F::mnuLocalTVStationRadar1Click, false),
    submenu(&F::mnuImages, &F::mnuSatelliteImages, "mnuSatelliteImages", "&Satellite Images"),
    submenu(&F::mnuImages, &F::mnuWeatherCams, "mnuWeatherCams", "&Weather Cams"),

    bar(&F::mnuForecasts, "mnuForecasts", "&Forecasts"),
    item(&F::mnuForecasts, &F::mnuNowcast, "mnuNowcast", "&Nowcast - Short term forecast", &F::mnuNowcastClick),
    item(&F::mnuForecasts, &F::mnuForecastHTML, "mnuForecastHTML", "Forecast - &HTML Version", &F::mnuForecastHTMLClick),
    item(&F::mnuForecasts, &F::ForecastTEXTversion1, "ForecastTEXTversion1", "Forecast - &TEXT version", &F::ForecastTEXTversion1Click),
    submenu(&F::mnuForecasts, &F::mnu10dayOutlook, "mnu10dayOutlook", "&1 - 10-day Temperature Outlook"),
    submenu(&F::mnuForecasts, &F::mnu10dayPrecOutlook, "mnu10dayPrecOutlook", "&2 - 10-day Precipitation Outlook"),

    bar(&F::mnuWarnings, "mnuWarnings", "I&nformation"),
    item(&F::mnuWarnings, &F::mnuHydrologicalDataNWS1, "mnuHydrologicalDataNWS1", "&Hydrological Data (NWS)", &F::mnuHydrologicalDataNWS1Click),
    item(&F::mnuWarnings, &F::PublicInformation1, "PublicInformation1", "&Public Information (NWS)", &F::PublicInformation1Click),
    item(&F::mnuWarnings, &F::mnuSpecialWeatherStatementsNWS1, "mnuSpecialWeatherStatementsNWS1", "&Special Weather Statements (NWS)", &F::mnuSpecialWeatherStatementsNWS1Click),
    item(&F::mnuWarnings, &F::mnuWarningsAdvisories, "mnuWarningsAdvisories", "&Warnings and Advisories (NWS)", &F::mnuWarningsAdvisoriesClick),
    separator(&F::mnuWarnings, &F::N5, "N5"),
    submenu(&F::mnuWarnings, &F::mnuGetCountyInfo1, "mnuGetCountyInfo1", "Census Information"),
    item(&F::mnuGetCountyInfo1, &F::mnuDetailbyUSState1, "mnuDetailbyUSState1", "Detail by US State...", &F::mnuDetailbyUSState1Click),
    item(&F::mnuGetCountyInfo1, &F::mnuDetailbyUSZip1, "mnuDetailbyUSZip1", "Detail by US Zip...", &F::mnuDetailbyUSZip1Click),
    item(&F::mnuGetCountyInfo1, &F::mnuUSMHHIncomebyState1, "mnuUSMHHIncomebyState1", "US Median HH Income by State...", &F::mnuUSMHHIncomebyState1Click),
    item(&F::mnuGetCountyInfo1, &F::mnuCensusStateSal, "mnuCensusStateSal", "US State Salary Rankings...", &F::mnuCensusStateSalClick),

    bar(&F::mnuHelp, "mnuHelp", "&Help"),
    item(&F::mnuHelp, &F::mnuHelpContents, "mnuHelpContents", "Help &Contents (F1)", &F::mnuHelpContentsClick),
    separator(&F::mnuHelp, &F::N1, "N1"),
    item(&F::mnuHelp, &F::mnuAbout, "mnuAbout", "&About Nimbrix...", &F::mnuAboutClick),
    item(&F::mnuHelp, &F::CheckforUpdate1, "CheckforUpdate1", "Check Version #...", &F::CheckforUpdate1Click),

    popup(&F::pmnLeft, "pmnLeft"),
    item(&F::pmnLeft, &F::pmnLeft_show, "pmnLeft_show", "Restore window...", &F::pitshowClick),
    popup(&F::pmnRight, "pmnRight"),
    item(&F::pmnRight, &F::pitshow, "pitshow", "Restore window...", &F::pitshowClick),
    item(&F::pmnRight, &F::pithide, "pithide", "Hide window...", &F::pithideClick),
    // Checkable; the warning watch keeps its check, greying and tooltip.
    item(&F::pmnRight, &F::pitwatch, "pitwatch", "&Watch for warnings", &F::pitwatchClick, false),
    separator(&F::pmnRight),
    item(&F::pmnRight, &F::pitExit, "pitExit", "Exit", &F::pitExitClick),
};
// clang-format on

} // namespace

void TForm1::create_menus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    // Six menus fit the window's width in one row with a compact font.
    bar->setFont(window_font(11));
    auto* padding = new MenuBarItemPadding;
    padding->setParent(bar);
    bar->setStyle(padding);
    for (const MenuEntry& entry : menu_entries)
        add_menu_entry(entry);
    add_image_commands();
    // The main window's own F1: each window of the program answers its help key itself.
    mnuHelpContents->setShortcut(QKeySequence(Qt::Key_F1));
    mnuHelpContents->setShortcutContext(Qt::WindowShortcut);
    pmnRight->setToolTipsVisible(true);
}

void TForm1::add_menu_entry(const MenuEntry& entry) {
    const QString name = QLatin1String(entry.name);
    const QString caption = QString::fromLatin1(entry.caption);
    QMenu* parent = entry.parent ? this->*entry.parent : nullptr;
    switch (entry.kind) {
    case MenuEntry::Bar:
        this->*entry.menu = menuBar()->addMenu(caption);
        (this->*entry.menu)->setObjectName(name);
        break;
    case MenuEntry::Popup:
        this->*entry.menu = new QMenu(this);
        (this->*entry.menu)->setObjectName(name);
        break;
    case MenuEntry::Submenu:
        this->*entry.menu = add_submenu(this, parent, name, caption);
        break;
    case MenuEntry::Item:
        this->*entry.action = add_item(parent, name, caption, entry.enabled);
        if (entry.handler)
            command(this->*entry.action, entry.handler);
        break;
    case MenuEntry::Separator: {
        QAction* line = add_separator(parent, name);
        if (entry.action)
            this->*entry.action = line;
        break;
    }
    case MenuEntry::Presets:
        add_preset_items(parent);
        break;
    }
}

// The twenty preset items: hidden until a preset fills one.
void TForm1::add_preset_items(QMenu* menu) {
    for (int i = 0; i < 20; ++i) {
        // The first four items are spelled with a small "s"; their design captions differ.
        const QString name =
            (i < 4 ? QStringLiteral("mnuViewstats%1") : QStringLiteral("mnuViewStats%1")).arg(i);
        const QString caption =
            (i == 0 || i == 2 || i == 3) ? name : QStringLiteral("mnuViewStats%1").arg(i);
        mnuViewStats[i] = add_item(menu, name, caption, true);
        mnuViewStats[i]->setVisible(false);
        connect_command(mnuViewStats[i], desktop_,
                        quiet_after_exit([this, i] { mnuViewStatsClick(i); }));
    }
}

// The image commands, each in its menu: radar images before the local-radar item, the
// population counters before the census submenu, the others at the end.
void TForm1::add_image_commands() {
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
    auto image_item = [this](const char* name) { return findChild<QAction*>(QLatin1String(name)); };
    mnuUSStormWatch1 = image_item("mnuUSStormWatch1");
    mnu1and3monthUSPrecipitation1 = image_item("mnu1and3monthUSPrecipitation1");
    mnu12monthUSTemperatureOutlook1 = image_item("mnu12monthUSTemperatureOutlook1");
    mnu12monthUSPrecipitationOutlook1 = image_item("mnu12monthUSPrecipitationOutlook1");
    mnuCurrWorldPop1 = image_item("mnuCurrWorldPop1");
    mnuCurrentUSPopulation1 = image_item("mnuCurrentUSPopulation1");
}
