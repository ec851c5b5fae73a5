#pragma once

#include "net/host_lookup.h"
#include "net/platform_socket.h"
#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

class QEventLoop;
class QFile;
class QSocketNotifier;
class TThreadTimer;

// One TCP client socket turned into blocking calls for the user-interface thread. A call that
// has to wait runs the event loop until an event arrives and then looks at its condition
// again, so paint, timers, menu commands and this component's own events run inside it; a
// command can end the wait with Cancel (or Abort). Progress goes out through the events and
// through Status, filtered by ReportLevel. Must not be destroyed inside one of its own calls.
class TPowersock : public QObject {
    Q_OBJECT
public:
    explicit TPowersock(QObject* parent);
    ~TPowersock() override;

    // Published properties.
    QString Host;
    int Port = 0;
    int TimeOut = 0; // milliseconds for lookup, connect and each silence of a reply; 0: none
    int ReportLevel = 0;
    QString Proxy;
    int ProxyPort = 0;

    // Run-time state.
    QString Status;
    qint16 ReplyCode = 0;
    qint32 TotalBytes = 0;
    qint32 ReceivedBytes = 0;
    qint32 SentBytes = 0;

    // What a peer may make the client hold before the call ends with an error.
    static constexpr qint64 chunk_size = 16383;
    qsizetype max_line_length = 16384;         // bytes of a line before its terminator
    qint64 max_capture_in_memory = 64LL << 20; // bytes collected by CaptureString
    qint64 max_capture_to_file = 1LL << 30;    // bytes written by CaptureFile

    // Waits for a connection on a socket made listening by listen_on; returns the new socket.
    virtual platform_socket::Handle Accept();
    // Resolves Host (or Proxy) and connects to Port (or ProxyPort).
    virtual void Connect();
    virtual void Disconnect();
    // Sends command as a line and returns the reply line; ReplyCode takes its leading digits.
    virtual QByteArray Transaction(const QByteArray& command);
    // Ends the running operation; does nothing here (the HTTP client cancels).
    virtual void Abort();

    void Cancel();
    void Write(const QByteArray& text);
    void Writeln(const QByteArray& text);
    // Sends length bytes of data (length 0: up to the first NUL, at most 65535 bytes).
    void SendBuffer(const char* data, qsizetype length);
    QByteArray ReadLn();
    void SendFile(const QString& file_name);
    void CaptureFile(const QString& file_name);
    // Collects into text everything up to the peer's close (count -1) or at least count bytes.
    void CaptureString(QByteArray& text, int count);

    bool connected() const { return connected_; }
    bool canceled() const { return canceled_; }
    bool timed_out() const { return timed_out_; }
    int last_error() const { return last_error_; }
    // The socket library's figures, six lines.
    const QStringList& info_list() const { return info_; }
    // Makes the socket listen on 127.0.0.1:port (0: the kernel chooses) for Accept.
    quint16 listen_on(quint16 port);
    // The name service used by Connect (not owned; nullptr restores the platform's).
    void set_host_lookup(HostLookup* lookup);

Q_SIGNALS:
    void OnConnect();
    void OnDisconnect();
    void OnInvalidHost(bool& Handled);
    void OnHostResolved();
    void OnStatus(const QString& Status);
    void OnConnectionFailed();
    void OnPacketRecvd();
    void OnPacketSent();

protected:
    // Reports text through Status and OnStatus when ReportLevel is at least level.
    void status(const QString& text, int level);
    // Ends a pending host lookup wait (the HTTP client's Abort).
    void end_lookup_wait();
    // Runs the event loop until ready() holds, or the application quits (then like a cancel).
    void wait_for(const std::function<bool()>& ready);

private:
    struct WaitPass;

    void resolve();
    QString lookup_name() const;
    void on_lookup_done(const QHostInfo& info);
    void on_readable();
    void on_writable();
    void write_from_stream();
    qint64 receive_chunk();
    void close_notification();
    void close_socket();
    void make_socket(bool reset_on_close);
    void recycle_socket();
    void update_notifiers();
    void end_notification();
    bool send_pending() const;
    bool has_line();
    bool line_overflow() const;
    void timer_on();
    void timer_off();
    void on_time_out();
    void watch_silence(bool on);
    void notify_waiters();
    QString error_text(int code);
    [[noreturn]] void raise_socket_error(int code);

    platform_socket::Handle socket_ = platform_socket::invalid_handle;
    bool library_ = false;
    QSocketNotifier* read_notifier_ = nullptr;
    QSocketNotifier* write_notifier_ = nullptr;
    TThreadTimer* timer_ = nullptr;
    QtHostLookup platform_lookup_;
    HostLookup* lookup_ = &platform_lookup_;
    int lookup_id_ = -1;
    bool lookup_ok_ = false;
    quint32 lookup_address_ = 0;
    quint32 peer_address_ = 0;
    int last_error_ = 0;
    int send_error_ = 0;
    QStringList info_;

    bool connected_ = false;
    bool connecting_ = false;
    bool resolving_ = false;
    bool listening_ = false;
    bool accept_ready_ = false;
    bool canceled_ = false;
    bool timed_out_ = false;
    bool no_error_ = true;
    bool lookup_done_ = false;
    bool send_done_ = false;
    bool busy_ = false;
    bool read_deferred_ = false;
    bool write_deferred_ = false;
    bool read_off_ = false;
    bool capturing_ = false;
    bool file_send_mode_ = false;
    bool destroying_ = false;
    bool capture_overflow_ = false;
    bool capture_write_failed_ = false;

    QByteArray receive_buffer_;
    qsizetype line_scan_ = 0;
    QByteArray* text_sink_ = nullptr;
    QFile* file_sink_ = nullptr;
    qint64 file_sink_bytes_ = 0;
    QByteArray send_buffer_;
    qsizetype send_position_ = 0;
    QFile* send_file_ = nullptr;

    bool silence_watch_ = false;
    QElapsedTimer last_arrival_;

    std::vector<WaitPass*> passes_;
};
