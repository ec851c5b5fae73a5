#include "tray/on_tray.h"

#include "tray/tray_rule.h"

#include <QCursor>
#include <QMenu>
#include <QPainter>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWidget>

QIcon with_warning_mark(const QIcon& icon) {
    QList<QSize> sizes = icon.availableSizes();
    if (sizes.isEmpty())
        sizes = {QSize(16, 16), QSize(32, 32)};
    QIcon marked;
    for (const QSize& size : sizes) {
        QPixmap picture = icon.pixmap(size);
        if (picture.isNull())
            continue;
        const qreal w = picture.width() / picture.devicePixelRatio();
        const qreal h = picture.height() / picture.devicePixelRatio();
        QPainter painter(&picture);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0xFF, 0x00, 0x00));
        const QPointF corner[] = {{w, h * 0.4}, {w, h}, {w * 0.4, h}};
        painter.drawPolygon(corner, 3);
        painter.end();
        marked.addPixmap(picture);
    }
    return marked;
}

TOnTray::TOnTray(QWidget* owner)
    : QObject(owner), owner_(owner), icon_(new QSystemTrayIcon(this)),
      message_timer_(new QTimer(this)) {
    setObjectName(QStringLiteral("OnTray"));
    message_timer_->setSingleShot(true);
    connect(message_timer_, &QTimer::timeout, this, &TOnTray::show_next_message);
    connect(icon_, &QSystemTrayIcon::messageClicked, this, [this] {
        if (OnMessageClick)
            OnMessageClick();
    });
    connect(icon_, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                switch (reason) {
                case QSystemTrayIcon::Trigger:
                    MouseDown(Qt::LeftButton);
                    break;
                case QSystemTrayIcon::Context:
                    MouseDown(Qt::RightButton);
                    break;
                case QSystemTrayIcon::MiddleClick:
                    MouseDown(Qt::MiddleButton);
                    break;
                case QSystemTrayIcon::DoubleClick:
                    DblClick();
                    break;
                default:
                    break;
                }
            });
}

TOnTray::~TOnTray() {
    SetIconVisible(false);
}

bool TOnTray::tray_available() const {
    if (tray_override_ >= 0)
        return tray_override_ == 1;
    return QSystemTrayIcon::isSystemTrayAvailable();
}

QString TOnTray::tooltip() const {
    return tray_tooltip(warning_ ? QStringLiteral("WARNING: ") + Hint : Hint);
}

void TOnTray::set_warning(bool in_force) {
    if (in_force == warning_)
        return;
    warning_ = in_force;
    icon_->setToolTip(tooltip());
    UpdateIcon();
}

void TOnTray::show_message(const QString& title, const QString& body) {
    messages_.append({title, body});
    if (!message_timer_->isActive())
        show_next_message();
}

void TOnTray::show_next_message() {
    if (messages_.isEmpty())
        return;
    const auto [title, body] = messages_.takeFirst();
    icon_->showMessage(title, body, QSystemTrayIcon::Warning, message_ms);
    message_timer_->start(message_ms);
    Q_EMIT message_shown(title, body);
}

void TOnTray::SetHint(const QString& text) {
    if (text != Hint) {
        Hint = text;
        icon_->setToolTip(tooltip());
        UpdateIcon();
    }
}

void TOnTray::SetIconVisible(bool visible) {
    IconVisible = visible;
    UpdateIcon();
}

void TOnTray::UpdateIcon() {
    if (IconVisible && !Icon.isNull()) {
        icon_->setIcon(warning_ ? with_warning_mark(Icon) : Icon);
        icon_->setToolTip(tooltip());
        if (!in_tray_)
            icon_->show();
        in_tray_ = true;
    } else {
        icon_->hide();
        in_tray_ = false;
    }
}

void TOnTray::SetAppVisible(bool visible) {
    AppVisible = visible;
    UpdateIcon();
    if (!owner_)
        return;
    if (visible) {
        owner_->setWindowState(owner_->windowState() & ~Qt::WindowMinimized);
        owner_->show();
        owner_->raise();
        owner_->activateWindow();
    } else if (tray_available()) {
        owner_->hide();
    } else {
        owner_->showMinimized();
    }
}

void TOnTray::minimize_logic() {
    if (owner_ && tray_available())
        owner_->hide();
}

void TOnTray::popup(QMenu* menu) {
    if (!menu)
        return;
    if (owner_)
        owner_->activateWindow();
    menu->popup(QCursor::pos() + QPoint(20, 0));
}

void TOnTray::MouseDown(Qt::MouseButton button) {
    switch (button) {
    case Qt::LeftButton:
        popup(PopupLeft);
        break;
    case Qt::RightButton:
        popup(PopupRight);
        break;
    case Qt::MiddleButton:
        popup(PopupMiddle);
        break;
    default:
        break;
    }
}

void TOnTray::MouseUp(Qt::MouseButton button) {
    if (button == Qt::LeftButton && OnClick) {
        if (owner_)
            owner_->activateWindow();
        OnClick();
    }
}

void TOnTray::DblClick() {
    if (OnDblClick) {
        if (owner_)
            owner_->activateWindow();
        OnDblClick();
    }
}
