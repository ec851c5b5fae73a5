#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <functional>

// Desktop notifications where the program has no tray to show a message from: the freedesktop
// notification service on the session bus (org.freedesktop.Notifications.Notify). Windows
// always has the tray; there every notification reports that it was not delivered.
class DesktopNotifications : public QObject {
    Q_OBJECT
public:
    explicit DesktopNotifications(QObject* parent = nullptr);
    ~DesktopNotifications() override;

    // The bus to use instead of the session bus (tests run a private one).
    void set_bus_address(const QString& address);

    // Sends a notification with the warning urgency and a default action. delivered runs once,
    // later: true when the service took it, false when there is no bus or no service or it
    // refused. The summary and body are plain text.
    void notify(const QString& summary, const QString& body,
                const std::function<void(bool delivered)>& delivered);

    // Runs when the user clicks one of this program's notifications.
    std::function<void()> on_click;

private Q_SLOTS:
    // The service's signals (QtDBus connects them by name).
    void action_invoked(uint id, const QString& action);
    void notification_closed(uint id, uint reason);

private:
    bool connect_bus();

    QString bus_name_;
    QString bus_address_;
    bool connected_ = false;
    QHash<uint, bool> sent_; // the notifications of this program still up
};
