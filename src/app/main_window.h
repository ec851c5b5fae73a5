#pragma once

#include "app/conditions_request.h"
#include "images/image_window.h"
#include "locations/location_chooser.h"
#include "locations/presets.h"
#include "settings/preferences_rules.h"
#include "settings/proxy_info.h"
#include "shared/on_demand.h"

#include <QDate>

#include <QIcon>
#include <QList>
#include <QMainWindow>
#include <array>
#include <functional>
#include <memory>
#include <optional>

class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QTimer;
class Desktop;
class ImageCommands;
class OuterCentring;
class OuterSize;
class TNMHTTP;
class TOnTray;
class TfrmAbout;
class TfrmPref;
class TfrmForecast;
class WarningWatch;
struct MenuEntry;
struct ProgramState;

// The program's icon in every size drawn for it (the 16-pixel one is drawn by hand).
QIcon program_icon();

// The main window: the labelled conditions readout, the status bar, the menu tree, the
// start-up and automatic update timers, and the tray icon. Its handlers keep the names of
// the commands they serve.
class TForm1 : public QMainWindow,
               public PresetMenu,
               public ChooserHost,
               public ConditionsView,
               public ImageHost {
    Q_OBJECT
public:
    TForm1(ProgramState& state, Desktop& desktop, QWidget* parent = nullptr);
    ~TForm1() override;

    ProgramState& state() { return state_; }
    Desktop& desktop() { return desktop_; }

    // Panel 0 of the status bar, where every progress text of the program goes.
    void set_status(const QString& text) override;
    QString status_text() const;
    // Repaints the window at once (progress texts stay readable during a blocking request).
    void repaint_now() override;

    // ChooserHost. Commands run through the default error report; errors of a request ended by
    // the program's own exit are not shown.
    void run_command(const std::function<void()>& command) override { run(command); }
    bool client_busy() const override;
    void refuse_when_busy() const override;
    void request_chosen_conditions() override;
    void end_chosen_request() override;

    // The splash that the first paint hides.
    void set_splash(QWidget* splash) { splash_ = splash; }
    // The location chooser that "&Choose Location..." shows.
    void set_chooser(TfrmLocation* chooser) { frmLocation.set(chooser); }
    // The image commands and the wallpaper steps, with the image window they fill.
    void set_images(ImageCommands* images) { images_.set(images); }
    // Made with the image window the first time an image command or wallpaper step runs.
    void set_images_maker(std::function<ImageCommands*()> make) {
        images_.set_maker(std::move(make));
    }
    ImageCommands* images() { return images_.get(); }

    // ImageHost: the main window is minimized (to the taskbar, never to the tray) while an
    // image is on show; the image's close puts it back as it was: normal, maximized, or still
    // hidden in the tray.
    void minimize_main() override;
    void restore_main() override;

    // The image commands' download and the wallpaper steps (src/images/image_commands).
    void do_image();
    void do_wallpaper();
    void GetWinDir();
    void set_wallpaper(const QString& path);
    void auto_wallpaper();
    void update_auto_wallpaper();
    // The preferences window and the about box that their commands show.
    void set_preferences(TfrmPref* preferences);
    // The preferences window is made by make when first shown; the watch follows what it
    // writes from then on.
    void set_preferences_maker(std::function<TfrmPref*()> make);
    void set_about(TfrmAbout* about) { frmAbout.set(about); }
    // The forecast window that the text-product commands show.
    void set_forecast(TfrmForecast* forecast) { frmForecast.set(forecast); }

    // Progress texts of the client's events: into the forecast window's status line while it
    // serves a text product (xcast_code set), else into panel 0.
    void report(const QString& text) { client_events_->report(text); }
    // Where report sends texts while xcast_code is set; the forecast window plugs in here.
    std::function<void(const QString&)> forecast_status;

    // The conditions request for current_location.location_text (presets, start-up timer,
    // automatic update).
    void Get_the_Stats();
    void send_usage_ping();
    // ConditionsView.
    void parse_conditions_page(const QByteArray& page) override;
    void compute_derived_values() override;
    int user_aborts() const override { return user_aborts_; }

    // PresetMenu: the twenty preset items of "&Get Stats".
    void set_preset_item(int n, const QString& text) override;
    void clear_preset_items() override;
    void repaint_menu() override { repaint_now(); }

    void get_startup_wstats();
    void launch_help();

    // Shows the picture of the Moon's phase for today at its place under "Moon Phase:"
    // (a year outside the tables beeps and warns instead).
    void show_moon_phase() override;
    // The date the moon phase is shown for; tests set another clock.
    std::function<QDate()> today = [] { return QDate::currentDate(); };

    // Colour appliers: the colour text in state().chosen_color applied to the 13 caption
    // labels' background, their font, or the 12 value labels' font; a text that is not a
    // colour changes nothing.
    void set_label_colors();
    void set_label_font_colors();
    void set_stats_font_color();

    // Handlers.
    void mnuViewStatsClick(int n);
    void mnuAbortconnectionClick();
    void mnuChooseLocationClick();
    void mnuClearlocationsClick();
    void mnuRemoveaspecificlocation1Click();
    void mnuSortlocations1Click();
    void ForecastTEXTversion1Click();
    void mnuNowcastClick();
    void PublicInformation1Click();
    void mnuWarningsAdvisoriesClick();
    void mnuSpecialWeatherStatementsNWS1Click();
    void mnuHydrologicalDataNWS1Click();
    void mnuDetailbyUSState1Click();
    void mnuDetailbyUSZip1Click();
    void mnuUSMHHIncomebyState1Click();
    void mnuCensusStateSalClick();
    void mnuForecastHTMLClick();
    void timer_startupTimer();
    void Timer1Timer();
    // Every image command of the catalogue (mnuUSRadarPurdueClick ... mnuCamUtahAlta1Click).
    void image_command(const QString& item);
    void mnuLocalTVStationRadar1Click();
    void mnuExit1Click();
    void mnuHelpContentsClick();
    void mnuGeneralPreferences1Click();
    void mnuMainLabelColor1Click();
    void mnuMainLabelFontColor1Click();
    void mnuStatsFontColor1Click();
    void mnuAboutClick();
    void CheckforUpdate1Click();
    void btnMinimizeClick();
    void mnuMinimizeClick();
    void pitshowClick();
    void pithideClick();
    void pitExitClick();
    void pitwatchClick();
    void minimize_logic();
    // A click on a warning's message: the warnings window for the watched state.
    void show_watched_warnings(const QString& state_code);

    // Controls, named as the window's design names them.
    QLabel* lblConditions;
    QLabel *lblSky1, *lblTemperature, *lblHumidity, *lblPressure, *lblWind, *lblVisible;
    QLabel *lblSunrise, *lblSunset, *lblMoonrise, *lblMoonset;
    QLabel *lblWindChill1, *lblHeatIndex1, *lblMoonPhase;
    QLabel *lblsky2, *lblTemp2, *lblHumid2, *lblPress2, *lblWind2, *lblVisible2;
    QLabel *lblSunrise2, *lblSunset2, *lblMoonRise2, *lblMoonSet2;
    QLabel *lblWindChill2, *lblHeatIndex2;
    QLabel* Label1;
    QPushButton* btnMinimize;
    QLabel* StatusPanel0;
    QLabel* StatusPanel1;
    QTimer* timer_startup;
    QTimer* Timer1;
    TOnTray* tray = nullptr;
    TNMHTTP* NMHTTP1 = nullptr;
    // The other windows, each made when its command first shows it (or handed over made).
    OnDemand<TfrmLocation> frmLocation;
    OnDemand<TfrmPref> frmPref;
    OnDemand<TfrmAbout> frmAbout;
    OnDemand<TfrmForecast> frmForecast;

    // The preferences' start-up list, also the working list of the preset rebuild.
    StartupChoices startup_choices;
    // The client's proxy properties that the proxy settings step sets.
    ProxyProperties proxy_properties();

    // The 13 tray pictures, indexes 0 to 12.
    QList<QIcon> IconList;
    // The moon-phase pictures: GIFImageFull, GIFImagenew, GIFImage10x ... GIFImage90x,
    // GIFImagel10x ... GIFImagel90x.
    QLabel* GIFImageFull;
    QLabel* GIFImagenew;
    std::array<QLabel*, 9> GIFImage{};  // GIFImage10x ... GIFImage90x
    std::array<QLabel*, 9> GIFImagel{}; // GIFImagel10x ... GIFImagel90x

    // Menus and commands.
    QMenu *mnuOptions, *mnuPreferences, *mnuGetStats, *mnuImages, *mnuRadarImages,
        *mnuSatelliteImages, *mnuWeatherCams, *mnuForecasts, *mnu10dayOutlook, *mnu10dayPrecOutlook,
        *mnuWarnings, *mnuGetCountyInfo1, *mnuHelp;
    QAction *mnuGeneralPreferences1, *mnuMainLabelColor1, *mnuMainLabelFontColor1,
        *mnuStatsFontColor1, *mnuMinimize, *mnuExit1;
    QAction *mnuChooseLocation, *N2, *N4, *mnuAbortconnection, *mnuClearlocations,
        *mnuRemoveaspecificlocation1, *mnuSortlocations1;
    std::array<QAction*, 20> mnuViewStats{}; // mnuViewstats0 ... mnuViewStats19
    QAction *mnuNowcast, *mnuForecastHTML, *ForecastTEXTversion1, *mnu1and3monthUSPrecipitation1,
        *mnu12monthUSTemperatureOutlook1, *mnu12monthUSPrecipitationOutlook1;
    QAction *mnuHydrologicalDataNWS1, *PublicInformation1, *mnuSpecialWeatherStatementsNWS1,
        *mnuWarningsAdvisories, *N5, *mnuCurrWorldPop1, *mnuCurrentUSPopulation1,
        *mnuDetailbyUSState1, *mnuDetailbyUSZip1, *mnuUSMHHIncomebyState1, *mnuCensusStateSal;
    QAction *mnuUSStormWatch1, *mnuLocalTVStationRadar1;
    QAction *mnuHelpContents, *N1, *mnuAbout, *CheckforUpdate1;
    QMenu *pmnLeft, *pmnRight;
    QAction *pmnLeft_show, *pitshow, *pithide, *pitwatch, *pitExit;
    // The warning watch that "&Watch for warnings" switches.
    WarningWatch* watch = nullptr;

Q_SIGNALS:
    // Raised at the start of every conditions request with the location string it serves.
    void stats_requested(const QString& location_text);
    // Raised for every text put into panel 0 of the status bar, in order.
    void status_changed(const QString& text);

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    // The start-up work of the first show: centring, stored colours, presets, moon picture,
    // proxy settings.
    void FormShow();
    void FormPaint();
    void FormResize();
    void FormClose();
    void create_labels();
    void create_credit_and_minimize(QWidget* client);
    // The menu tree and the tray popups (main_menus.cpp): the table of menus and items, then
    // the presets' items and the image commands.
    void create_menus();
    void add_menu_entry(const MenuEntry& entry);
    void add_preset_items(QMenu* menu);
    void add_image_commands();
    // The window's font at a pixel size: the design font where the system has it.
    static QFont window_font(int pixel_size, bool bold = false);
    void create_status_bar();
    // A text-product command: the forecast window serves the code.
    void show_text_product(const char* code);
    void create_pictures();
    void apply_stored_colors();
    void run(void (TForm1::*handler)());
    void run(const std::function<void()>& handler);
    // The handler with errors of a request ended by the program's own exit kept quiet.
    std::function<void()> quiet_after_exit(std::function<void()> handler);
    // Connects a menu item or button of this window to its handler (connect_command).
    template <typename Sender> void command(Sender* sender, void (TForm1::*handler)());
    void create_client();
    ConditionsContext conditions_context() { return {state_, desktop_, *NMHTTP1, *this}; }
    // An unattended request finds the client busy: it is skipped with a status text.
    bool skip_unattended_when_busy();

    ProgramState& state_;
    Desktop& desktop_;
    QWidget* splash_ = nullptr;
    bool first_paint_done_ = false;
    bool shown_once_ = false;
    bool closing_ = false;
    int user_aborts_ = 0;
    OuterSize* outer_size_ = nullptr;
    OuterCentring* centring_ = nullptr;
    // The whole location named in the caption (the caption itself is what the automatic update
    // reads; this keeps what the 30-character cut would lose).
    QString shown_location_;
    ClientEvents* client_events_ = nullptr;
    OnDemand<ImageCommands> images_;
    // How the window stood before a picture or bulletin minimized it, while that window holds
    // it so.
    struct BeforeAway {
        bool shown;
        Qt::WindowStates states;
    };
    std::optional<BeforeAway> before_away_;
};
