#include "app/main_window.h"

#include "about/about_rules.h"
#include "about/about_window.h"
#include "about/version_check.h"
#include "app/conditions_parser.h"
#include "app/main_window_rules.h"
#include "app/moon_phase.h"
#include "app/stats_request.h"
#include "app/units.h"
#include "images/image_catalogue.h"
#include "images/image_commands.h"
#include "locations/location_string.h"
#include "net/nmhttp.h"
#include "platform/desktop.h"
#include "platform/guarded.h"
#include "platform/outer_size.h"
#include "settings/display_colors.h"
#include "settings/preferences_window.h"
#include "settings/proxy_info.h"
#include "settings/settings_store.h"
#include "shared/program_state.h"
#include "textproducts/forecast_window.h"
#include "textproducts/warning_watch.h"
#include "tray/on_tray.h"
#include "tray/picture_file_icon.h"
#include "tray/tray_rule.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFontDatabase>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <utility>

namespace {

const QString settings_section = QStringLiteral("Settings");

const QColor teal(0x00, 0x80, 0x80);
const QColor lime(0x00, 0xFF, 0x00);
const QColor yellow(0xFF, 0xFF, 0x00);
const QColor green(0x00, 0x80, 0x00);

void set_colors(QLabel* label, const QColor& background, const QColor& text) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, background);
    palette.setColor(QPalette::WindowText, text);
    label->setPalette(palette);
    label->setAutoFillBackground(true);
}

// A field's caption on the left ("Temperature:"), black on teal, as wide as its text.
struct CaptionLabel {
    QLabel* TForm1::*label;
    const char* name;
    const char* text;
    int x;
    int y;
};

// A field's value, lime on black, empty until a request fills it.
struct ValueLabel {
    QLabel* TForm1::*label;
    const char* name;
    int x;
    int y;
    int width;
};

// clang-format off
const CaptionLabel caption_labels[] = {
    {&TForm1::lblSky1, "lblSky1", "Sky Conditions:", 8, 32},
    {&TForm1::lblTemperature, "lblTemperature", "Temperature:", 8, 52},
    {&TForm1::lblHumidity, "lblHumidity", "Humidity:", 8, 72},
    {&TForm1::lblPressure, "lblPressure", "Pressure:", 8, 92},
    {&TForm1::lblWind, "lblWind", "Wind:", 8, 112},
    {&TForm1::lblVisible, "lblVisible", "Visibility:", 8, 132},
    {&TForm1::lblSunrise, "lblSunrise", "Sunrise:", 8, 160},
    {&TForm1::lblSunset, "lblSunset", "Sunset:", 8, 180},
    {&TForm1::lblMoonrise, "lblMoonrise", "Moonrise:", 8, 200},
    {&TForm1::lblMoonset, "lblMoonset", "Moonset:", 8, 220},
};

const ValueLabel value_labels[] = {
    {&TForm1::lblsky2, "lblsky2", 112, 32, 185},
    {&TForm1::lblTemp2, "lblTemp2", 112, 52, 185},
    {&TForm1::lblHumid2, "lblHumid2", 80, 72, 137},
    {&TForm1::lblPress2, "lblPress2", 80, 92, 137},
    {&TForm1::lblWind2, "lblWind2", 80, 112, 137},
    {&TForm1::lblVisible2, "lblVisible2", 80, 132, 125},
    {&TForm1::lblSunrise2, "lblSunrise2", 80, 160, 97},
    {&TForm1::lblSunset2, "lblSunset2", 80, 180, 97},
    {&TForm1::lblMoonRise2, "lblMoonRise2", 80, 200, 97},
    {&TForm1::lblMoonSet2, "lblMoonSet2", 80, 220, 97},
};

// The three boxes on the right: caption and value centred in an 81-pixel column.
const CaptionLabel box_captions[] = {
    {&TForm1::lblWindChill1, "lblWindChill1", "Wind Chill:", 224, 72},
    {&TForm1::lblHeatIndex1, "lblHeatIndex1", "Heat Index:", 224, 112},
    {&TForm1::lblMoonPhase, "lblMoonPhase", "Moon Phase:", 224, 152},
};

const ValueLabel box_values[] = {
    {&TForm1::lblWindChill2, "lblWindChill2", 224, 92, 81},
    {&TForm1::lblHeatIndex2, "lblHeatIndex2", 224, 132, 81},
};
// clang-format on

QLabel* caption_label(QWidget* client, const QFont& font, const CaptionLabel& row) {
    auto* label = new QLabel(QString::fromLatin1(row.text), client);
    label->setObjectName(QLatin1String(row.name));
    label->setFont(font);
    set_colors(label, teal, Qt::black);
    label->move(row.x, row.y);
    label->adjustSize();
    return label;
}

QLabel* value_label(QWidget* client, const QFont& font, const ValueLabel& row) {
    auto* label = new QLabel(client);
    label->setObjectName(QLatin1String(row.name));
    label->setFont(font);
    set_colors(label, Qt::black, lime);
    label->setGeometry(row.x, row.y, row.width, 16);
    return label;
}

void centre_in_box(QLabel* label) {
    label->setAlignment(Qt::AlignCenter);
    label->setFixedWidth(81);
}

} // namespace

QFont TForm1::window_font(int pixel_size, bool bold) {
    // The design font where the system has it; elsewhere a condensed sans serif, which takes
    // about the same room.
    // families() lists what is installed; hasFamily would also resolve aliases, which costs a
    // noticeable part of the start-up.
    static const bool design_font =
        QFontDatabase::families().contains(QStringLiteral("MS Sans Serif"));
    QFont font(design_font ? QStringLiteral("MS Sans Serif") : QStringLiteral("Sans Serif"));
    if (!design_font)
        font.setStretch(QFont::Condensed);
    font.setPixelSize(pixel_size);
    font.setBold(bold);
    return font;
}

QIcon program_icon() {
    // The sizes the tray and title bars use; the large pictures take longer to read at start
    // than the rest of the window takes to build.
    const struct {
        const char* file;
        int size;
    } pictures[] = {{":/icons/nimbrix-16.png", 16},
                    {":/icons/nimbrix-32.png", 32},
                    {":/icons/nimbrix-48.png", 48}};
    QIcon icon;
    for (const auto& picture : pictures)
        icon.addFile(QLatin1String(picture.file), QSize(picture.size, picture.size));
    return icon;
}

TForm1::TForm1(ProgramState& state, Desktop& desktop, QWidget* parent)
    : QMainWindow(parent), state_(state), desktop_(desktop) {
    setObjectName(QStringLiteral("Form1"));
    FormCreate();
}

TForm1::~TForm1() {
    // The watch uses the tray and the client: it goes first.
    delete watch;
    watch = nullptr;
    // FormDestroy: the icon leaves the tray with the tray object; the client goes too.
    delete tray;
    tray = nullptr;
    delete NMHTTP1;
    NMHTTP1 = nullptr;
}

void TForm1::create_client() {
    NMHTTP1 = new TNMHTTP(this);
    NMHTTP1->setObjectName(QStringLiteral("NMHTTP1"));
    client_events_ = new ClientEvents(*NMHTTP1, state_, *this, forecast_status, this);
}

void TForm1::run(void (TForm1::*handler)()) {
    run([this, handler] { (this->*handler)(); });
}

void TForm1::run(const std::function<void()>& handler) {
    run_guarded(desktop_, quiet_after_exit(handler), this);
}

std::function<void()> TForm1::quiet_after_exit(std::function<void()> handler) {
    return [this, handler = std::move(handler)] {
        try {
            handler();
        } catch (const AppError&) {
            if (!closing_) // a request ended by the program's own exit is no error to show
                throw;
        }
    };
}

template <typename Sender> void TForm1::command(Sender* sender, void (TForm1::*handler)()) {
    connect_command(sender, desktop_, quiet_after_exit([this, handler] { (this->*handler)(); }));
}
// The menus (main_menus.cpp) connect their items through this too.
template void TForm1::command(QAction* sender, void (TForm1::*handler)());

void TForm1::FormCreate() {
    setWindowTitle(QStringLiteral("Nimbrix"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFont(window_font(11));

    // The window's black background is the client area's; menus and status bar keep the
    // desktop's colours.
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    QPalette palette = client->palette();
    palette.setColor(QPalette::Window, Qt::black);
    client->setPalette(palette);
    client->setAutoFillBackground(true);
    setCentralWidget(client);
    client->installEventFilter(this);

    for (int i = 0; i <= 12; ++i)
        IconList << picture_file_icon(
            QStringLiteral(":/tray/sky%1.png").arg(i, 2, 10, QLatin1Char('0')));

    create_labels();
    create_pictures();
    create_menus();
    create_status_bar();
    // The heading, the values and the status texts come from pages and hosts: shown as the
    // characters they are, never as markup, links or pictures.
    for (QLabel* label : findChildren<QLabel*>())
        label->setTextFormat(Qt::PlainText);

    // Outer sizes: the frame and title bar are part of the 325 x 355 and of the limits.
    outer_size_ = new OuterSize(this, QSize(325, 355), QSize(325, 355), QSize(370, 390));
    centring_ = new OuterCentring(this, 0, [this] { return outer_size_->outer(); });

    timer_startup = new QTimer(this);
    timer_startup->setObjectName(QStringLiteral("timer_startup"));
    timer_startup->setInterval(4000);
    connect(timer_startup, &QTimer::timeout, this, [this] { run(&TForm1::timer_startupTimer); });
    timer_startup->start();

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, [this] { run(&TForm1::Timer1Timer); });
    Timer1->start();

    create_client();

    tray = new TOnTray(this);
    tray->SetHint(QApplication::applicationName().isEmpty() ? QStringLiteral("Nimbrix")
                                                            : QApplication::applicationName());
    // The application's icon, read once at start (a window made without it reads its own).
    const QIcon application_icon = QApplication::windowIcon();
    tray->Icon = application_icon.isNull() ? program_icon() : application_icon;
    tray->PopupLeft = pmnLeft;
    tray->PopupRight = pmnRight;
    tray->SetAppVisible(true);
    tray->SetIconVisible(true);

    watch = new WarningWatch(*NMHTTP1, *tray, this);
    watch->status = [this](const QString& text) { set_status(text); };
    watch->open_warnings = [this](const QString& state_code) {
        run([this, state_code] { show_watched_warnings(state_code); });
    };
    watch->bind_command(pitwatch);
}

void TForm1::create_labels() {
    QWidget* client = centralWidget();
    lblConditions = new QLabel(client);
    lblConditions->setObjectName(QStringLiteral("lblConditions"));
    lblConditions->setFont(window_font(13, true));
    lblConditions->setAlignment(Qt::AlignCenter);
    set_colors(lblConditions, teal, yellow);
    lblConditions->setGeometry(0, 0, width(), 18);

    for (const CaptionLabel& row : caption_labels)
        this->*row.label = caption_label(client, window_font(13), row);
    for (const ValueLabel& row : value_labels)
        this->*row.label = value_label(client, window_font(13), row);
    for (const CaptionLabel& row : box_captions) {
        QLabel* label = this->*row.label = caption_label(client, window_font(13), row);
        centre_in_box(label);
    }
    for (QLabel* label : {lblWindChill1, lblHeatIndex1, lblMoonPhase}) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText,
                         to_qcolor(text_to_color(QStringLiteral("clWindowText")).value()));
        label->setPalette(palette);
    }
    for (const ValueLabel& row : box_values) {
        QLabel* label = this->*row.label = value_label(client, window_font(13), row);
        centre_in_box(label);
        label->setText(QStringLiteral("n/a"));
    }
    create_credit_and_minimize(client);
}

void TForm1::create_credit_and_minimize(QWidget* client) {
    Label1 = new QLabel(QStringLiteral("Conditions provided by Weather Underground."), client);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setFont(window_font(10));
    QPalette credit = Label1->palette();
    credit.setColor(QPalette::WindowText, green);
    Label1->setPalette(credit);
    Label1->move(11, 268);
    Label1->adjustSize();

    btnMinimize = new QPushButton(QStringLiteral("&Minimize"), client);
    btnMinimize->setObjectName(QStringLiteral("btnMinimize"));
    btnMinimize->setGeometry(232, 245, 73, 23);
    btnMinimize->setToolTip(QStringLiteral("Pressing the Enter key also works..."));
    btnMinimize->setCursor(Qt::PointingHandCursor);
    btnMinimize->setDefault(true);
    btnMinimize->setAutoDefault(true);
    command(btnMinimize, &TForm1::btnMinimizeClick);
}

void TForm1::create_pictures() {
    QWidget* client = centralWidget();
    auto picture = [&](const QString& name) {
        auto* label = new QLabel(client);
        label->setObjectName(name);
        label->setScaledContents(true);
        label->setGeometry(400, 400, 25, 17); // parked outside the visible area
        label->hide();                        // its picture is loaded when it is first shown
        return label;
    };
    GIFImageFull = picture(QStringLiteral("GIFImageFull"));
    for (int i = 0; i < 9; ++i)
        GIFImage[i] = picture(QStringLiteral("GIFImage%1x").arg((i + 1) * 10));
    for (int i = 0; i < 9; ++i)
        GIFImagel[i] = picture(QStringLiteral("GIFImagel%1x").arg((i + 1) * 10));
    GIFImagenew = picture(QStringLiteral("GIFImagenew"));
}

void TForm1::create_status_bar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(false);
    StatusPanel0 = new QLabel(QStringLiteral("Thank you for using Nimbrix..."), bar);
    StatusPanel0->setObjectName(QStringLiteral("StatusPanel0"));
    StatusPanel0->setFixedWidth(190);
    StatusPanel0->setFrameShape(QFrame::Panel);
    StatusPanel0->setFrameShadow(QFrame::Sunken);
    StatusPanel1 = new QLabel(QStringLiteral("Corvalen"), bar);
    StatusPanel1->setObjectName(QStringLiteral("StatusPanel1"));
    StatusPanel1->setFixedWidth(60);
    StatusPanel1->setToolTip(QStringLiteral("Nimbrix by Corvalen"));
    StatusPanel1->setFrameShape(QFrame::Panel);
    StatusPanel1->setFrameShadow(QFrame::Sunken);
    bar->addWidget(StatusPanel0);
    bar->addWidget(StatusPanel1, 1);
}

void TForm1::set_status(const QString& text) {
    StatusPanel0->setText(text);
    Q_EMIT status_changed(text);
}

QString TForm1::status_text() const {
    return StatusPanel0->text();
}

void TForm1::repaint_now() {
    if (isVisible())
        repaint();
}

// Form events.

void TForm1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    // The start-up work runs at the first show only: a window restored from the tray, or given
    // back when a picture or forecast window closes, comes back where and as the user left it.
    if (!event->spontaneous() && !shown_once_) {
        shown_once_ = true;
        run(&TForm1::FormShow);
    }
}

void TForm1::paintEvent(QPaintEvent* event) {
    QMainWindow::paintEvent(event);
    FormPaint();
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    // The client area covers the window, so its paints are the window's paints.
    if (event->type() == QEvent::Paint && watched == centralWidget())
        FormPaint();
    return QMainWindow::eventFilter(watched, event);
}

void TForm1::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    FormResize();
}

void TForm1::closeEvent(QCloseEvent* event) {
    FormClose();
    event->accept();
}

void TForm1::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange)
        return;
    if (!(windowState() & Qt::WindowMinimized)) {
        before_away_.reset(); // the user has taken the window back: it stays as they leave it
        return;
    }
    // Minimized by a picture or bulletin on show: to the taskbar, not the tray.
    if (before_away_)
        return;
    // Deferred: hiding a window inside its own state change confuses some window managers.
    QTimer::singleShot(0, this, [this] {
        if ((windowState() & Qt::WindowMinimized) && !before_away_)
            minimize_logic();
    });
}

void TForm1::FormShow() {
    centring_->centre();
    apply_stored_colors();
    repaint_now();
    load_presets(*this);
    repaint_now();
    show_moon_phase(); // the moon is shown before any conditions request
    repaint_now();
    process_proxy_info(proxy_properties());
}

void TForm1::apply_stored_colors() {
    const struct {
        const char* name;
        void (TForm1::*apply)();
    } stored[] = {
        {"labelcolor", &TForm1::set_label_colors},
        {"labelfcolor", &TForm1::set_label_font_colors},
        {"statsfcolor", &TForm1::set_stats_font_color},
    };
    for (const auto& row : stored) {
        const QString value = read_setting(settings_section, QLatin1String(row.name));
        if (value != setting_absent) {
            state_.chosen_color = value;
            (this->*row.apply)();
        }
    }
}

void TForm1::FormPaint() {
    if (splash_)
        splash_->hide();
    if (!first_paint_done_) {
        first_paint_done_ = true;
        // Start-up benchmark: the time to the first paint is what is measured.
        if (qEnvironmentVariableIsSet("NIMBRIX_EXIT_AT_FIRST_PAINT")) {
            fflush(nullptr);
            std::_Exit(0);
        }
    }
}

void TForm1::FormResize() {
    const QSize frame = outer_size_->frame_extra();
    const QSize limited = limit_main_window_size(size() + frame) - frame;
    if (limited != size())
        resize(limited);
    lblConditions->setFixedWidth(width());
}

void TForm1::FormClose() {
    closing_ = true;
    tray->SetAppVisible(false);
    hide();
    // Closing the main window ends the program, also when other windows are open.
    QCoreApplication::exit(0);
}

// Colours.

namespace {

template <typename Apply>
void apply_color(const QString& text, const QList<QLabel*>& labels, Apply apply) {
    const auto value = text_to_color(text);
    if (!value)
        return;
    const QColor color = to_qcolor(*value);
    for (QLabel* label : labels) {
        QPalette palette = label->palette();
        apply(palette, color);
        label->setPalette(palette);
    }
}

} // namespace

void TForm1::set_label_colors() {
    apply_color(state_.chosen_color,
                {lblSky1, lblTemperature, lblHumidity, lblPressure, lblWind, lblVisible, lblSunrise,
                 lblSunset, lblMoonrise, lblMoonset, lblWindChill1, lblHeatIndex1, lblMoonPhase},
                [](QPalette& p, const QColor& c) { p.setColor(QPalette::Window, c); });
}

void TForm1::set_label_font_colors() {
    apply_color(state_.chosen_color,
                {lblSky1, lblTemperature, lblHumidity, lblPressure, lblWind, lblVisible, lblSunrise,
                 lblSunset, lblMoonrise, lblMoonset, lblWindChill1, lblHeatIndex1, lblMoonPhase},
                [](QPalette& p, const QColor& c) { p.setColor(QPalette::WindowText, c); });
}

void TForm1::set_stats_font_color() {
    apply_color(state_.chosen_color,
                {lblsky2, lblTemp2, lblHumid2, lblPress2, lblWind2, lblVisible2, lblSunrise2,
                 lblSunset2, lblMoonRise2, lblMoonSet2, lblWindChill2, lblHeatIndex2},
                [](QPalette& p, const QColor& c) { p.setColor(QPalette::WindowText, c); });
}

// Timers and the conditions request.

bool TForm1::client_busy() const {
    return NMHTTP1->busy();
}

void TForm1::refuse_when_busy() const {
    ::refuse_when_busy(*NMHTTP1);
}

bool TForm1::skip_unattended_when_busy() {
    if (!NMHTTP1->busy())
        return false;
    if (NMHTTP1->background())
        NMHTTP1->claim(); // ends the warning check; the tick runs again once it has unwound
    set_status(QStringLiteral("Busy - update skipped..."));
    return true;
}

void TForm1::send_usage_ping() {
    ::send_usage_ping(conditions_context());
}

void TForm1::Get_the_Stats() {
    Q_EMIT stats_requested(state_.current_location.location_text);
    send_usage_ping();
    if (state_.remove_mode == QLatin1String("Y")) {
        rebuild_presets(state_, desktop_, *this, startup_choices);
        state_.remove_mode.clear();
        return;
    }
    request_conditions(conditions_context(), driver_conditions);
}

void TForm1::request_chosen_conditions() {
    request_conditions(conditions_context(), chooser_conditions);
}

void TForm1::end_chosen_request() {
    end_request_with_usage_ping(conditions_context());
}

void TForm1::parse_conditions_page(const QByteArray& page) {
    const ConditionsResult result =
        parse_conditions(page, read_setting(settings_section, QStringLiteral("Metric")));

    set_status(result.status_texts.value(0));
    repaint_now();
    for (QLabel* label :
         {lblsky2, lblTemp2, lblHumid2, lblPress2, lblWind2, lblVisible2, lblSunrise2, lblSunset2,
          lblMoonRise2, lblMoonSet2, lblHeatIndex2, lblWindChill2})
        label->clear();
    if (result.place_name)
        state_.current_location.place_name = *result.place_name;
    if (result.heading)
        lblConditions->setText(*result.heading);
    for (const QString& message : result.messages)
        desktop_.message(message, Desktop::Box::Error);

    const ConditionsLabels& values = result.labels;
    lblTemp2->setText(values.lblTemp2);
    lblHeatIndex2->setText(values.lblHeatIndex2);
    lblHumid2->setText(values.lblHumid2);
    lblWind2->setText(values.lblWind2);
    lblPress2->setText(values.lblPress2);
    lblsky2->setText(values.lblsky2);
    lblVisible2->setText(values.lblVisible2);
    lblSunrise2->setText(values.lblSunrise2);
    lblSunset2->setText(values.lblSunset2);
    lblMoonRise2->setText(values.lblMoonRise2);
    lblMoonSet2->setText(values.lblMoonSet2);
    lblWindChill2->setText(values.lblWindChill2);
    if (result.temperature_f)
        state_.temperature_f = *result.temperature_f;
    if (result.sky) {
        const TrayDisplay display = tray_display(*result.sky, lblTemp2->text());
        tray->SetHint(display.hint);
        tray->SetIconVisible(true);
        tray->Icon = IconList.value(display.icon_index);
        tray->SetIconVisible(true);
    }

    set_status(result.status_texts.value(1, status_idle));
    add_preset(state_, desktop_, *this);
    // A chooser request is named by the entry built from the fields it fetched, also when the
    // preset store is full and add_preset left preset_entry as an earlier request had it.
    const QString caption =
        conditions_caption(state_.current_location.location_text,
                           preset_location_string(state_.current_location).entry);
    shown_location_ = caption.mid(caption_prefix.size());
    setWindowTitle(caption);
    watch->set_location(shown_location_);
}

void TForm1::compute_derived_values() {
    lblHeatIndex2->setText(
        compute_heat_index(state_.temperature_f, lblHumid2->text(), lblHeatIndex2->text(),
                           read_setting(settings_section, QStringLiteral("Metric"))));
    lblWindChill2->setText(
        compute_wind_chill(state_.temperature_f, lblWind2->text(), lblTemp2->text(),
                           read_setting(settings_section, QStringLiteral("Metric"))));
}

// Presets.

void TForm1::set_preset_item(int n, const QString& text) {
    if (n < 0 || n >= preset_slots)
        return;
    mnuViewStats[size_t(n)]->setText(text);
    mnuViewStats[size_t(n)]->setVisible(true);
}

void TForm1::clear_preset_items() {
    for (QAction* item : mnuViewStats) {
        item->setText(QString());
        item->setVisible(false);
    }
}

void TForm1::mnuViewStatsClick(int n) {
    refuse_when_busy();
    state_.current_location.location_text = mnuViewStats[size_t(n)]->text();
    Get_the_Stats();
}

void TForm1::mnuAbortconnectionClick() {
    ++user_aborts_;
    NMHTTP1->Abort();
    set_status(QStringLiteral("Connection Aborted..."));
    repaint_now();
    // The text stays readable for a moment; the window paints but takes no commands meanwhile.
    QElapsedTimer pause;
    pause.start();
    QEventLoop loop;
    while (pause.elapsed() < 1200) {
        QTimer::singleShot(int(1200 - pause.elapsed()), &loop, &QEventLoop::quit);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
}

namespace {

// Shows a window that is not modal and brings it to the front.
void bring_to_front(QWidget* window) {
    if (!window)
        return;
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace

void TForm1::mnuChooseLocationClick() {
    bring_to_front(frmLocation.get());
}

void TForm1::set_preferences(TfrmPref* preferences) {
    frmPref.set(preferences);
    connect(preferences, &TfrmPref::written, watch, &WarningWatch::follow_setting);
}

void TForm1::set_preferences_maker(std::function<TfrmPref*()> make) {
    frmPref.set_maker([this, make = std::move(make)] {
        TfrmPref* preferences = make();
        connect(preferences, &TfrmPref::written, watch, &WarningWatch::follow_setting);
        return preferences;
    });
}

void TForm1::mnuGeneralPreferences1Click() {
    bring_to_front(frmPref.get());
}

ProxyProperties TForm1::proxy_properties() {
    return {NMHTTP1->Proxy, NMHTTP1->ProxyPort, NMHTTP1->HeaderInfo.UserId,
            NMHTTP1->HeaderInfo.Password};
}

void TForm1::mnuAboutClick() {
    bring_to_front(frmAbout.get());
}

void TForm1::CheckforUpdate1Click() {
    check_version(
        state_, desktop_, *NMHTTP1,
        [this](const QString& t) {
            set_status(t);
            repaint_now();
        },
        frmAbout.made() ? frmAbout.made()->lblCurrVs->text() : built_in_version);
}

void TForm1::mnuMainLabelColor1Click() {
    run_display_color_command(DisplayColorCommand::LabelColor, state_, desktop_,
                              [this] { set_label_colors(); });
}

void TForm1::mnuMainLabelFontColor1Click() {
    run_display_color_command(DisplayColorCommand::LabelFontColor, state_, desktop_,
                              [this] { set_label_font_colors(); });
}

void TForm1::mnuStatsFontColor1Click() {
    run_display_color_command(DisplayColorCommand::StatsFontColor, state_, desktop_,
                              [this] { set_stats_font_color(); });
}

void TForm1::show_text_product(const char* code) {
    if (TfrmForecast* forecast = frmForecast.get())
        forecast->show_product(QLatin1String(code));
}

void TForm1::ForecastTEXTversion1Click() {
    show_text_product("f");
}
void TForm1::mnuNowcastClick() {
    show_text_product("n");
}
void TForm1::PublicInformation1Click() {
    show_text_product("p");
}
void TForm1::mnuWarningsAdvisoriesClick() {
    show_text_product("w");
}
void TForm1::mnuSpecialWeatherStatementsNWS1Click() {
    show_text_product("sw");
}
void TForm1::mnuHydrologicalDataNWS1Click() {
    show_text_product("h");
}
void TForm1::mnuDetailbyUSState1Click() {
    show_text_product("s1");
}
void TForm1::mnuDetailbyUSZip1Click() {
    show_text_product("s2");
}
void TForm1::mnuUSMHHIncomebyState1Click() {
    show_text_product("si");
}
void TForm1::mnuCensusStateSalClick() {
    show_text_product("ss");
}
void TForm1::mnuForecastHTMLClick() {
    open_html_forecast(*NMHTTP1, desktop_);
}

void TForm1::mnuClearlocationsClick() {
    clear_presets(desktop_, *this);
}

void TForm1::mnuRemoveaspecificlocation1Click() {
    remove_specific_location(state_, desktop_);
}

void TForm1::mnuSortlocations1Click() {
    rebuild_presets(state_, desktop_, *this, startup_choices);
}

void TForm1::timer_startupTimer() {
    timer_startup->stop();
    get_startup_wstats();
}

namespace {

// Clears auto_request however the unattended request ends, so that a failed start-up or
// refresh does not leave every later request looking unattended.
struct AutoRequest {
    explicit AutoRequest(ProgramState& s) : state(s) { state.auto_request = QStringLiteral("y"); }
    ~AutoRequest() { state.auto_request.clear(); }
    AutoRequest(const AutoRequest&) = delete;
    AutoRequest& operator=(const AutoRequest&) = delete;
    ProgramState& state;
};

} // namespace

void TForm1::get_startup_wstats() {
    const QString location = read_setting(settings_section, QStringLiteral("StartupLoc"));
    if (location == setting_absent || location == QLatin1String("None"))
        return;
    if (skip_unattended_when_busy())
        return;
    state_.current_location.location_text = location;
    AutoRequest unattended(state_);
    Get_the_Stats();
}

void TForm1::Timer1Timer() {
    if (read_setting(settings_section, QStringLiteral("AutoUpdate")) != QLatin1String("y"))
        return;
    Timer1->setInterval(2400000); // restarts the running timer
    const auto location = auto_update_location(windowTitle(), shown_location_);
    if (!location || skip_unattended_when_busy())
        return;
    state_.current_location.location_text = *location;
    AutoRequest unattended(state_);
    Get_the_Stats();
    auto_wallpaper();
}

void TForm1::show_moon_phase() {
    const MoonPhase phase = moon_phase_for_date(today());
    if (phase.beep)
        desktop_.beep();
    if (!phase.message.isEmpty())
        desktop_.message(phase.message, Desktop::Box::Warning);
    if (phase.picture.isEmpty())
        return;
    auto* picture = centralWidget()->findChild<QLabel*>(phase.picture, Qt::FindDirectChildrenOnly);
    if (!picture)
        return; // every name the lookup gives has its picture
    // Only today's picture stands at the place; an earlier day's is put away.
    for (QLabel* other :
         centralWidget()->findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly))
        if (other != picture && other->objectName().startsWith(QLatin1String("GIFImage")))
            other->hide();
    if (picture->pixmap().isNull())
        picture->setPixmap(QPixmap(QStringLiteral(":/moon/%1.png").arg(phase.picture)));
    picture->setGeometry(moon_picture_rect);
    picture->show();
    picture->raise();
}

// Images.

void TForm1::image_command(const QString& item) {
    if (const ImageRow* row = find_image_row(item); row && images_.get())
        images_.get()->command(*row);
}

void TForm1::mnuLocalTVStationRadar1Click() {
    desktop_.message(QStringLiteral("This section is still being tested..."));
}

void TForm1::minimize_main() {
    if (before_away_)
        return; // minimized for a picture or bulletin already
    before_away_ = BeforeAway{isVisible(), windowState() & ~Qt::WindowActive};
    // A window hidden in the tray stays there.
    if (isVisible() && !isMinimized())
        setWindowState((windowState() & ~Qt::WindowActive) | Qt::WindowMinimized);
}

void TForm1::restore_main() {
    const std::optional<BeforeAway> before = std::exchange(before_away_, std::nullopt);
    // Hidden in the tray before the picture or bulletin, or by the user since: it stays hidden. A
    // window the user has taken back meanwhile has no state to return to.
    if (!before || !before->shown || !isVisible())
        return;
    setWindowState(before->states);
}

void TForm1::do_image() {
    images_.get()->do_image();
}
void TForm1::do_wallpaper() {
    images_.get()->do_wallpaper();
}
void TForm1::GetWinDir() {
    images_.get()->GetWinDir();
}
void TForm1::set_wallpaper(const QString& path) {
    images_.get()->set_wallpaper(path);
}
void TForm1::update_auto_wallpaper() {
    images_.get()->update_auto_wallpaper();
}

void TForm1::auto_wallpaper() {
    if (ImageCommands* images = images_.get())
        images->auto_wallpaper();
}

// Commands.

void TForm1::mnuExit1Click() {
    close();
}

void TForm1::mnuHelpContentsClick() {
    launch_help();
}

void TForm1::launch_help() {
    desktop_.show_help_contents();
}

void TForm1::btnMinimizeClick() {
    tray->SetAppVisible(false);
}

void TForm1::mnuMinimizeClick() {
    tray->SetAppVisible(false);
}

void TForm1::pitshowClick() {
    tray->SetAppVisible(true);
}

void TForm1::pithideClick() {
    tray->SetAppVisible(false);
}

void TForm1::pitExitClick() {
    close();
}

void TForm1::pitwatchClick() {
    watch->set_enabled(pitwatch->isChecked());
}

void TForm1::show_watched_warnings(const QString& state_code) {
    state_.current_location.state = state_code;
    mnuWarningsAdvisoriesClick();
}

void TForm1::minimize_logic() {
    if (!closing_)
        tray->minimize_logic();
}
