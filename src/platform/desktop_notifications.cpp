#include "platform/desktop_notifications.h"

#ifndef Q_OS_WIN
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>
#endif

namespace {

#ifndef Q_OS_WIN
const QString service = QStringLiteral("org.freedesktop.Notifications");
const QString path = QStringLiteral("/org/freedesktop/Notifications");
const QString interface = QStringLiteral("org.freedesktop.Notifications");

// Servers that take markup in the body would read "&" and "<" of a headline as markup.
QString escaped(const QString& text) {
    QString out = text;
    out.replace(u'&', QLatin1String("&amp;"));
    out.replace(u'<', QLatin1String("&lt;"));
    out.replace(u'>', QLatin1String("&gt;"));
    return out;
}
#endif

} // namespace

DesktopNotifications::DesktopNotifications(QObject* parent) : QObject(parent) {}

DesktopNotifications::~DesktopNotifications() {
#ifndef Q_OS_WIN
    if (!bus_address_.isEmpty() && connected_)
        QDBusConnection::disconnectFromBus(bus_name_);
#endif
}

void DesktopNotifications::set_bus_address(const QString& address) {
#ifndef Q_OS_WIN
    if (!bus_address_.isEmpty() && connected_)
        QDBusConnection::disconnectFromBus(bus_name_);
#endif
    bus_address_ = address;
    connected_ = false;
}

bool DesktopNotifications::connect_bus() {
#ifdef Q_OS_WIN
    return false;
#else
    if (connected_)
        return true;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus_address_.isEmpty()) {
        bus_name_ = QStringLiteral("nimbrix-notifications-%1").arg(quintptr(this), 0, 16);
        bus = QDBusConnection::connectToBus(bus_address_, bus_name_);
    }
    if (!bus.isConnected())
        return false;
    // QtDBus connects signals of the bus only by slot name.
    bus.connect(QString(), path, interface, QStringLiteral("ActionInvoked"), this,
                SLOT(action_invoked(uint, QString)));
    bus.connect(QString(), path, interface, QStringLiteral("NotificationClosed"), this,
                SLOT(notification_closed(uint, uint)));
    connected_ = true;
    return true;
#endif
}

void DesktopNotifications::notify(const QString& summary, const QString& body,
                                  const std::function<void(bool delivered)>& delivered) {
#ifdef Q_OS_WIN
    Q_UNUSED(summary);
    Q_UNUSED(body);
    delivered(false);
#else
    if (!connect_bus()) {
        delivered(false);
        return;
    }
    QDBusConnection bus =
        bus_address_.isEmpty() ? QDBusConnection::sessionBus() : QDBusConnection(bus_name_);
    QDBusMessage call =
        QDBusMessage::createMethodCall(service, path, interface, QStringLiteral("Notify"));
    QVariantMap hints;
    hints.insert(QStringLiteral("urgency"), QVariant::fromValue(uchar(2)));
    hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("org.nimbrix.Nimbrix"));
    call << QStringLiteral("Nimbrix") << uint(0) << QStringLiteral("dialog-warning") << summary
         << escaped(body)
         << QStringList{QStringLiteral("default"), QStringLiteral("Show the warnings")} << hints
         << int(-1);
    // Asynchronous: a service that hangs never holds up the window.
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, 10000), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, delivered](QDBusPendingCallWatcher* w) {
                const QDBusPendingReply<uint> reply = *w;
                w->deleteLater();
                if (reply.isError()) {
                    delivered(false);
                    return;
                }
                sent_.insert(reply.value(), true);
                delivered(true);
            });
#endif
}

void DesktopNotifications::action_invoked(uint id, const QString& action) {
    if (sent_.contains(id) && action == QLatin1String("default") && on_click)
        on_click();
}

void DesktopNotifications::notification_closed(uint id, uint) {
    sent_.remove(id);
}
