#include "support/scripted_server.h"

#include <QHostAddress>
#include <chrono>
#include <future>
#include <sys/socket.h>

ScriptedServer::ScriptedServer(std::vector<Script> scripts) : scripts_(std::move(scripts)) {
    std::promise<quint16> listening;
    std::future<quint16> port = listening.get_future();
    thread_ = std::thread([this, &listening] {
        QTcpServer server;
        if (!server.listen(QHostAddress::LocalHost, 0)) {
            listening.set_value(0);
            return;
        }
        listening.set_value(server.serverPort());
        while (!stop_) {
            if (!server.waitForNewConnection(20))
                continue;
            QTcpSocket* socket = server.nextPendingConnection();
            std::size_t index = 0;
            {
                std::lock_guard lock(mutex_);
                index = requests_.size();
                requests_.emplace_back();
            }
            if (!scripts_.empty())
                play(*socket, scripts_[std::min(index, scripts_.size() - 1)], index);
            socket->disconnectFromHost();
            if (socket->state() != QAbstractSocket::UnconnectedState)
                socket->waitForDisconnected(1000);
            delete socket;
        }
    });
    port_ = port.get();
}

ScriptedServer::~ScriptedServer() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

QString ScriptedServer::url(const QString& path) const {
    return QStringLiteral("http://127.0.0.1:") + QString::number(port_) + path;
}

std::vector<QByteArray> ScriptedServer::requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

int ScriptedServer::connections() const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(requests_.size());
}

bool ScriptedServer::wait_for_bytes(std::size_t index, qsizetype count, int timeout_ms) const {
    std::unique_lock lock(mutex_);
    return wake_.wait_for(lock, std::chrono::milliseconds(timeout_ms), [&] {
        return index < requests_.size() && requests_[index].size() >= count;
    });
}

bool ScriptedServer::pause(int ms) {
    std::unique_lock lock(mutex_);
    return !wake_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return stop_.load(); });
}

namespace {

// Length of a complete request in received (head and Content-Length body), 0 while
// incomplete.
qsizetype complete_request(const QByteArray& received) {
    const qsizetype end = received.indexOf("\r\n\r\n");
    if (end < 0)
        return 0;
    const qsizetype head = end + 4;
    qsizetype body = 0;
    const QByteArray lower = received.left(head).toLower();
    if (const qsizetype field = lower.indexOf("\r\ncontent-length:"); field >= 0) {
        const qsizetype eol = lower.indexOf("\r\n", field + 2);
        body = lower.mid(field + 17, eol - field - 17).trimmed().toLongLong();
    }
    return received.size() >= head + body ? head + body : 0;
}

} // namespace

void ScriptedServer::play(QTcpSocket& socket, const Script& script, std::size_t index) {
    const auto record = [this, index](const QByteArray& bytes) {
        {
            std::lock_guard lock(mutex_);
            requests_[index] += bytes;
        }
        wake_.notify_all();
    };
    const auto write_all = [&socket](const QByteArray& bytes) {
        socket.write(bytes);
        while (socket.bytesToWrite() > 0 && socket.state() == QAbstractSocket::ConnectedState)
            socket.waitForBytesWritten(1000);
    };
    // Waiting for written bytes also reads: take what is buffered before waiting for more.
    const auto take = [&socket, &record] {
        if (socket.bytesAvailable() == 0 && !socket.waitForReadyRead(20))
            return QByteArray();
        const QByteArray bytes = socket.readAll();
        record(bytes);
        return bytes;
    };
    QByteArray received;
    for (const Step& step : script) {
        if (stop_)
            return;
        switch (step.kind) {
        case Step::Kind::read_request: {
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
            while (!stop_ && complete_request(received) == 0 &&
                   std::chrono::steady_clock::now() < deadline &&
                   socket.state() == QAbstractSocket::ConnectedState) {
                received += take();
            }
            received.remove(0, complete_request(received));
            break;
        }
        case Step::Kind::read_bytes: {
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
            while (!stop_ && received.size() < step.chunk &&
                   std::chrono::steady_clock::now() < deadline &&
                   socket.state() == QAbstractSocket::ConnectedState) {
                received += take();
            }
            break;
        }
        case Step::Kind::send:
            if (step.chunk <= 0) {
                write_all(step.data);
                if (step.delay_ms > 0 && !pause(step.delay_ms))
                    return;
                break;
            }
            for (qsizetype at = 0; at < step.data.size(); at += step.chunk) {
                write_all(step.data.mid(at, step.chunk));
                if (step.delay_ms > 0 && !pause(step.delay_ms))
                    return;
            }
            break;
        case Step::Kind::delay:
            if (!pause(step.delay_ms))
                return;
            break;
        case Step::Kind::hold:
            while (!stop_ && socket.state() == QAbstractSocket::ConnectedState)
                take();
            return;
        case Step::Kind::close:
            return;
        case Step::Kind::reset: {
            // No lingering: the close sends a reset.
            const linger off{1, 0};
            ::setsockopt(static_cast<int>(socket.socketDescriptor()), SOL_SOCKET, SO_LINGER, &off,
                         sizeof off);
            socket.abort();
            return;
        }
        }
    }
}

UnansweredListener::UnansweredListener() {
    server_.setListenBacklogSize(0);
    server_.listen(QHostAddress::LocalHost, 0);
    // Nobody takes connections off the queue, not even this thread's event loop.
    server_.pauseAccepting();
    filler_.connectToHost(QHostAddress::LocalHost, server_.serverPort());
    filler_.waitForConnected(2000);
}
