#include "app/splash.h"

#include "app/needle_gauge.h"

#include <QLabel>

TfrmPleaseWait::TfrmPleaseWait(QWidget* main_window)
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("frmPleaseWait"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::black);
    setPalette(palette);
    setAutoFillBackground(true);
    setFixedSize(277, 253);

    lblPleaseWait =
        new QLabel(QStringLiteral("Please wait...           loading information..."), this);
    lblPleaseWait->setObjectName(QStringLiteral("lblPleaseWait"));
    QFont font = lblPleaseWait->font();
    font.setPixelSize(16);
    lblPleaseWait->setFont(font);
    QPalette label = lblPleaseWait->palette();
    label.setColor(QPalette::WindowText, Qt::white);
    lblPleaseWait->setPalette(label);
    lblPleaseWait->setAlignment(Qt::AlignCenter);
    lblPleaseWait->setWordWrap(true);
    lblPleaseWait->setGeometry(40, 20, 197, 50);

    Gauge1 = new NeedleGauge(this);
    Gauge1->setObjectName(QStringLiteral("Gauge1"));
    Gauge1->setGeometry(48, 80, 150, 100);
    Gauge1->SetBackColor(QColor(0x00, 0x00, 0x80));
    Gauge1->SetForeColor(QColor(0x00, 0xFF, 0x00));
    Gauge1->SetProgress(0);

    if (main_window)
        move(main_window->x() + 35, main_window->y() + 70);
    show();
    repaint();
}

void TfrmPleaseWait::set_progress(int value) {
    Gauge1->SetProgress(value);
    if (isVisible())
        repaint();
}
