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
    // Milliseconds for lookup, connect and each silence of a reply; a transfer may take four
    // times as long from connect to its last byte. 0: no limits.
    int TimeOut = 0;
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
    static constexpr qint64 large_chunk_size = 1 << 20; // into a body of announced length
    qsizetype max_line_length = 16384;                  // bytes of a line before its terminator
    qint64 max_capture_in_memory = 64LL << 20;          // bytes collected by CaptureString
    qint64 max_capture_to_file = 1LL << 30;             // bytes written by CaptureFile

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
    // Writes into a new file everything up to the peer's close (length -1) or length bytes;
    // a capture that fails leaves the file empty.
    void CaptureFile(const QString& file_name, qint64 length = -1);
    // Collects into text everything up to the peer's close (count -1) or at least count bytes;
    // exact reads no byte past count, into one buffer of that size.
    void CaptureString(QByteArray& text, int count, bool exact = false);

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
    void on_lookup_done(const HostAnswer& answer);
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
    // While a transfer waits: the time-out fires after TimeOut of silence (silence true) or
    // once the exchange has run four times TimeOut since its connect began.
    void watch_transfer(bool silence);
    void end_watch();
    qint64 watch_remaining() const;
    [[noreturn]] void raise_time_out();
    // Raises the error table's text when a receive error broke the connection.
    void check_receive_error();
    void notify_waiters();
    QString error_text(int code);
    [[noreturn]] void raise_socket_error(int code);

    platform_socket::Handle socket_ = platform_socket::invalid_handle;
    bool library_ = false;
    QSocketNotifier* read_notifier_ = nullptr;
    QSocketNotifier* write_notifier_ = nullptr;
    TThreadTimer* timer_ = nullptr;
    PlatformHostLookup platform_lookup_;
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

    enum class Watch { none, overall, silence };
    Watch watch_ = Watch::none;
    QElapsedTimer last_arrival_;
    QElapsedTimer exchange_clock_; // from the start of the connect
    bool overall_expired_ = false;
    int receive_error_ = 0;       // the error that broke the connection while receiving
    qint64 file_sink_limit_ = -1; // bytes CaptureFile takes, -1: up to the close
    qint64 text_sink_limit_ = -1; // bytes CaptureString takes, -1: up to the close

    std::vector<WaitPass*> passes_;
};
