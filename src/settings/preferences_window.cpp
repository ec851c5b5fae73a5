#include "settings/preferences_window.h"

#include "platform/desktop.h"
#include "platform/guarded.h"
#include "platform/outer_size.h"
#include "settings/preferences_rules.h"
#include "settings/proxy_info.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>

namespace {

const QColor navy(0x00, 0x00, 0x80);
const QColor silver(0xC0, 0xC0, 0xC0);

void set_color(QWidget* widget, QPalette::ColorRole role, const QColor& color) {
    QPalette palette = widget->palette();
    palette.setColor(role, color);
    widget->setPalette(palette);
}

template <typename Widget, typename... Args>
Widget* make(QWidget* parent, const char* name, const QRect& geometry, Args&&... args) {
    auto* widget = new Widget(std::forward<Args>(args)..., parent);
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(geometry);
    return widget;
}

QLabel* silver_note(QWidget* parent, const char* name, const QString& text, const QRect& geometry) {
    auto* label = make<QLabel>(parent, name, geometry, text);
    set_color(label, QPalette::Window, silver);
    set_color(label, QPalette::WindowText, Qt::black);
    label->setAutoFillBackground(true);
    label->setWordWrap(true);
    label->setMargin(3);
    return label;
}

} // namespace

TfrmPref::TfrmPref(Desktop& desktop, const ProxyProperties& client, StartupChoices& startup_choices,
                   QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      desktop_(desktop), client_(client), startup_choices_(startup_choices) {
    FormCreate();
}

void TfrmPref::FormCreate() {
    setObjectName(QStringLiteral("frmPref"));
    setWindowTitle(QStringLiteral("Nimbrix - Preferences"));
    setFixedSize(516, 373);
    centring_ = new OuterCentring(this, 0);
    QFont font = this->font();
    font.setPixelSize(11);
    setFont(font);
    set_color(this, QPalette::Window, navy);
    set_color(this, QPalette::WindowText, Qt::white);
    setAutoFillBackground(true);
    create_unit_boxes();
    create_proxy_box();
    create_startup_choices();
    create_buttons();
}

// The auto-update and metric boxes on the left.
void TfrmPref::create_unit_boxes() {
    GroupBox2 =
        make<QGroupBox>(this, "GroupBox2", QRect(8, 8, 240, 76), QStringLiteral(" Auto Update "));
    Label6 = make<QLabel>(GroupBox2, "Label6", QRect(10, 18, 224, 26),
                          QStringLiteral("Do you want the stats automatically updated?"));
    Label6->setWordWrap(true);
    radioYesupstat = make<QRadioButton>(GroupBox2, "radioYesupstat", QRect(16, 46, 80, 20),
                                        QStringLiteral("Yes"));
    set_color(radioYesupstat, QPalette::WindowText, QColor(0x00, 0x80, 0x00));
    radioYesupstat->setChecked(true);
    radioNoupstat = make<QRadioButton>(GroupBox2, "radioNoupstat", QRect(120, 46, 80, 20),
                                       QStringLiteral("No"));
    set_color(radioNoupstat, QPalette::WindowText, QColor(0x80, 0x00, 0x00));

    GroupBox3 = make<QGroupBox>(this, "GroupBox3", QRect(8, 92, 240, 76),
                                QStringLiteral(" Metric Setting "));
    lblMetric = make<QLabel>(GroupBox3, "lblMetric", QRect(10, 20, 224, 17),
                             QStringLiteral("For temperatures, etc."));
    radioEnglish = make<QRadioButton>(GroupBox3, "radioEnglish", QRect(16, 46, 100, 20),
                                      QStringLiteral("Use English"));
    radioEnglish->setChecked(true);
    radioMetric = make<QRadioButton>(GroupBox3, "radioMetric", QRect(120, 46, 100, 20),
                                     QStringLiteral("Use Metric"));
}

// The proxy box on the right: the tick and four fields.
void TfrmPref::create_proxy_box() {
    GroupBox1 = make<QGroupBox>(this, "GroupBox1", QRect(256, 8, 252, 160),
                                QStringLiteral(" Proxy Settings "));
    CheckBox1 = make<QCheckBox>(GroupBox1, "CheckBox1", QRect(10, 20, 232, 20),
                                QStringLiteral("Use these Proxy Settings"));
    const struct {
        QLabel*& label;
        const char* label_name;
        const char* caption;
        QLineEdit*& edit;
        const char* edit_name;
        int width;
    } fields[] = {
        {lblProxy, "lblProxy", "Proxy:", EditProxy, "EditProxy", 160},
        {lblProxyPort, "lblProxyPort", "Proxy Port:", EditProxyPort, "EditProxyPort", 64},
        {lblProxyUserid, "lblProxyUserid", "Userid:", txtProxyUserid, "txtProxyUserid", 160},
        {lblProxyPass, "lblProxyPass", "Password:", txtProxyPass, "txtProxyPass", 160},
    };
    int top = 48;
    for (const auto& field : fields) {
        field.label = make<QLabel>(GroupBox1, field.label_name, QRect(10, top + 2, 70, 17),
                                   QString::fromLatin1(field.caption));
        field.edit = make<QLineEdit>(GroupBox1, field.edit_name, QRect(82, top, field.width, 22));
        top += 27;
    }
    // The design: silver fields, the host and user fields disabled.
    for (QLineEdit* edit : {EditProxy, EditProxyPort, txtProxyUserid, txtProxyPass})
        set_color(edit, QPalette::Base, silver);
    EditProxy->setEnabled(false);
    txtProxyUserid->setEnabled(false);
    txtProxyPass->setEchoMode(QLineEdit::Password);
}

// The start-up location and the automatic wallpaper, each under its note.
void TfrmPref::create_startup_choices() {
    lblstartuploc = silver_note(
        this, "lblstartuploc",
        QStringLiteral("Select the location you would like Nimbrix to \"Get Stats\" on when it "
                       "starts.  If none, select \"None\"."),
        QRect(8, 178, 500, 36));
    Label1 =
        make<QLabel>(this, "Label1", QRect(8, 224, 110, 17), QStringLiteral("Start-up Location:"));
    cboStartupLoc = make<QComboBox>(this, "cboStartupLoc", QRect(124, 221, 384, 24));
    cboStartupLoc->setEditable(true);
    cboStartupLoc->setInsertPolicy(QComboBox::NoInsert);

    Label3 = silver_note(this, "Label3",
                         QStringLiteral("As Nimbrix gets an update, it can automatically update "
                                        "your Wallpaper with one of the selections below.  If "
                                        "you don't want this, choose \"None\"."),
                         QRect(8, 256, 500, 36));
    Label4 =
        make<QLabel>(this, "Label4", QRect(8, 302, 110, 17), QStringLiteral("Wallpaper Image:"));
    cboAutoWallpaper = make<QComboBox>(this, "cboAutoWallpaper", QRect(124, 299, 384, 24));
    cboAutoWallpaper->setEditable(true);
    cboAutoWallpaper->setInsertPolicy(QComboBox::NoInsert);
}

// The bottom row: the warning watch's tick and the buttons.
void TfrmPref::create_buttons() {
    // Beside the buttons, in the row no other control takes.
    chkWarnWatch = make<QCheckBox>(this, "chkWarnWatch", QRect(8, 340, 246, 20),
                                   QStringLiteral("Watch for warnings in my county"));
    chkWarnWatch->setToolTip(QStringLiteral(
        "Announce from the tray each new warning of the weather service for the county of the "
        "location shown (US places)"));

    btnOkay = make<QPushButton>(this, "btnOkay", QRect(262, 338, 75, 25), QStringLiteral("&Okay"));
    btnCancel =
        make<QPushButton>(this, "btnCancel", QRect(347, 338, 75, 25), QStringLiteral("&Cancel"));
    btnHelp = make<QPushButton>(this, "btnHelp", QRect(432, 338, 75, 25), QStringLiteral("&Help"));
    btnOkay->setDefault(true);

    connect_command(btnOkay, desktop_, [this] { btnOkayClick(); });
    connect_command(btnCancel, desktop_, [this] { btnCancelClick(); });
    connect_command(btnHelp, desktop_, [this] { btnHelpClick(); });
    // Every change of the tick, by the user or by a show.
    connect(CheckBox1, &QCheckBox::toggled, this,
            [this] { run_guarded(desktop_, [this] { CheckBox1Click(); }); });
}

void TfrmPref::FormShow() {
    centring_->centre();
    const PreferencesView view = read_preferences();
    (view.auto_update_yes ? radioYesupstat : radioNoupstat)->setChecked(true);
    (view.metric ? radioMetric : radioEnglish)->setChecked(true);
    chkWarnWatch->setChecked(view.warn_watch);

    load_startup_choices();
    if (view.startup_text)
        cboStartupLoc->setEditText(*view.startup_text);

    load_cboAWoptions();
    cboAutoWallpaper->setEditText(view.wallpaper_text);

    if (!view.proxy_use) {
        CheckBox1->setChecked(false);
        enable_proxy_fields(false);
    } else {
        CheckBox1->setChecked(true);
    }
    const std::pair<const std::optional<QString>&, QLineEdit*> values[] = {
        {view.proxy, EditProxy},
        {view.proxy_port, EditProxyPort},
        {view.proxy_userid, txtProxyUserid},
        {view.proxy_pass, txtProxyPass},
    };
    for (const auto& [value, edit] : values)
        if (value)
            edit->setText(*value);
}

void TfrmPref::load_startup_choices() {
    // Without a stored start-up location the box keeps the text it has.
    const QString text = cboStartupLoc->currentText();
    fill_startup_choices(startup_choices_);
    cboStartupLoc->clear();
    cboStartupLoc->addItems(startup_choices_.items());
    cboStartupLoc->setEditText(text);
}

void TfrmPref::load_cboAWoptions() {
    QStringList names = auto_wallpaper_names();
    std::stable_sort(names.begin(), names.end(), list_order_less);
    cboAutoWallpaper->clear();
    cboAutoWallpaper->addItems(names);
}

void TfrmPref::CheckBox1Click() {
    // The fields follow EditProxy's state, not the tick.
    enable_proxy_fields(!EditProxy->isEnabled());
}

void TfrmPref::enable_proxy_fields(bool enabled) {
    for (QLineEdit* edit : {EditProxy, EditProxyPort, txtProxyUserid, txtProxyPass}) {
        edit->setEnabled(enabled);
        set_color(edit, QPalette::Base,
                  enabled ? QApplication::palette().color(QPalette::Base) : silver);
    }
}

void TfrmPref::btnOkayClick() {
    PreferencesInput input;
    input.auto_update_yes = radioYesupstat->isChecked();
    input.startup_text = cboStartupLoc->currentText();
    input.proxy_ticked = CheckBox1->isChecked();
    input.proxy = EditProxy->text();
    input.proxy_port = EditProxyPort->text();
    input.proxy_userid = txtProxyUserid->text();
    input.proxy_pass = txtProxyPass->text();
    input.english = radioEnglish->isChecked();
    input.wallpaper_text = cboAutoWallpaper->currentText();
    input.warn_watch = chkWarnWatch->isChecked();
    write_preferences(input);
    Q_EMIT written();
    process_proxy_info(client_);
    close();
}

void TfrmPref::btnCancelClick() {
    close();
}

void TfrmPref::btnHelpClick() {
    desktop_.show_help_contents();
}

void TfrmPref::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous())
        run_guarded(desktop_, [this] { FormShow(); });
}

bool TfrmPref::event(QEvent* event) {
    // The window's own help key does nothing (the "&Help" button opens the help).
    if ((event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1) {
        event->accept();
        return true;
    }
    return QWidget::event(event);
}
