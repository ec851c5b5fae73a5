#include "platform/single_instance.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

const QByteArray activate_request = "activate\n";
// Longer lines are no request of ours; the connection is dropped.
constexpr qint64 longest_line = 64;

QString user_id() {
#ifdef Q_OS_UNIX
    return QString::number(getuid());
#else
    return qEnvironmentVariable("USERNAME");
#endif
}

} // namespace

QString SingleInstance::default_name() {
    const QString chosen = qEnvironmentVariable("NIMBRIX_INSTANCE_NAME");
    if (!chosen.isEmpty())
        return chosen;
#ifdef Q_OS_UNIX
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir())
        return QDir(runtime).filePath(QStringLiteral("org.nimbrix.Nimbrix.instance"));
    return QDir::temp().filePath(QStringLiteral("org.nimbrix.Nimbrix-%1.instance").arg(user_id()));
#else
    return QStringLiteral("org.nimbrix.Nimbrix-%1").arg(user_id());
#endif
}

SingleInstance::SingleInstance(QString name, QObject* parent)
    : QObject(parent), name_(std::move(name)), server_(new QLocalServer(this)) {
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_->nextPendingConnection())
            serve(socket);
    });
}

SingleInstance::~SingleInstance() = default;

SingleInstance::Claim SingleInstance::claim() {
    // Two starts at the same moment take turns: the second finds the first listening. The lock
    // of a process that died is taken over.
    const QString lock_path = QFileInfo(name_).isAbsolute()
                                  ? name_ + QStringLiteral(".lock")
                                  : QDir::temp().filePath(name_ + QStringLiteral(".lock"));
    QLockFile lock(lock_path);
    lock.tryLock(5000); // without the lock the claim goes ahead: a lost race costs a second icon

    if (ask_running())
        return Claim::AlreadyRunning;
    // Nobody answered: what is left under the name is a crashed program's socket.
    QLocalServer::removeServer(name_);
    if (!server_->listen(name_)) {
        error_text_ = server_->errorString();
        return Claim::Failed;
    }
    return Claim::First;
}

bool SingleInstance::ask_running() {
    QLocalSocket socket;
    socket.connectToServer(name_);
    if (!socket.waitForConnected(1000))
        return false;
    socket.write(activate_request);
    socket.flush();
    // The answer: "shown PID" or "hidden PID". A program that takes the connection but does
    // not answer still runs; this start ends all the same.
    const QDeadlineTimer deadline(3000);
    while (!socket.canReadLine() && !deadline.hasExpired() &&
           socket.state() == QLocalSocket::ConnectedState)
        socket.waitForReadyRead(static_cast<int>(deadline.remainingTime()));
    const QList<QByteArray> words = socket.readLine(longest_line).trimmed().split(' ');
    running_window_shown_ = words.value(0) == "shown";
    running_pid_ = words.value(1).toLongLong();
    return true;
}

void SingleInstance::serve(QLocalSocket* socket) {
    socket->setParent(this);
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    const auto answer = [this, socket] {
        if (!socket->canReadLine()) {
            if (socket->bytesAvailable() > longest_line)
                socket->abort();
            return;
        }
        const QByteArray line = socket->readLine(longest_line);
        if (line == activate_request) {
            const bool shown = on_activate && on_activate();
            socket->write((shown ? "shown " : "hidden ") +
                          QByteArray::number(QCoreApplication::applicationPid()) + '\n');
            socket->flush();
        }
        socket->disconnectFromServer();
    };
    connect(socket, &QLocalSocket::readyRead, this, answer);
    if (socket->bytesAvailable() > 0)
        answer();
}
