#include "textproducts/forecast_window.h"

#include "net/nmhttp.h"
#include "net/request_kinds.h"
#include "platform/desktop.h"
#include "platform/guarded.h"
#include "platform/main_window_keeper.h"
#include "platform/outer_size.h"
#include "settings/color_text.h"
#include "settings/display_colors.h"
#include "settings/host_table.h"
#include "settings/settings_store.h"
#include "shared/page_text.h"
#include "shared/program_state.h"
#include "textproducts/text_cleaning.h"
#include "textproducts/text_products.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTextBlock>
#include <QTimer>
#include <QWindow>
#include <exception>

namespace {

const QString settings_section = QStringLiteral("Settings");

// The design's client area below the menu: 486 x 313 with the 19-pixel status line.
constexpr int client_width = 486;
constexpr int client_height = 294;
constexpr int status_height = 19;
// The title bar counted in the window's outer height where no window of the program has a
// frame (an X server without a window manager).
constexpr int frame_allowance = 23;

const QColor silver(0xC0, 0xC0, 0xC0);

// A font of this name where one is installed, else the platform's font of that kind.
QString font_family(const QString& name, QFontDatabase::SystemFont kind) {
    if (QFontDatabase::families().contains(name))
        return name;
    return QFontDatabase::systemFont(kind).family();
}

QString general_font() {
    return font_family(QStringLiteral("MS Sans Serif"), QFontDatabase::GeneralFont);
}

QString fixed_font() {
    return font_family(QStringLiteral("Fixedsys"), QFontDatabase::FixedFont);
}

QLabel* make_label(QWidget* parent, const char* name, const char* text, const QRect& at) {
    auto* label = new QLabel(QString::fromLatin1(text), parent);
    label->setObjectName(QLatin1String(name));
    label->setAlignment(Qt::AlignCenter);
    label->setGeometry(at);
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, silver);
    palette.setColor(QPalette::WindowText, Qt::black);
    label->setPalette(palette);
    label->setAutoFillBackground(true);
    return label;
}

// Keeps the retrieval's mark for as long as it runs, however it ends.
struct Fetching {
    explicit Fetching(bool& flag) : flag_(flag) { flag_ = true; }
    ~Fetching() { flag_ = false; }
    Fetching(const Fetching&) = delete;
    Fetching& operator=(const Fetching&) = delete;
    bool& flag_;
};

} // namespace

TfrmForecast::TfrmForecast(ProgramState& state, Desktop& desktop, TNMHTTP& client,
                           QWidget& main_window, MainWindowKeeper& keeper)
    : QMainWindow(nullptr), state_(state), desktop_(desktop), client_(client), main_(main_window),
      keeper_(keeper) {
    setObjectName(QStringLiteral("frmForecast"));
    FormCreate();
    connect(qGuiApp, &QGuiApplication::focusWindowChanged, this,
            &TfrmForecast::focus_window_changed);
    queued_fetch_ = new QTimer(this);
    queued_fetch_->setInterval(100);
    connect(queued_fetch_, &QTimer::timeout, this, &TfrmForecast::fetch_queued);
}

void TfrmForecast::run(void (TfrmForecast::*handler)()) {
    run_guarded(
        desktop_, [this, handler] { (this->*handler)(); }, this);
}

void TfrmForecast::FormCreate() {
    setWindowTitle(QStringLiteral("Nimbrix - Forecast"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    QWidget* client = create_text_area();
    create_input_rows(client);
    create_status_bar();
    create_menu();

    // Placed by its outer size, and placed again if the frame turns out another than expected.
    centring_ = new OuterCentring(this, 20, [this] { return outer_size(); });
    // The rows stand by the outer height, which the window manager's frame is part of: a
    // window shown before it was framed is laid out again.
    new FrameWatch(this, [this] {
        if (isVisible())
            run(&TfrmForecast::FormResize);
    });

    // Fixed border: the size is the design's and the user cannot change it.
    setFixedSize(client_width, MenuForecast->sizeHint().height() + client_height + status_height);
}

// The black client area and the product's text across its top; returns the client area.
QWidget* TfrmForecast::create_text_area() {
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    QPalette black = client->palette();
    black.setColor(QPalette::Window, Qt::black);
    client->setPalette(black);
    client->setAutoFillBackground(true);
    client->setFixedSize(client_width, client_height);
    setCentralWidget(client);

    txtForecast = new QPlainTextEdit(client);
    txtForecast->setObjectName(QStringLiteral("txtForecast"));
    // As wide as the client area: its scroll bar stays whole inside the frame.
    txtForecast->setGeometry(0, 0, client_width, 201);
    txtForecast->setReadOnly(true);
    txtForecast->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtForecast->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtForecast->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QFont text_font(general_font());
    text_font.setPointSize(8);
    txtForecast->setFont(text_font);
    return client;
}

// The input rows under the text: county, state list or zip (each product shows its own) and
// "&Get it".
void TfrmForecast::create_input_rows(QWidget* client) {
    lblCounty =
        make_label(client, "lblCounty", "Enter a County name (optional):", QRect(48, 216, 209, 17));
    editCounty = new QLineEdit(client);
    editCounty->setObjectName(QStringLiteral("editCounty"));
    editCounty->setGeometry(264, 216, 153, 21);
    lblState = make_label(client, "lblState", "Select a US state:", QRect(56, 240, 209, 17));
    cboState = new QComboBox(client);
    cboState->setObjectName(QStringLiteral("cboState"));
    cboState->setEditable(true);
    cboState->setInsertPolicy(QComboBox::NoInsert);
    cboState->setGeometry(272, 240, 145, 21);
    lblZip = make_label(client, "lblZip", "Enter a US zip code:", QRect(56, 264, 209, 17));
    txtZip = new QLineEdit(client);
    txtZip->setObjectName(QStringLiteral("txtZip"));
    txtZip->setGeometry(272, 264, 73, 21);
    txtZip->setMaxLength(5);
    for (QWidget* hidden : {static_cast<QWidget*>(lblState), static_cast<QWidget*>(cboState),
                            static_cast<QWidget*>(lblZip), static_cast<QWidget*>(txtZip)})
        hidden->hide();
    btnGetit = new QPushButton(QStringLiteral("&Get it"), client);
    btnGetit->setObjectName(QStringLiteral("btnGetit"));
    btnGetit->setGeometry(368, 256, 81, 25);
    btnGetit->setCursor(Qt::PointingHandCursor);
    connect_command(btnGetit, desktop_, [this] { btnGetitClick(); });

    setTabOrder(editCounty, btnGetit);
    setTabOrder(btnGetit, txtForecast);
    setTabOrder(txtForecast, txtZip);
    setTabOrder(txtZip, cboState);
}

void TfrmForecast::create_status_bar() {
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    StatusBar1->setFixedHeight(status_height);
    status_label_ = new QLabel(StatusBar1);
    StatusBar1->addWidget(status_label_, 1);
    setStatusBar(StatusBar1);
}

// The menu bar: Options (background colour, font size, printing), Close and Help.
void TfrmForecast::create_menu() {
    MenuForecast = menuBar();
    MenuForecast->setObjectName(QStringLiteral("MenuForecast"));
    mnuOptions = MenuForecast->addMenu(QStringLiteral("&Options"));
    mnuOptions->setObjectName(QStringLiteral("mnuOptions"));
    auto item = [this](QMenu* menu, const char* name, const char* caption,
                       void (TfrmForecast::*handler)()) {
        QAction* action = menu->addAction(QString::fromLatin1(caption));
        action->setObjectName(QLatin1String(name));
        connect_command(action, desktop_, [this, handler] { (this->*handler)(); });
        return action;
    };
    mnubgColor =
        item(mnuOptions, "mnubgColor", "&Background Color...", &TfrmForecast::mnubgColorClick);
    mnuFontSize = mnuOptions->addMenu(QStringLiteral("&Font Size"));
    mnuFontSize->setObjectName(QStringLiteral("mnuFontSize"));
    mnuLargefont =
        item(mnuFontSize, "mnuLargefont", "&Large font", &TfrmForecast::mnuLargefontClick);
    mnuSmallfont =
        item(mnuFontSize, "mnuSmallfont", "&Small font", &TfrmForecast::mnuSmallfontClick);
    mnuLargefont->setCheckable(true);
    mnuSmallfont->setCheckable(true);
    mnuSmallfont->setChecked(true);
    mnuPrint = item(mnuOptions, "mnuPrint", "&Print", &TfrmForecast::mnuPrintClick);
    mnuClose = MenuForecast->addAction(QStringLiteral("&Close"));
    mnuClose->setObjectName(QStringLiteral("mnuClose"));
    connect_command(mnuClose, desktop_, [this] { mnuCloseClick(); });
    mnuHelp = MenuForecast->addAction(QStringLiteral("&Help"));
    mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    connect_command(mnuHelp, desktop_, [this] { mnuHelpClick(); });
    connect_help_key(this, desktop_, [this] { mnuHelpClick(); });
}

QSize TfrmForecast::outer_size() const {
    const QSize frame = frame_extra(this);
    return size() + (frame.isNull() ? QSize(0, frame_allowance) : frame);
}

int TfrmForecast::outer_height() const {
    return outer_size().height();
}

void TfrmForecast::set_status(const QString& text) {
    status_label_->setText(text);
    Q_EMIT status_changed(text);
}

QString TfrmForecast::status_text() const {
    return status_label_->text();
}

void TfrmForecast::repaint_now() {
    repaint();
}

void TfrmForecast::show_product(const QString& code) {
    state_.xcast_code = code;
    show();
    if (QGuiApplication::platformName() != QLatin1String("offscreen")) // it cannot raise
        raise();
    activateWindow();
}

void TfrmForecast::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (event->spontaneous())
        return;
    first_activation_pending_ = true;
    run(&TfrmForecast::FormShow);
}

void TfrmForecast::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    run(&TfrmForecast::FormResize);
}

void TfrmForecast::closeEvent(QCloseEvent* event) {
    run(&TfrmForecast::FormClose);
    QMainWindow::closeEvent(event);
}

void TfrmForecast::focus_window_changed(QWindow* now) {
    const bool from_program = focus_was_in_program_;
    focus_was_in_program_ = now != nullptr;
    if (!now || now != windowHandle()) {
        // A box that the activation's own fetch shows (a refusal, an error) takes the focus.
        left_during_activation_ = activating_;
        return;
    }
    if (!isVisible())
        return;
    if (!first_activation_pending_ && !from_program)
        return; // back from another application: nothing is fetched again
    if (left_during_activation_) {
        // Back from the box of its own fetch: fetching again would show that box again, for
        // ever, and the window could never be closed.
        left_during_activation_ = false;
        return;
    }
    first_activation_pending_ = false;
    Fetching activating(activating_); // errors included: the guard shows them inside
    run(&TfrmForecast::FormActivate);
}

void TfrmForecast::FormShow() {
    txtForecast->clear();

    centring_->centre();

    QPalette palette = txtForecast->palette();
    const QString color = read_setting(settings_section, QStringLiteral("Fbgcolor"));
    if (color == setting_absent) {
        palette.setColor(QPalette::Base, Qt::white);
    } else if (const auto value = text_to_color(color)) {
        palette.setColor(QPalette::Base, to_qcolor(*value));
    }
    txtForecast->setPalette(palette);

    QString size = QStringLiteral("8");
    const QString stored = read_setting(settings_section, QStringLiteral("FfontSiz"));
    bool points_ok = false;
    if (stored < QLatin1String("1") || stored == setting_absent) {
        mnuLargefont->setChecked(false);
        mnuSmallfont->setChecked(true);
    } else {
        size = stored;
        if (stored == QLatin1String("12")) {
            mnuLargefont->setChecked(true);
            mnuSmallfont->setChecked(false);
        }
    }
    int points = size.toInt(&points_ok);
    if (!points_ok || points <= 0) {
        // A stored size that is not a number: the small font.
        points = 8;
        mnuLargefont->setChecked(false);
        mnuSmallfont->setChecked(true);
    }
    set_font_size(points);

    keeper_.minimize_main();

    const QString& code = state_.xcast_code;
    if ((code == QLatin1String("f") || code == QLatin1String("n")) &&
        state_.current_location.state.isEmpty()) {
        const CaptionLocation location = location_from_main_caption(main_.windowTitle());
        state_.current_location.city = location.city;
        state_.current_location.state = location.state;
        if (location.foreign)
            desktop_.message(foreign_location_message);
    }
}

void TfrmForecast::FormActivate() {
    for (QWidget* row : {static_cast<QWidget*>(lblZip), static_cast<QWidget*>(txtZip),
                         static_cast<QWidget*>(lblState), static_cast<QWidget*>(cboState)})
        row->hide();
    lblCounty->show();
    editCounty->show();

    const QString& code = state_.xcast_code;
    const int height = outer_height();
    switch (input_row(code)) {
    case InputRow::State:
    case InputRow::Zip:
        process_s1s2();
        // The text area makes room for the row, as for the county row.
        FormResize();
        return;
    case InputRow::County:
        set_text_height(height - 150);
        lblCounty->show();
        editCounty->show();
        btnGetit->show();
        return;
    case InputRow::None:
        set_text_height(height - 60);
        lblCounty->hide();
        editCounty->hide();
        btnGetit->hide();
        if (fetching_ || (client_.busy() && !client_.background())) {
            // The one client is busy (a conditions refresh, another product): the product is
            // fetched once it is free. Its own retrieval is not started again from within its
            // wait; a background check gives way (get_xcast ends it).
            if (!fetching_ || fetching_code_ != code)
                queued_fetch_->start();
            return;
        }
        get_xcast();
        return;
    }
}

void TfrmForecast::FormResize() {
    const int height = outer_height();
    QLabel* label = nullptr;
    QWidget* input = nullptr;
    switch (input_row(state_.xcast_code)) {
    case InputRow::County:
        label = lblCounty;
        input = editCounty;
        break;
    case InputRow::State:
        label = lblState;
        input = cboState;
        break;
    case InputRow::Zip:
        label = lblZip;
        input = txtZip;
        break;
    case InputRow::None:
        break;
    }
    if (!label) {
        set_text_height(height - 60);
        repaint_now();
        return;
    }
    label->move(label->x(), height - 130);
    input->move(input->x(), height - 130);
    btnGetit->move(btnGetit->x(), height - 100);
    set_text_height(height - 150);
}

void TfrmForecast::set_text_height(int height) {
    txtForecast->resize(txtForecast->width(), height);
}

void TfrmForecast::set_font_size(int points) {
    QFont font = txtForecast->font();
    font.setPointSize(points);
    txtForecast->setFont(font);
}

void TfrmForecast::btnGetitClick() {
    repaint_now();
    if (cboState->isVisible())
        cboState->setEditText(census_selection(cboState->currentText()));
    get_xcast();
}

void TfrmForecast::mnubgColorClick() {
    try {
        const QColor current = txtForecast->palette().color(QPalette::Base);
        const auto chosen = desktop_.choose_color(current.rgb() & 0xFFFFFFu);
        if (!chosen)
            return;
        const ColorValue value = color_value_from_rgb(*chosen);
        QPalette palette = txtForecast->palette();
        palette.setColor(QPalette::Base, to_qcolor(value));
        txtForecast->setPalette(palette);
        write_setting(settings_section, QStringLiteral("Fbgcolor"), color_to_text(value));
    } catch (const std::exception&) {
        desktop_.message(QStringLiteral("Error - Color selection dialog failed to load"),
                         Desktop::Box::Error);
    }
}

void TfrmForecast::mnuLargefontClick() {
    set_font_size(12);
    write_setting(settings_section, QStringLiteral("Ffontsiz"), QStringLiteral("12"));
    mnuLargefont->setChecked(true);
    mnuSmallfont->setChecked(false);
}

void TfrmForecast::mnuSmallfontClick() {
    set_font_size(8);
    write_setting(settings_section, QStringLiteral("Ffontsiz"), QStringLiteral("8"));
    mnuSmallfont->setChecked(true);
    mnuLargefont->setChecked(false);
}

void TfrmForecast::mnuPrintClick() {
    const QFont font = txtForecast->font();
    const auto job = desktop_.open_text_job(windowTitle(), font.family(), font.pointSize());
    if (!job)
        return;
    // The closing lines are printed and the job ended also when a line fails.
    std::exception_ptr failure;
    try {
        for (QTextBlock block = txtForecast->document()->begin(); block.isValid();
             block = block.next())
            job->write_line(block.text());
    } catch (...) {
        failure = std::current_exception();
    }
    job->write_line(QStringLiteral(" "));
    job->write_line(QString());
    job->write_line(QStringLiteral("[Printed from Nimbrix (by Corvalen).]"));
    job->close();
    if (failure)
        std::rethrow_exception(failure);
}

void TfrmForecast::mnuCloseClick() {
    close();
    keeper_.restore_main();
}

void TfrmForecast::FormClose() {
    queued_fetch_->stop();
    if (!remembered_font_.isEmpty()) {
        QFont font = txtForecast->font();
        font.setFamily(remembered_font_);
        txtForecast->setFont(font);
    }
    state_.xcast_code.clear();
    keeper_.restore_main();
}

void TfrmForecast::mnuHelpClick() {
    desktop_.show_help_contents();
}

void TfrmForecast::switch_to_fixed_font() {
    QFont font = txtForecast->font();
    const QString fixed = fixed_font();
    // The name kept is the one before the first switch, so a second table in a row does not
    // make the fixed font the one restored on close.
    if (font.family() == fixed)
        return;
    remembered_font_ = font.family();
    font.setFamily(fixed);
    txtForecast->setFont(font);
}

void TfrmForecast::show_text(const QByteArray& text) {
    // The text area breaks lines at line feeds; the carriage returns before them (one from
    // the page, one from the census display form) make no line of their own.
    QString shown = decode_windows_1252(text);
    shown.remove(QLatin1Char('\r'));
    txtForecast->setPlainText(shown);
}

void TfrmForecast::process_s1s2() {
    btnGetit->show();
    lblCounty->hide();
    editCounty->hide();
    const int top = outer_height() - 130;
    if (state_.xcast_code == QLatin1String("s2")) {
        lblZip->move(lblZip->x(), top);
        txtZip->move(txtZip->x(), top);
        lblZip->show();
        txtZip->show();
        return;
    }
    lblState->move(lblState->x(), top);
    cboState->move(cboState->x(), top);
    lblState->show();
    cboState->show();
    cboState->clear();
    cboState->addItems(census_state_list());
    cboState->setCurrentIndex(-1);
    cboState->setEditText(QString());
}

void TfrmForecast::fetch_queued() {
    if (fetching_ || (client_.busy() && !client_.background()))
        return; // still busy: the next tick looks again
    queued_fetch_->stop();
    if (isVisible() && starts_at_once(state_.xcast_code))
        run(&TfrmForecast::get_xcast);
}

void TfrmForecast::get_xcast() {
    // Refused (or a background check ended) before anything changes: the text and caption
    // shown stay together.
    client_.claim();
    const QString code = state_.xcast_code;
    Fetching running(fetching_);
    fetching_code_ = code;
    state_.xcast_body.clear();
    txtForecast->clear();
    const CurrentLocation& location = state_.current_location;
    const XcastRequest request =
        xcast_request(code, location.city, location.state, txtZip->text(), cboState->currentText());
    if (request.start_status.isEmpty()) { // a bulletin without a state code, or abroad
        desktop_.message(request.refusal);
        set_status(xcast_idle);
        return;
    }
    set_status(request.start_status);
    repaint_now();
    setWindowTitle(request.caption);
    if (!request.refusal.isEmpty()) {
        desktop_.message(request.refusal);
        set_status(xcast_idle);
        repaint_now();
        return;
    }
    set_status(QStringLiteral("Attempting connection..."));

    apply_request_kind(client_, RequestKind::TextProduct);
    client_.Get(QStringLiteral("http://") + host_address(request.host_role) + request.path);
    QByteArray body = client_.Body;
    state_.xcast_body = decode_windows_1252(body);
    set_status(QStringLiteral("Connection process complete..."));
    repaint_now();

    show_product_text(code, std::move(body));
    set_status(xcast_idle);
    repaint_now();
}

// The product's page as its display wants it: census tables as plain text, bulletins by their
// warnings, forecasts and nowcasts cut to the county asked for.
void TfrmForecast::show_product_text(const QString& code, QByteArray body) {
    const TextProduct* product = find_text_product(code);
    switch (product ? product->display : ProductDisplay::Forecast) {
    case ProductDisplay::CensusTable:
        switch_to_fixed_font();
        show_text(parse_text(body));
        break;
    case ProductDisplay::CensusDetail:
        parse_level2(body);
        switch_to_fixed_font();
        show_text(parse_text(body) + "\r\n--- End of File --\r\nThanks for using Nimbrix...");
        break;
    case ProductDisplay::Hydro:
        switch_to_fixed_font();
        parse_level2(body);
        show_warnings(body);
        break;
    case ProductDisplay::Bulletin:
        parse_level2(body);
        show_warnings(body);
        break;
    case ProductDisplay::Nowcast:
        parse_level2(body);
        show_county(CastKind::Nowcast, body);
        break;
    case ProductDisplay::Forecast:
        parse_level2(body);
        show_county(CastKind::Forecast, body);
        break;
    }
}

// The page without its markup; the text kept of the product follows it.
void TfrmForecast::parse_level2(QByteArray& body) {
    set_status(QStringLiteral("level 2 parsing started..."));
    body = level2_parse(std::move(body));
    state_.xcast_body = decode_windows_1252(body);
    set_status(QStringLiteral("level 2 parsing completed..."));
}

// The warnings of the location's state.
void TfrmForecast::show_warnings(const QByteArray& body) {
    set_status(QStringLiteral("Nimbrix - parsing data...please wait..."));
    show_text(parse_warning_html(body, state_.current_location.state));
    set_status(xcast_idle);
}

// The county's part of a forecast or nowcast; a county the product does not name is refused
// with a beep and a message.
void TfrmForecast::show_county(CastKind kind, const QByteArray& body) {
    const CountyCut cut =
        county_parse(kind, body, editCounty->text(), state_.current_location.state);
    if (cut.refused) {
        desktop_.beep();
        desktop_.message(cut.message);
        return;
    }
    for (const QString& text : cut.status_texts.mid(0, cut.status_texts.size() - 1))
        set_status(text);
    show_text(cut.text);
    set_status(cut.status_texts.last());
    if (!cut.message.isEmpty())
        desktop_.message(cut.message);
    setWindowTitle(cut.caption);
}

void open_html_forecast(TNMHTTP& client, Desktop& desktop) {
    const QString address = QStringLiteral("http://") + host_address(QStringLiteral("Conditions"));
    apply_request_kind(client, RequestKind::ForecastLink);
    client.Get(address);
    client.Body.clear();
    open_url_or_tell(desktop, address);
}
