#include "net/powersock.h"

#include "net/http_rules.h"
#include "net/sock_errors.h"
#include "net/thread_timer.h"
#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QSocketNotifier>
#include <algorithm>
#include <cstring>
#include <limits>

namespace {

constexpr int max_host_name = 127;
// Bytes kept unread in the receive buffer while nothing consumes them; reading resumes once
// lines are taken.
constexpr qsizetype receive_buffer_cap = 256 * 1024;

const QString lookup_timed_out = QStringLiteral("Host Lookup Timed Out");
const QString lookup_canceled = QStringLiteral("Host Lookup Canceled");

qint32 add_count(qint32 count, qint64 more) {
    // Counters wrap like the 32-bit figures they are instead of overflowing.
    return static_cast<qint32>(static_cast<quint32>(count) + static_cast<quint32>(more));
}

} // namespace

// One pass of a waiting call: its event loop and the condition that ends it.
struct TPowersock::WaitPass {
    QEventLoop* loop;
    const std::function<bool()>* ready;
    bool woken = false;
};

TPowersock::TPowersock(QObject* parent) : QObject(parent) {
    status(QStringLiteral("Create"), 8);
    timer_ = new TThreadTimer(this);
    timer_->set_enabled(false);
    timer_->set_on_timer([this] { on_time_out(); });
    read_notifier_ = new QSocketNotifier(QSocketNotifier::Read, this);
    write_notifier_ = new QSocketNotifier(QSocketNotifier::Write, this);
    connect(read_notifier_, &QSocketNotifier::activated, this, [this] { on_readable(); });
    connect(write_notifier_, &QSocketNotifier::activated, this, [this] { on_writable(); });

    status(QStringLiteral("Initializing Winsock"), 8);
    library_ = platform_socket::library_acquire();
    if (library_) {
        info_ = platform_socket::library_info();
        make_socket(true);
    }
    if (socket_ == platform_socket::invalid_handle) {
        if (library_)
            platform_socket::library_release();
        library_ = false;
        throw ESockError(QStringLiteral("Initializaton of windows sockets failed"));
    }
}

TPowersock::~TPowersock() {
    // The owner is being torn down: no event may reach its handlers any more.
    blockSignals(true);
    status(QStringLiteral("Destroy"), 8);
    Abort();
    Cancel();
    destroying_ = true;
    try {
        close_socket();
    } catch (...) {
    }
    if (library_)
        platform_socket::library_release();
}

void TPowersock::set_host_lookup(HostLookup* lookup) {
    lookup_ = lookup ? lookup : &platform_lookup_;
}

void TPowersock::status(const QString& text, int level) {
    if (ReportLevel >= level) {
        Status = text;
        Q_EMIT OnStatus(text);
    }
}

QString TPowersock::error_text(int code) {
    status(QStringLiteral("Looking Up Error Message"), 8);
    return socket_error_text(code);
}

void TPowersock::raise_socket_error(int code) {
    status(QStringLiteral("Checking Error In Error Manager"), 16);
    last_error_ = code;
    throw ESockError(error_text(code));
}

// ---- sockets and notifications ----

void TPowersock::make_socket(bool reset_on_close) {
    socket_ = platform_socket::open_stream(reset_on_close);
    read_notifier_->setEnabled(false);
    write_notifier_->setEnabled(false);
    read_notifier_->setSocket(socket_);
    write_notifier_->setSocket(socket_);
}

void TPowersock::recycle_socket() {
    // A socket whose connect did not finish cleanly is not used again.
    read_notifier_->setEnabled(false);
    write_notifier_->setEnabled(false);
    platform_socket::close(socket_);
    socket_ = platform_socket::invalid_handle;
    connected_ = false;
    connecting_ = false;
    make_socket(false);
}

bool TPowersock::send_pending() const {
    if (canceled_)
        return false;
    if (file_send_mode_)
        return send_file_ && SentBytes < TotalBytes;
    return send_position_ < send_buffer_.size();
}

void TPowersock::update_notifiers() {
    const bool have_socket = socket_ != platform_socket::invalid_handle;
    const bool buffer_full =
        !text_sink_ && !file_sink_ && receive_buffer_.size() >= receive_buffer_cap;
    const bool read = have_socket && !read_deferred_ && !read_off_ && !buffer_full &&
                      ((connected_ && !listening_) || (listening_ && !accept_ready_));
    const bool write =
        have_socket && !write_deferred_ && (connecting_ || (connected_ && send_pending()));
    if (read_notifier_->isEnabled() != read)
        read_notifier_->setEnabled(read);
    if (write_notifier_->isEnabled() != write)
        write_notifier_->setEnabled(write);
}

// Ends the handling of a read or write notification: the busy guard is released, the
// notifiers follow the new state and the waiting call looks at its condition again.
void TPowersock::end_notification() {
    busy_ = false;
    read_deferred_ = false;
    write_deferred_ = false;
    update_notifiers();
    notify_waiters();
}

void TPowersock::on_readable() {
    if (listening_) {
        connected_ = true;
        accept_ready_ = true;
        update_notifiers();
        notify_waiters();
        return;
    }
    if (canceled_) {
        read_off_ = true;
        update_notifiers();
    }
    if (busy_) {
        // A handler of ours is running an event loop: read when it has finished.
        read_deferred_ = true;
        update_notifiers();
        return;
    }
    busy_ = true;
    try {
        status(QStringLiteral("ReadToStream"), 8);
        const qint64 count = receive_chunk();
        if (count > 0) {
            last_arrival_.restart();
            if (capturing_) {
                ReceivedBytes = add_count(ReceivedBytes, count);
                Q_EMIT OnPacketRecvd();
            }
            if (capture_overflow_ || capture_write_failed_)
                read_off_ = true;
        } else if (count == 0) {
            close_notification();
        } else if (-count != sock_code::would_block) {
            // The connection broke: nothing more will arrive on it.
            last_error_ = static_cast<int>(-count);
            receive_error_ = last_error_;
            error_text(last_error_);
            no_error_ = false;
            close_notification();
        }
    } catch (...) {
        // Nothing raised while handling a notification may cross the event loop.
    }
    end_notification();
}

qint64 TPowersock::receive_chunk() {
    if (file_sink_) {
        char chunk[chunk_size];
        // A file of announced length takes no byte past its end.
        const qint64 wanted = file_sink_limit_ < 0
                                  ? chunk_size
                                  : std::min(chunk_size, file_sink_limit_ - file_sink_bytes_);
        if (wanted <= 0)
            return -sock_code::would_block;
        const qint64 count = platform_socket::receive_some(socket_, chunk, wanted);
        if (count > 0) {
            file_sink_bytes_ += count;
            if (file_sink_bytes_ > max_capture_to_file)
                capture_overflow_ = true;
            else if (file_sink_->write(chunk, count) != count)
                capture_write_failed_ = true;
        }
        return count;
    }
    QByteArray& target = text_sink_ ? *text_sink_ : receive_buffer_;
    const qsizetype old_size = target.size();
    // A text of known length takes no byte past its end, so its one buffer never grows; it is
    // read in passes of whatever the socket holds (up to large_chunk_size), not 16383 bytes.
    const qint64 wanted = text_sink_ && text_sink_limit_ >= 0
                              ? std::min<qint64>(large_chunk_size, text_sink_limit_ - old_size)
                              : chunk_size;
    if (wanted <= 0)
        return -sock_code::would_block;
    if (target.capacity() - old_size < wanted)
        target.reserve(std::max(old_size + chunk_size, target.capacity() * 2));
    target.resize(old_size + wanted);
    const qint64 count = platform_socket::receive_some(socket_, target.data() + old_size, wanted);
    target.resize(old_size + std::max<qint64>(count, 0));
    if (text_sink_ && target.size() > max_capture_in_memory)
        capture_overflow_ = true;
    return count;
}

void TPowersock::on_writable() {
    if (connecting_) {
        connecting_ = false;
        const int error = platform_socket::connect_result(socket_);
        if (error == 0) {
            connected_ = true;
            update_notifiers();
            try {
                Q_EMIT OnConnect();
            } catch (...) {
            }
        } else {
            last_error_ = error;
            no_error_ = false;
            update_notifiers();
        }
        notify_waiters();
        return;
    }
    write_from_stream();
}

void TPowersock::write_from_stream() {
    if (busy_) {
        write_deferred_ = true;
        update_notifiers();
        return;
    }
    busy_ = true;
    try {
        status(QStringLiteral("WriteFromStream"), 8);
        if (send_pending()) {
            qint64 sent = 0;
            if (file_send_mode_) {
                char chunk[chunk_size];
                send_file_->seek(SentBytes);
                const qint64 length = send_file_->read(chunk, chunk_size);
                sent = length > 0 ? platform_socket::send_some(socket_, chunk, length) : 0;
                // A file that ended early has nothing more to give.
                if (length <= 0 || (sent >= 0 && SentBytes + sent >= TotalBytes))
                    send_done_ = true;
            } else {
                const qint64 length =
                    std::min<qint64>(chunk_size, send_buffer_.size() - send_position_);
                sent = platform_socket::send_some(
                    socket_, send_buffer_.constData() + send_position_, length);
                if (sent > 0)
                    send_position_ += sent;
                if (send_position_ >= send_buffer_.size()) {
                    send_buffer_.clear();
                    send_position_ = 0;
                    send_done_ = true;
                }
            }
            if (sent > 0) {
                SentBytes = add_count(SentBytes, sent);
                if (capturing_)
                    Q_EMIT OnPacketSent();
            } else if (sent < 0 && -sent != sock_code::would_block) {
                // The peer is gone: the rest can never be sent.
                last_error_ = static_cast<int>(-sent);
                send_error_ = last_error_;
                no_error_ = false;
                close_notification();
            }
        }
    } catch (...) {
    }
    end_notification();
}

void TPowersock::close_notification() {
    connected_ = false;
    close_socket();
}

void TPowersock::close_socket() {
    status(QStringLiteral("Request Close Socket"), 4);
    connected_ = false;
    connecting_ = false;
    listening_ = false;
    accept_ready_ = false;
    if (socket_ != platform_socket::invalid_handle) {
        read_notifier_->setEnabled(false);
        write_notifier_->setEnabled(false);
        const int error = platform_socket::close(socket_);
        socket_ = platform_socket::invalid_handle;
        read_notifier_->setSocket(socket_);
        write_notifier_->setSocket(socket_);
        if (error != 0 && error != sock_code::would_block) {
            notify_waiters();
            raise_socket_error(error);
        }
        Q_EMIT OnDisconnect();
        if (!destroying_)
            make_socket(false);
    }
    notify_waiters();
}

// ---- waiting ----

void TPowersock::notify_waiters() {
    for (WaitPass* pass : passes_) {
        if (!pass->woken && (*pass->ready)()) {
            pass->woken = true;
            pass->loop->exit(0);
        }
    }
}

void TPowersock::wait_for(const std::function<bool()>& ready) {
    while (!ready()) {
        bool woken = false;
        if (QCoreApplication::instance() && !QCoreApplication::closingDown()) {
            QEventLoop loop;
            WaitPass pass{&loop, &ready};
            passes_.push_back(&pass);
            struct Unregister {
                std::vector<WaitPass*>& passes;
                WaitPass* pass;
                ~Unregister() { std::erase(passes, pass); }
            } unregister{passes_, &pass};
            // Blocks until an event arrives; only notify_waiters or the application's exit
            // end the loop.
            loop.exec();
            woken = pass.woken;
        }
        if (!woken) {
            // The application is quitting: end the wait like a cancel so the program can exit.
            Abort();
            if (!canceled_)
                Cancel();
            return;
        }
    }
}

// ---- time-out ----

void TPowersock::timer_on() {
    status(QStringLiteral("Timer On"), 8);
    timed_out_ = false;
    timer_->set_interval(static_cast<unsigned>(std::max(TimeOut, 0)));
    timer_->set_enabled(true);
}

void TPowersock::timer_off() {
    status(QStringLiteral("Timer Off"), 8);
    timer_->set_enabled(false);
}

void TPowersock::watch_transfer(bool silence) {
    if (TimeOut <= 0)
        return;
    watch_ = silence ? Watch::silence : Watch::overall;
    last_arrival_.start();
    timed_out_ = false;
    status(QStringLiteral("Timer On"), 8);
    const qint64 remaining = watch_remaining();
    timer_->set_interval(static_cast<unsigned>(std::max<qint64>(remaining, 1)));
    timer_->set_enabled(true);
}

void TPowersock::end_watch() {
    if (watch_ == Watch::none)
        return;
    watch_ = Watch::none;
    timer_off();
}

qint64 TPowersock::watch_remaining() const {
    qint64 remaining = 4 * static_cast<qint64>(TimeOut) - exchange_clock_.elapsed();
    if (watch_ == Watch::silence)
        remaining = std::min(remaining, TimeOut - last_arrival_.elapsed());
    return remaining;
}

void TPowersock::on_time_out() {
    if (watch_ != Watch::none) {
        // Only a silence longer than TimeOut since the last chunk, or the whole exchange
        // running past its bound, ends a transfer.
        const qint64 remaining = watch_remaining();
        if (remaining > 0) {
            timer_->set_interval(static_cast<unsigned>(remaining));
            return;
        }
        overall_expired_ = exchange_clock_.elapsed() >= 4 * static_cast<qint64>(TimeOut);
    }
    status(QStringLiteral("Timer Triggered"), 8);
    timer_->set_enabled(false);
    timed_out_ = true;
    Abort();
    notify_waiters();
}

void TPowersock::raise_time_out() {
    canceled_ = false; // set by the time-out, not by a command
    if (overall_expired_)
        throw ESockError(QStringLiteral("Transfer took too long"));
    throw ESockError(QStringLiteral("Connection Timed Out"));
}

void TPowersock::check_receive_error() {
    if (receive_error_ != 0)
        throw ESockError(socket_error_text(receive_error_));
}

// ---- operations ----

void TPowersock::Abort() {}

void TPowersock::Cancel() {
    status(QStringLiteral("Canceling"), 8);
    canceled_ = true;
    update_notifiers();
    notify_waiters();
}

void TPowersock::end_lookup_wait() {
    lookup_done_ = true;
    notify_waiters();
}

QString TPowersock::lookup_name() const {
    return Proxy.isEmpty() ? Host : Proxy;
}

void TPowersock::Connect() {
    status(QStringLiteral("Connecting"), 8);
    // Refused before the flags are touched, so the running request keeps a pending cancel.
    if (connected_ || connecting_ || resolving_ || listening_)
        throw ESockError(QStringLiteral("Already connected"));
    canceled_ = false;
    timed_out_ = false;
    if (socket_ == platform_socket::invalid_handle) {
        make_socket(false);
        if (socket_ == platform_socket::invalid_handle)
            throw ESockError(QStringLiteral("Initializaton of windows sockets failed"));
    }
    // Nothing of an earlier, broken-off exchange may reach this one.
    receive_buffer_.clear();
    line_scan_ = 0;
    send_buffer_.clear();
    send_position_ = 0;
    send_error_ = 0;
    receive_error_ = 0;
    overall_expired_ = false;
    read_off_ = false;

    resolving_ = true;
    struct EndResolving {
        bool& flag;
        ~EndResolving() { flag = false; }
    } end_resolving{resolving_};
    const auto try_resolve = [this] {
        try {
            resolve();
        } catch (const ESockError& error) {
            if (error.message() == lookup_timed_out || error.message() == lookup_canceled ||
                lookup_name().size() > max_host_name)
                throw;
        }
    };
    try_resolve();
    if (peer_address_ == 0) {
        bool handled = false;
        Q_EMIT OnInvalidHost(handled);
        if (handled)
            try_resolve();
    }
    if (peer_address_ == 0)
        throw ESockError(QStringLiteral("Null Remote Address"));
    resolving_ = false;

    const int port = Proxy.isEmpty() ? Port : ProxyPort;
    exchange_clock_.start();
    no_error_ = true;
    lookup_done_ = false;
    const int error =
        platform_socket::start_connect(socket_, peer_address_, static_cast<quint16>(port));
    if (error != 0) {
        recycle_socket();
        raise_socket_error(error);
    }
    connecting_ = true;
    update_notifiers();
    timer_on();
    wait_for([this] { return connected_ || timed_out_ || canceled_ || !no_error_; });
    timer_off();
    if (connected_ && !timed_out_ && !canceled_ && no_error_)
        return;
    recycle_socket();
    Q_EMIT OnConnectionFailed();
    if (timed_out_)
        throw ESockError(QStringLiteral("Connection Timed Out"));
    if (canceled_)
        throw ESockError(QStringLiteral("Connection Canceled"));
    throw ESockError(QStringLiteral("Connection Failed"));
}

void TPowersock::resolve() {
    status(QStringLiteral("Resolve Host"), 8);
    const QString name = lookup_name();
    if (name.size() > max_host_name)
        throw ESockError(QStringLiteral("Host name too long"));
    if (const std::optional<quint32> address = parse_dotted_ipv4(name)) {
        peer_address_ = *address;
        return;
    }
    peer_address_ = 0;
    timer_on();
    lookup_done_ = false;
    lookup_ok_ = false;
    lookup_id_ =
        lookup_->start(name, this, [this](const HostAnswer& answer) { on_lookup_done(answer); });
    wait_for([this] { return lookup_done_ || timed_out_ || canceled_; });
    timer_off();
    if (lookup_id_ >= 0) {
        lookup_->abort(lookup_id_);
        lookup_id_ = -1;
    }
    if (timed_out_)
        throw ESockError(lookup_timed_out);
    if (canceled_)
        throw ESockError(lookup_canceled);
    if (!lookup_ok_)
        throw ESockError(QStringLiteral("Host Lookup Failed"));
    peer_address_ = lookup_address_;
    Q_EMIT OnHostResolved();
}

void TPowersock::on_lookup_done(const HostAnswer& answer) {
    if (answer.id != lookup_id_)
        return;
    lookup_id_ = -1;
    lookup_ok_ = false;
    for (const quint32 address : answer.ipv4) {
        if (address != 0) {
            lookup_address_ = address;
            lookup_ok_ = true;
            break;
        }
    }
    if (!lookup_ok_)
        last_error_ = sock_code::host_not_found;
    lookup_done_ = true;
    notify_waiters();
}

void TPowersock::Disconnect() {
    status(QStringLiteral("Disconnecting"), 8);
    close_socket();
}

void TPowersock::Write(const QByteArray& text) {
    status(QStringLiteral("Write"), 8);
    QByteArray buffer = text.left(16384);
    if (const qsizetype nul = buffer.indexOf('\0'); nul >= 0)
        buffer.truncate(nul);
    if (!buffer.isEmpty())
        SendBuffer(buffer.constData(), buffer.size());
}

void TPowersock::Writeln(const QByteArray& text) {
    status(QStringLiteral("Writeln"), 8);
    Write(text + "\r\n");
}

void TPowersock::SendBuffer(const char* data, qsizetype length) {
    status(QStringLiteral("Sending Buffer"), 4);
    if (canceled_)
        return;
    if (length == 0)
        length = static_cast<qsizetype>(strnlen(data, 65535));
    if (length <= 0)
        return;
    send_buffer_.append(data, length);
    send_done_ = false;
    update_notifiers();
    const auto ready = [this] { return send_done_ || canceled_ || timed_out_ || !connected_; };
    if (!ready()) {
        watch_transfer(false);
        wait_for(ready);
        end_watch();
    }
    if (timed_out_)
        raise_time_out();
    if (canceled_) {
        canceled_ = false;
        throw EAbortError(QStringLiteral("Socket send aborted"));
    }
    if (!send_done_) {
        if (send_error_ != 0)
            throw ESockError(socket_error_text(send_error_));
        check_receive_error();
        throw ESockError(QStringLiteral("Connection closed by host"));
    }
}

void TPowersock::SendFile(const QString& file_name) {
    status(QStringLiteral("SendFile"), 8);
    QFile file(file_name);
    if (!file.open(QIODevice::ReadOnly))
        throw AppError(QStringLiteral("Cannot open file ") + file_name);
    send_file_ = &file;
    capturing_ = true;
    file_send_mode_ = true;
    SentBytes = 0;
    TotalBytes =
        static_cast<qint32>(std::min<qint64>(file.size(), std::numeric_limits<qint32>::max()));
    send_done_ = false;
    update_notifiers();
    const auto ready = [this] {
        return send_done_ || canceled_ || timed_out_ || TotalBytes <= 0 || !connected_;
    };
    if (!ready()) {
        watch_transfer(false);
        wait_for(ready);
        end_watch();
    }
    send_file_ = nullptr;
    capturing_ = false;
    file_send_mode_ = false;
    update_notifiers();
    if (timed_out_)
        raise_time_out();
    if (canceled_) {
        canceled_ = false;
        throw EAbortError(QStringLiteral("Socket send aborted"));
    }
    if (!send_done_ && TotalBytes > 0) {
        if (send_error_ != 0)
            throw ESockError(socket_error_text(send_error_));
        check_receive_error();
        throw ESockError(QStringLiteral("Connection closed by host"));
    }
}

bool TPowersock::has_line() {
    const qsizetype found = receive_buffer_.indexOf('\n', line_scan_);
    if (found >= 0)
        return true;
    line_scan_ = receive_buffer_.size();
    return false;
}

bool TPowersock::line_overflow() const {
    // A line may hold max_line_length bytes and a CR before its line feed.
    return line_scan_ > max_line_length + 1;
}

QByteArray TPowersock::ReadLn() {
    status(QStringLiteral("ReadLn"), 8);
    const auto ready = [this] {
        return has_line() || line_overflow() || canceled_ || timed_out_ || !connected_;
    };
    if (!ready()) {
        watch_transfer(true);
        wait_for(ready);
        end_watch();
    }
    if (timed_out_)
        raise_time_out();
    if (canceled_)
        throw EAbortError(QStringLiteral("Socket readln aborted"));
    if (has_line()) {
        const qsizetype end = receive_buffer_.indexOf('\n', line_scan_);
        const qsizetype content = end > 0 && receive_buffer_[end - 1] == '\r' ? end - 1 : end;
        if (content <= max_line_length) {
            QByteArray line = receive_buffer_.left(end + 1);
            receive_buffer_.remove(0, end + 1);
            line_scan_ = 0;
            update_notifiers();
            return line;
        }
    }
    if (line_overflow() || has_line()) {
        receive_buffer_ = QByteArray();
        line_scan_ = 0;
        update_notifiers();
        throw ESockError(QStringLiteral("Reply header too large"));
    }
    check_receive_error();
    throw ESockError(QStringLiteral("Connection closed by host"));
}

QByteArray TPowersock::Transaction(const QByteArray& command) {
    status(QStringLiteral("Transaction"), 8);
    ReplyCode = 0;
    Writeln(command);
    const QByteArray reply = ReadLn();
    if (!reply.isEmpty())
        status(QString::fromLatin1(reply), 1);
    qint64 code = 0;
    int digits = 0;
    for (char c : reply) {
        if (c < '0' || c > '9' || digits == 10)
            break;
        code = code * 10 + (c - '0');
        ++digits;
    }
    ReplyCode = code <= std::numeric_limits<qint16>::max() ? static_cast<qint16>(code) : 0;
    return reply;
}

void TPowersock::CaptureString(QByteArray& text, int count, bool exact) {
    status(QStringLiteral("Capture String"), 8);
    text.clear();
    capturing_ = true;
    ReceivedBytes = 0;
    capture_overflow_ = false;
    if (count >= 0 && exact) {
        // A known length goes into one buffer of that size: no copying, no regrowth.
        text.reserve(std::min<qint64>(count, max_capture_in_memory));
    } else if (count < 0 && TotalBytes > 0) {
        // The announced length is reserved at once: no copying while the body grows.
        text.reserve(std::min<qint64>(TotalBytes, max_capture_in_memory) + chunk_size);
    }
    text += receive_buffer_;
    receive_buffer_.clear();
    line_scan_ = 0;
    if (text.size() > max_capture_in_memory)
        capture_overflow_ = true;
    text_sink_ = &text;
    text_sink_limit_ = exact ? count : -1;
    update_notifiers();
    const auto ready = [this, &text, count] {
        if (canceled_ || timed_out_ || capture_overflow_ || !connected_)
            return true;
        return count >= 0 && text.size() >= count;
    };
    if (!ready()) {
        watch_transfer(true);
        wait_for(ready);
        end_watch();
    }
    text_sink_ = nullptr;
    text_sink_limit_ = -1;
    capturing_ = false;
    update_notifiers();
    if (timed_out_)
        raise_time_out();
    if (canceled_) {
        canceled_ = false;
        throw EAbortError(QStringLiteral("Socket capture aborted"));
    }
    if (capture_overflow_) {
        capture_overflow_ = false;
        text = QByteArray(); // frees what was collected
        throw ESockError(QStringLiteral("Reply too large"));
    }
    if (count < 0 || text.size() < count)
        check_receive_error();
    if (count >= 0 && text.size() < count)
        throw ESockError(QStringLiteral("Connection closed by host"));
    // A host that announced far more than it sent leaves no large reservation behind.
    if (text.capacity() - text.size() > (1 << 20))
        text.squeeze();
}

void TPowersock::CaptureFile(const QString& file_name, qint64 length) {
    status(QStringLiteral("CaptureFile"), 8);
    QFile file(file_name);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        throw AppError(QStringLiteral("Cannot create file ") + file_name);
    capturing_ = true;
    capture_overflow_ = false;
    capture_write_failed_ = false;
    const QByteArray first =
        length >= 0 ? receive_buffer_.left(static_cast<qsizetype>(length)) : receive_buffer_;
    file_sink_bytes_ = first.size();
    if (file.write(first) != first.size())
        capture_write_failed_ = true;
    ReceivedBytes = static_cast<qint32>(first.size());
    receive_buffer_.clear();
    line_scan_ = 0;
    file_sink_ = &file;
    file_sink_limit_ = length;
    update_notifiers();
    const auto ready = [this, length] {
        return !connected_ || canceled_ || timed_out_ || capture_overflow_ ||
               capture_write_failed_ || (length >= 0 && file_sink_bytes_ >= length);
    };
    if (!ready()) {
        watch_transfer(true);
        wait_for(ready);
        end_watch();
    }
    file_sink_ = nullptr;
    file_sink_limit_ = -1;
    capturing_ = false;
    update_notifiers();
    const bool short_body = length >= 0 && file_sink_bytes_ < length;
    const bool broken = receive_error_ != 0 && (length < 0 || short_body);
    // A file that did not arrive whole is not left looking like one.
    if (capture_overflow_ || timed_out_ || broken || (short_body && !canceled_))
        file.resize(0);
    file.close();
    if (timed_out_)
        raise_time_out();
    if (canceled_) {
        canceled_ = false;
        throw EAbortError(QStringLiteral("Socket send aborted"));
    }
    if (capture_overflow_) {
        capture_overflow_ = false;
        throw ESockError(QStringLiteral("Reply too large"));
    }
    if (capture_write_failed_) {
        capture_write_failed_ = false;
        throw AppError(QStringLiteral("Cannot write file ") + file_name);
    }
    if (broken)
        throw ESockError(socket_error_text(receive_error_));
    if (short_body)
        throw ESockError(QStringLiteral("Connection closed by host"));
}

quint16 TPowersock::listen_on(quint16 port) {
    if (connected_ || connecting_ || resolving_ || listening_)
        throw ESockError(QStringLiteral("Already connected"));
    if (socket_ == platform_socket::invalid_handle)
        make_socket(false);
    const quint16 bound = platform_socket::listen_loopback(socket_, port);
    if (bound == 0)
        throw ESockError(QStringLiteral("Error creating Data Connection"));
    listening_ = true;
    accept_ready_ = false;
    update_notifiers();
    return bound;
}

platform_socket::Handle TPowersock::Accept() {
    status(QStringLiteral("Accepting"), 4);
    if (!listening_)
        throw ESockError(QStringLiteral("Error creating Data Connection"));
    wait_for([this] { return accept_ready_ || canceled_ || !no_error_; });
    if (canceled_) {
        canceled_ = false;
        throw ESockError(QStringLiteral("Accepting Canceled"));
    }
    int error = 0;
    const platform_socket::Handle accepted =
        no_error_ ? platform_socket::accept_one(socket_, error) : platform_socket::invalid_handle;
    accept_ready_ = false;
    connected_ = false;
    update_notifiers();
    if (accepted == platform_socket::invalid_handle) {
        if (error != 0)
            last_error_ = error;
        throw ESockError(QStringLiteral("Error creating Data Connection"));
    }
    return accepted;
}
