#include "platform/single_instance.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#else
#include <QLockFile>
#endif

namespace {

const QByteArray activate_request = "activate\n";
// Longer lines are no request of ours; the connection is dropped.
constexpr qint64 longest_line = 64;

// Two starts at the same moment take turns: the lock is held from before the first asks for a
// running program until it listens. Without the lock the claim goes ahead (a lost race costs
// a second icon). On Unix it is the kernel's lock on the file, which ends with its process, so
// nothing is written or synced on a start.
class StartLock {
public:
    StartLock(const QString& path, int wait_ms)
#ifndef Q_OS_UNIX
        : lock_(path)
#endif
    {
#ifdef Q_OS_UNIX
        fd_ = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW,
                     0600);
        if (fd_ < 0)
            return;
        const QDeadlineTimer deadline(wait_ms);
        while (::flock(fd_, LOCK_EX | LOCK_NB) != 0 && (errno == EWOULDBLOCK || errno == EINTR) &&
               !deadline.hasExpired())
            QThread::msleep(10);
#else
        lock_.tryLock(wait_ms);
#endif
    }
    ~StartLock() {
#ifdef Q_OS_UNIX
        if (fd_ >= 0)
            ::close(fd_);
#endif
    }
    StartLock(const StartLock&) = delete;
    StartLock& operator=(const StartLock&) = delete;

private:
#ifdef Q_OS_UNIX
    int fd_ = -1;
#else
    QLockFile lock_;
#endif
};

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
#ifndef Q_OS_UNIX
    server_->setSocketOptions(QLocalServer::UserAccessOption);
#endif
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_->nextPendingConnection())
            serve(socket);
    });
}

SingleInstance::~SingleInstance() = default;

SingleInstance::Claim SingleInstance::claim() {
    // Two starts at the same moment take turns: the second finds the first listening.
    const QString lock_path = QFileInfo(name_).isAbsolute()
                                  ? name_ + QStringLiteral(".lock")
                                  : QDir::temp().filePath(name_ + QStringLiteral(".lock"));
    const StartLock lock(lock_path, 5000);

    if (ask_running())
        return Claim::AlreadyRunning;
    // Nobody answered: what is left under the name is a crashed program's socket.
    QLocalServer::removeServer(name_);
#ifdef Q_OS_UNIX
    // Only this user may connect: the socket is made without rights for anyone else. (The
    // server's own user-access option gets there by making and removing a folder on every
    // start, which a busy disk makes wait.)
    const mode_t previous_mask = ::umask(077);
    const bool listening = server_->listen(name_);
    ::umask(previous_mask);
#else
    const bool listening = server_->listen(name_);
#endif
    if (!listening) {
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
