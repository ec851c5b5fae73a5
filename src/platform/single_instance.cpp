#include "platform/single_instance.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif
#ifdef Q_OS_LINUX
#include <QSocketNotifier>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#else
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#endif

namespace {

const QByteArray activate_request = "activate\n";
// Longer lines are no request of ours; the connection is dropped.
constexpr qint64 longest_line = 64;
// How long a later start waits to be connected, and then for the answer.
constexpr int connect_wait_ms = 1000;
constexpr int answer_wait_ms = 3000;

QString user_id() {
#ifdef Q_OS_UNIX
    return QString::number(getuid());
#else
    return qEnvironmentVariable("USERNAME");
#endif
}

// The socket's path: a name that is no absolute path lives in the temporary folder.
QString socket_path(const QString& name) {
    return QFileInfo(name).isAbsolute() ? name : QDir::temp().filePath(name);
}

// The running program's answer, "shown PID" or "hidden PID".
void read_answer(const QByteArray& line, bool& shown, qint64& pid) {
    const QList<QByteArray> words = line.trimmed().split(' ');
    shown = words.value(0) == "shown";
    pid = words.value(1).toLongLong();
}

// Two starts at the same moment take turns: the lock is held from before the first asks for a
// running program until it listens. Without the lock the claim goes ahead (a lost race costs
// a second icon). On Linux it is the kernel's lock on the file, which ends with its process, so
// nothing is written or synced on a start.
class StartLock {
public:
    StartLock(const QString& path, int wait_ms)
#ifndef Q_OS_LINUX
        : lock_(path)
#endif
    {
#ifdef Q_OS_LINUX
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
#ifdef Q_OS_LINUX
        if (fd_ >= 0)
            ::close(fd_);
#endif
    }
    StartLock(const StartLock&) = delete;
    StartLock& operator=(const StartLock&) = delete;

private:
#ifdef Q_OS_LINUX
    int fd_ = -1;
#else
    QLockFile lock_;
#endif
};

} // namespace

#ifdef Q_OS_LINUX

namespace {

// The Unix-domain socket address of a path; false when the path does not fit.
bool socket_address(const QString& path, sockaddr_un& address) {
    const QByteArray bytes = QFile::encodeName(path);
    address = sockaddr_un{};
    address.sun_family = AF_UNIX;
    if (bytes.isEmpty() || size_t(bytes.size()) >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, bytes.constData(), size_t(bytes.size()));
    return true;
}

// Waits until fd is ready for events or the deadline passes; false when it passed.
bool wait_for(int fd, short events, const QDeadlineTimer& deadline) {
    pollfd entry{fd, events, 0};
    for (;;) {
        const int ready = ::poll(&entry, 1, int(deadline.remainingTime()));
        if (ready > 0)
            return true;
        if (ready == 0 || errno != EINTR)
            return false;
    }
}

// One later start's connection: its line is read as it comes, answered, and the connection
// closed.
class Connection : public QObject {
public:
    Connection(int fd, SingleInstance& instance)
        : QObject(&instance), fd_(fd), instance_(instance),
          notifier_(new QSocketNotifier(fd, QSocketNotifier::Read, this)) {
        connect(notifier_, &QSocketNotifier::activated, this, [this] { read(); });
    }
    ~Connection() override {
        delete notifier_;
        ::close(fd_);
    }

private:
    void read() {
        char bytes[longest_line];
        const ssize_t count = ::recv(fd_, bytes, sizeof bytes, 0);
        if (count < 0 && (errno == EAGAIN || errno == EINTR))
            return;
        if (count > 0)
            line_.append(bytes, count);
        const qsizetype end = line_.indexOf('\n');
        if (end < 0 && count > 0 && line_.size() <= longest_line)
            return; // the rest of the line is still to come
        notifier_->setEnabled(false);
        if (end >= 0) {
            const QByteArray reply = instance_.answer(line_.left(end + 1));
            if (!reply.isEmpty())
                ::send(fd_, reply.constData(), size_t(reply.size()), MSG_NOSIGNAL);
        }
        deleteLater(); // closes the connection
    }

    int fd_;
    SingleInstance& instance_;
    QSocketNotifier* notifier_;
    QByteArray line_;
};

} // namespace

struct SingleInstance::Server {
    int fd = -1;
    std::unique_ptr<QSocketNotifier> notifier;
    ~Server() {
        notifier.reset();
        if (fd >= 0)
            ::close(fd);
    }
};

SingleInstance::SingleInstance(QString name, QObject* parent)
    : QObject(parent), name_(std::move(name)), server_(std::make_unique<Server>()) {}

SingleInstance::~SingleInstance() = default;

SingleInstance::Claim SingleInstance::claim() {
    const QString path = socket_path(name_);
    const StartLock lock(path + QStringLiteral(".lock"), 5000);

    if (ask_running())
        return Claim::AlreadyRunning;
    const auto failed = [this](const char* step) {
        error_text_ = QStringLiteral("%1: %2").arg(QLatin1String(step),
                                                   QString::fromLocal8Bit(std::strerror(errno)));
        if (server_->fd >= 0)
            ::close(server_->fd);
        server_->fd = -1;
        return Claim::Failed;
    };
    sockaddr_un address;
    if (!socket_address(path, address)) {
        error_text_ = QStringLiteral("the socket's name is too long");
        return Claim::Failed;
    }
    server_->fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (server_->fd < 0)
        return failed("socket");
    // Nobody answered: what is left under the name is a crashed program's socket.
    ::unlink(address.sun_path);
    // Only this user may connect: the socket is made without rights for anyone else.
    const mode_t previous_mask = ::umask(077);
    const int bound =
        ::bind(server_->fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    ::umask(previous_mask);
    if (bound != 0)
        return failed("bind");
    if (::listen(server_->fd, 8) != 0)
        return failed("listen");
    server_->notifier = std::make_unique<QSocketNotifier>(server_->fd, QSocketNotifier::Read);
    connect(server_->notifier.get(), &QSocketNotifier::activated, this, [this] {
        for (;;) {
            const int client =
                ::accept4(server_->fd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
            if (client < 0)
                return;
            new Connection(client, *this);
        }
    });
    return Claim::First;
}

bool SingleInstance::ask_running() {
    sockaddr_un address;
    if (!socket_address(socket_path(name_), address))
        return false;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return false;
    const auto done = [fd](bool answered) {
        ::close(fd);
        return answered;
    };
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        if (errno != EINPROGRESS && errno != EAGAIN)
            return done(false); // no socket, or nobody listening on it
        int error = 0;
        socklen_t size = sizeof error;
        if (!wait_for(fd, POLLOUT, QDeadlineTimer(connect_wait_ms)) ||
            ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0 || error != 0)
            return done(false);
    }
    ::send(fd, activate_request.constData(), size_t(activate_request.size()), MSG_NOSIGNAL);
    // A program that takes the connection but does not answer still runs; this start ends all
    // the same.
    const QDeadlineTimer deadline(answer_wait_ms);
    QByteArray line;
    while (!line.contains('\n') && line.size() <= longest_line && wait_for(fd, POLLIN, deadline)) {
        char bytes[longest_line];
        const ssize_t count = ::recv(fd, bytes, sizeof bytes, 0);
        if (count == 0 || (count < 0 && errno != EAGAIN && errno != EINTR))
            break;
        if (count > 0)
            line.append(bytes, count);
    }
    read_answer(line.left(line.indexOf('\n') + 1), running_window_shown_, running_pid_);
    return done(true);
}

#else

struct SingleInstance::Server {
    QLocalServer server;
};

SingleInstance::SingleInstance(QString name, QObject* parent)
    : QObject(parent), name_(std::move(name)), server_(std::make_unique<Server>()) {
    server_->server.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&server_->server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_->server.nextPendingConnection()) {
            socket->setParent(this);
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            const auto serve = [this, socket] {
                if (!socket->canReadLine()) {
                    if (socket->bytesAvailable() > longest_line)
                        socket->abort();
                    return;
                }
                const QByteArray reply = answer(socket->readLine(longest_line));
                if (!reply.isEmpty()) {
                    socket->write(reply);
                    socket->flush();
                }
                socket->disconnectFromServer();
            };
            connect(socket, &QLocalSocket::readyRead, this, serve);
            if (socket->bytesAvailable() > 0)
                serve();
        }
    });
}

SingleInstance::~SingleInstance() = default;

SingleInstance::Claim SingleInstance::claim() {
    const StartLock lock(socket_path(name_) + QStringLiteral(".lock"), 5000);
    if (ask_running())
        return Claim::AlreadyRunning;
    // Nobody answered: what is left under the name is a crashed program's socket.
    QLocalServer::removeServer(name_);
    if (!server_->server.listen(name_)) {
        error_text_ = server_->server.errorString();
        return Claim::Failed;
    }
    return Claim::First;
}

bool SingleInstance::ask_running() {
    QLocalSocket socket;
    socket.connectToServer(name_);
    if (!socket.waitForConnected(connect_wait_ms))
        return false;
    socket.write(activate_request);
    socket.flush();
    // A program that takes the connection but does not answer still runs; this start ends all
    // the same.
    const QDeadlineTimer deadline(answer_wait_ms);
    while (!socket.canReadLine() && !deadline.hasExpired() &&
           socket.state() == QLocalSocket::ConnectedState)
        socket.waitForReadyRead(static_cast<int>(deadline.remainingTime()));
    read_answer(socket.readLine(longest_line), running_window_shown_, running_pid_);
    return true;
}

#endif

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

QByteArray SingleInstance::answer(const QByteArray& line) {
    if (line != activate_request)
        return {};
    const bool shown = on_activate && on_activate();
    return (shown ? "shown " : "hidden ") + QByteArray::number(QCoreApplication::applicationPid()) +
           '\n';
}
