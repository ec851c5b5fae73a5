#include "tray/on_tray.h"

#include "tray/tray_rule.h"

#include <QCursor>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QWidget>

TOnTray::TOnTray(QWidget* owner) : QObject(owner), owner_(owner), icon_(new QSystemTrayIcon(this)) {
    setObjectName(QStringLiteral("OnTray"));
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
    return tray_tooltip(Hint);
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
        icon_->setIcon(Icon);
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
