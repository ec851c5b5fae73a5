#include "net_test_support.h"

#include "shared/app_error.h"
#include <QCoreApplication>
#include <QHostAddress>
#include <QTimer>
#include <gtest/gtest.h>

int ScriptedLookup::start(const QString& name, QObject* context,
                          std::function<void(const HostAnswer&)> done) {
    names.append(name);
    const int id = next_id_++;
    if (delay_ms < 0)
        return id;
    HostAnswer answer{id, {}};
    for (const QString& address : addresses)
        answer.ipv4.append(QHostAddress(address).toIPv4Address());
    QTimer::singleShot(delay_ms, context, [this, id, answer, done = std::move(done)] {
        if (!aborted_ids_.contains(id))
            done(answer);
    });
    return id;
}

void ScriptedLookup::abort(int id) {
    ++aborted;
    aborted_ids_.append(id);
}

void EventLog::attach_socket(TPowersock& client) {
    QObject::connect(&client, &TPowersock::OnConnect, [this] { lines << "Connect"; });
    QObject::connect(&client, &TPowersock::OnDisconnect, [this] { lines << "Disconnect"; });
    QObject::connect(&client, &TPowersock::OnInvalidHost,
                     [this](bool&) { lines << "InvalidHost"; });
    QObject::connect(&client, &TPowersock::OnHostResolved, [this] { lines << "HostResolved"; });
    QObject::connect(&client, &TPowersock::OnStatus,
                     [this](const QString& text) { lines << QStringLiteral("Status: ") + text; });
    QObject::connect(&client, &TPowersock::OnConnectionFailed,
                     [this] { lines << "ConnectionFailed"; });
    QObject::connect(&client, &TPowersock::OnPacketRecvd, [this] { lines << "PacketRecvd"; });
    QObject::connect(&client, &TPowersock::OnPacketSent, [this] { lines << "PacketSent"; });
}

void EventLog::attach(TNMHTTP& client) {
    attach_socket(client);
    QObject::connect(&client, &TNMHTTP::OnAboutToSend, [this] { lines << "AboutToSend"; });
    QObject::connect(&client, &TNMHTTP::OnSuccess, [this](int cmd) {
        lines << QStringLiteral("Success ") + QString::number(cmd);
    });
    QObject::connect(&client, &TNMHTTP::OnFailure, [this](int cmd) {
        lines << QStringLiteral("Failure ") + QString::number(cmd);
    });
    QObject::connect(&client, &TNMHTTP::OnRedirect, [this](bool&) { lines << "Redirect"; });
    QObject::connect(&client, &TNMHTTP::OnAuthenticationNeeded,
                     [this] { lines << "AuthenticationNeeded"; });
}

void after(int ms, std::function<void()> command) {
    QTimer::singleShot(ms, QCoreApplication::instance(), std::move(command));
}

QString error_of(const std::function<void()>& body) {
    try {
        body();
    } catch (const AppError& error) {
        return error.message();
    }
    return QString();
}

QByteArray http_reply(const QByteArray& status, const QList<QByteArray>& lines,
                      const QByteArray& body) {
    QByteArray reply = status + "\r\n";
    for (const QByteArray& line : lines)
        reply += line + "\r\n";
    return reply + "\r\n" + body;
}
