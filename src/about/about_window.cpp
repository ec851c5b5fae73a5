#include "about/about_window.h"

#include "about/about_rules.h"
#include "about/pie_gauge.h"
#include "platform/desktop.h"
#include "platform/guarded.h"
#include "platform/outer_size.h"
#include "settings/host_table.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>

namespace {

const QColor navy(0x00, 0x00, 0x80);
const QColor teal(0x00, 0x80, 0x80);
const QColor yellow(0xFF, 0xFF, 0x00);

QLabel* make_label(QWidget* parent, const char* name, const QString& text, const QRect& geometry,
                   const QColor& background, const QColor& color = Qt::black, int pixel_size = 11) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(geometry);
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, background);
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
    label->setAutoFillBackground(true);
    QFont font = label->font();
    font.setPixelSize(pixel_size);
    label->setFont(font);
    return label;
}

} // namespace

TfrmAbout::TfrmAbout(Desktop& desktop, QWidget* parent, std::function<PhysicalMemory()> memory)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      desktop_(desktop), memory_(std::move(memory)) {
    FormCreate();
}

void TfrmAbout::FormCreate() {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About Nimbrix"));
    setFixedSize(361, 276);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::black);
    setPalette(palette);
    setAutoFillBackground(true);

    lblVersion = make_label(this, "lblVersion", QStringLiteral("Version "), QRect(0, 0, 161, 25),
                            navy, yellow, 19);
    lblVersion->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblCurrVs =
        make_label(this, "lblCurrVs", built_in_version, QRect(160, 0, 201, 25), navy, yellow, 19);

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setGeometry(8, 32, 353, 121);
    Memo1->setReadOnly(true);
    Memo1->setFocusPolicy(Qt::NoFocus);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QPalette memo = Memo1->palette();
    memo.setColor(QPalette::Base, Qt::black);
    memo.setColor(QPalette::Text, Qt::white);
    Memo1->setPalette(memo);
    QFont memo_font = Memo1->font();
    memo_font.setPixelSize(12);
    Memo1->setFont(memo_font);

    Label1 = make_label(this, "Label1", QStringLiteral("Your System Resources:"),
                        QRect(56, 160, 265, 25), teal, Qt::black, 16);
    Label1->setAlignment(Qt::AlignCenter);
    lblRAM =
        make_label(this, "lblRAM", QStringLiteral("% Free RAM:"), QRect(56, 192, 41, 25), teal);
    lblRAM->setAlignment(Qt::AlignCenter);
    lblRAM->setWordWrap(true);
    Ramguage = new PieGauge(this);
    Ramguage->setObjectName(QStringLiteral("Ramguage"));
    Ramguage->setGeometry(104, 190, 45, 45);
    // Wider than the design's 145 pixels: today's memory sizes take more digits.
    lblFreeRAM =
        make_label(this, "lblFreeRAM", QStringLiteral("Free RAM:"), QRect(176, 192, 181, 17), teal);
    lbltotalRAM = make_label(this, "lbltotalRAM", QStringLiteral("Total RAM:"),
                             QRect(176, 216, 181, 17), teal);

    lblEmail = make_label(this, "lblEmail", QStringLiteral("Send me E-mail"), QRect(0, 224, 33, 41),
                          QColor(0x00, 0x00, 0xFF), Qt::white);
    lblEmail->setAlignment(Qt::AlignCenter);
    lblEmail->setWordWrap(true);
    lblEmail->setCursor(Qt::PointingHandCursor);
    lblEmail->setToolTip(QStringLiteral("Send me an E-mail"));
    lblEmail->installEventFilter(this);

    lblURL =
        make_label(this, "lblURL",
                   QStringLiteral("Click here to go to ") + host_address(QStringLiteral("Maker")),
                   QRect(40, 248, 313, 25), Qt::black, Qt::red, 13);
    lblURL->setAutoFillBackground(false);
    lblURL->setAlignment(Qt::AlignCenter);
    QFont url_font = lblURL->font();
    url_font.setUnderline(true);
    lblURL->setFont(url_font);
    lblURL->setCursor(Qt::PointingHandCursor);
    lblURL->installEventFilter(this);

    // Placed 60 pixels above the screen's centre, by its outer size.
    (new OuterCentring(this, 60))->centre();
    Memo1->setPlainText(about_credits_text());
    memshow();
}

void TfrmAbout::memshow() {
    const PhysicalMemory memory = memory_();
    const MemoryFigures figures = memory_figures(memory.total, memory.available);
    Ramguage->SetProgress(figures.free_percent);
    Ramguage->SetForeColor(figures.low ? QColor(0xFF, 0x00, 0x00) : QColor(0x00, 0xFF, 0x00));
    lblFreeRAM->setText(figures.free_text);
    lbltotalRAM->setText(figures.total_text);
}

void TfrmAbout::lblURLClick() {
    open_url_or_tell(desktop_, QStringLiteral("http://") + host_address(QStringLiteral("Maker")));
}

void TfrmAbout::lblEmailClick() {
    open_url_or_tell(desktop_, QStringLiteral("mailto:") + maker_contact_address);
}

void TfrmAbout::FormHelp() {
    desktop_.show_help_contents();
}

bool TfrmAbout::event(QEvent* event) {
    // F1 here is the box's own help request, not the main window's shortcut.
    if (event->type() == QEvent::ShortcutOverride &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1) {
        event->accept();
        return true;
    }
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1) {
        run_guarded(desktop_, [this] { FormHelp(); });
        return true;
    }
    return QWidget::event(event);
}

bool TfrmAbout::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease) {
        if (watched == lblURL)
            run_guarded(desktop_, [this] { lblURLClick(); });
        else if (watched == lblEmail)
            run_guarded(desktop_, [this] { lblEmailClick(); });
    }
    return QWidget::eventFilter(watched, event);
}
