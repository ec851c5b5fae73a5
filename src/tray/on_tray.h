#pragma once

#include <QIcon>
#include <QList>
#include <QObject>
#include <QPair>
#include <QPointer>
#include <functional>

class QMenu;
class QSystemTrayIcon;
class QTimer;
class QWidget;

// The program's icon in the notification area. Its tooltip and picture follow the sky
// conditions; the left and right buttons pop up their menus; the owner window is hidden to
// the tray and restored from it.
class TOnTray : public QObject {
    Q_OBJECT
public:
    explicit TOnTray(QWidget* owner);
    ~TOnTray() override;

    void SetHint(const QString& text);
    void SetAppVisible(bool visible);
    void SetIconVisible(bool visible);
    void UpdateIcon();

    // Runs after the owner has been minimised: the window leaves the taskbar (it stays
    // reachable through the tray icon).
    void minimize_logic();

    // Mouse notifications of the icon.
    void MouseDown(Qt::MouseButton button);
    void MouseUp(Qt::MouseButton button);
    void DblClick();

    QString Hint;
    QIcon Icon;
    bool AppVisible = false;
    bool IconVisible = false;
    QMenu* PopupLeft = nullptr;
    QMenu* PopupRight = nullptr;
    QMenu* PopupMiddle = nullptr;
    std::function<void()> OnClick;
    std::function<void()> OnDblClick;

    // The tooltip the icon carries (the hint cut to 63 characters) and whether the icon is
    // in the tray now.
    QString tooltip() const;
    bool in_tray() const { return in_tray_; }
    QSystemTrayIcon* tray_icon() const { return icon_; }

    // While a warning is in force the tooltip starts with "WARNING: " and the picture carries
    // a red mark in its lower right corner.
    void set_warning(bool in_force);
    bool warning() const { return warning_; }
    // A message from the icon with the warning symbol; messages come one after another, each
    // shown for message_ms. A click on one runs OnMessageClick.
    void show_message(const QString& title, const QString& body);
    std::function<void()> OnMessageClick;
    static constexpr int message_ms = 10000;

    // Without a notification area (some desktops, a bare X server) hiding would leave no way
    // back to the window, so the window is minimised to the taskbar instead. Tests set this.
    bool tray_available() const;
    void set_tray_available(bool available) { tray_override_ = available ? 1 : 0; }

Q_SIGNALS:
    // A message has been put up from the icon.
    void message_shown(const QString& title, const QString& body);

private:
    void popup(QMenu* menu);
    void show_next_message();

    QPointer<QWidget> owner_;
    QSystemTrayIcon* icon_;
    bool in_tray_ = false;
    int tray_override_ = -1;
    bool warning_ = false;
    QList<QPair<QString, QString>> messages_;
    QTimer* message_timer_;
};

// The picture with the warning mark: a red triangle filling the lower right corner of each
// size the icon is drawn in.
QIcon with_warning_mark(const QIcon& icon);
