#pragma once

#include <QByteArray>
#include <QString>
#include <QTcpServer>
#include <QTcpSocket>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

// A loopback server for client tests: it listens on 127.0.0.1 on a port the kernel chooses and
// plays a byte-exact script on each connection it accepts (connection n plays script n; the
// last script serves every further connection), recording what the client sent. It runs on a
// thread of its own, so the client under test waits in the test's event loop.
class ScriptedServer {
public:
    struct Step {
        enum class Kind { read_request, read_bytes, send, delay, hold, close, reset };
        Kind kind;
        QByteArray data;
        int chunk = 0;    // send: bytes per write (0: all at once)
        int delay_ms = 0; // send: pause after each write; delay: the pause
    };
    using Script = std::vector<Step>;

    // Reads the request head up to its empty line, and a body as long as its Content-Length.
    static Step read_request() { return {Step::Kind::read_request, {}}; }
    // Reads until at least count bytes of the request have arrived.
    static Step read_bytes(int count) { return {Step::Kind::read_bytes, {}, count}; }
    static Step send(const QByteArray& bytes) { return {Step::Kind::send, bytes}; }
    // Writes bytes in pieces of chunk bytes with a pause after each.
    static Step send_chunked(const QByteArray& bytes, int chunk, int delay_ms) {
        return {Step::Kind::send, bytes, chunk, delay_ms};
    }
    static Step delay(int ms) { return {Step::Kind::delay, {}, 0, ms}; }
    // Keeps the connection open and silent until the server is destroyed.
    static Step hold() { return {Step::Kind::hold, {}}; }
    // Closes the connection (also done after the last step).
    static Step close() { return {Step::Kind::close, {}}; }
    // Breaks the connection off with a reset instead of a close.
    static Step reset() { return {Step::Kind::reset, {}}; }

    // The usual exchange: read the request, send the reply, close.
    static Script reply(const QByteArray& bytes) { return {read_request(), send(bytes)}; }

    explicit ScriptedServer(std::vector<Script> scripts);
    ~ScriptedServer();
    ScriptedServer(const ScriptedServer&) = delete;
    ScriptedServer& operator=(const ScriptedServer&) = delete;

    quint16 port() const { return port_; }
    // "http://127.0.0.1:" + port + path.
    QString url(const QString& path = QStringLiteral("/")) const;
    // The bytes each connection received, in the order of the connections.
    std::vector<QByteArray> requests() const;
    int connections() const;
    // Waits up to timeout_ms until connection index has received at least count bytes.
    bool wait_for_bytes(std::size_t index, qsizetype count, int timeout_ms = 5000) const;

private:
    void run();
    void play(QTcpSocket& socket, const Script& script, std::size_t index);
    bool pause(int ms);

    std::vector<Script> scripts_;
    quint16 port_ = 0;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    mutable std::condition_variable wake_;
    std::vector<QByteArray> requests_;
    std::thread thread_;
};

// A port whose connects never finish: the listening queue is full and nobody accepts, so the
// kernel drops further connection attempts and the client's connect waits.
class UnansweredListener {
public:
    UnansweredListener();
    quint16 port() const { return server_.serverPort(); }

private:
    QTcpServer server_;
    QTcpSocket filler_;
};
