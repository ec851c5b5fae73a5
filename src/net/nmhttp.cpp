#include "net/nmhttp.h"

#include "net/sock_errors.h"
#include <QFile>
#include <QFileInfo>
#include <optional>

TNMHTTP::TNMHTTP(QObject* parent) : TPowersock(parent) {}

TNMHTTP::~TNMHTTP() = default;

void TNMHTTP::Abort() {
    end_lookup_wait();
    Cancel();
}

void TNMHTTP::claim() {
    if (!in_request_)
        return;
    if (background_) {
        gave_way_ = true;
        Abort();
        throw CommandRetry(QStringLiteral("Already connected"));
    }
    throw ESockError(QStringLiteral("Already connected"));
}

void TNMHTTP::GetInBackground(const QString& url) {
    claim();
    gave_way_ = false;
    background_ = true;
    struct EndBackground {
        bool& flag;
        ~EndBackground() { flag = false; }
    } end_background{background_};
    start_request(cmd_get, url, {});
}

void TNMHTTP::Options(const QString& url) {
    start_request(cmd_options, url, {});
}
void TNMHTTP::Get(const QString& url) {
    start_request(cmd_get, url, {});
}
void TNMHTTP::Post(const QString& url, const QByteArray& data) {
    start_request(cmd_post, url, data);
}
void TNMHTTP::Put(const QString& url, const QByteArray& data) {
    start_request(cmd_put, url, data);
}
void TNMHTTP::Head(const QString& url) {
    start_request(cmd_head, url, {});
}
void TNMHTTP::Patch(const QString& url, const QByteArray& data) {
    start_request(cmd_patch, url, data);
}
void TNMHTTP::Delete(const QString& url) {
    start_request(cmd_delete, url, {});
}
void TNMHTTP::Trace(const QString& url, const QByteArray& data) {
    start_request(cmd_trace, url, data);
}
void TNMHTTP::Copy(const QString& url, const QString& destination) {
    start_request(cmd_copy, url, {}, destination);
}
void TNMHTTP::Move(const QString& url, const QString& destination) {
    start_request(cmd_move, url, {}, destination);
}
void TNMHTTP::Link(const QString& url, const QString& link) {
    start_request(cmd_link, url, "Send.dat", link);
}
void TNMHTTP::Unlink(const QString& url, const QString& link) {
    start_request(cmd_unlink, url, "Send.dat", link);
}
void TNMHTTP::Wrapped(const QString& url, const QByteArray& data) {
    start_request(cmd_wrapped, url, data);
}

void TNMHTTP::start_request(CmdType cmd, const QString& url, const QByteArray& data,
                            const QString& extra) {
    // A request started from a command or timer while one waits would overwrite the running
    // one's URL, host, header and buffers: it is refused (or the background one ended) before
    // it touches any of them.
    claim();
    in_request_ = true;
    struct EndRequest {
        bool& flag;
        ~EndRequest() { flag = false; }
    } end_request{in_request_};

    url_ = url;
    cmd_ = cmd;
    extra_ = extra;
    data_ =
        cmd == cmd_post && decode_form_data && !OutputFileMode ? form_decoder.Decode(data) : data;
    run_exchange();
}

void TNMHTTP::run_exchange() {
    int redirections = 0;
    for (bool first = true;; first = false) {
        // A code left from an earlier request must not stand for this one.
        ReplyCode = 0;
        split_request_url();
        if (first) {
            origin_host_ = Host;
            origin_port_ = Port;
        }
        build_request();
        Q_EMIT OnAboutToSend();
        Connect();

        QString refusal;
        try {
            send_request();
            read_head();
            read_body();
            if (ReplyCode > 0 && ReplyCode < 299) {
                Q_EMIT OnSuccess(sent_cmd_);
                status(QStringLiteral("Transaction Completed"), 2);
            } else if (ReplyCode > 399 || ReplyCode <= 0) {
                // A reply without a numeric code comes from a broken host: never a success.
                Q_EMIT OnFailure(sent_cmd_);
            } else if (!has_location_ || redirections >= max_redirections) {
                refusal = has_location_ ? QStringLiteral("Too many redirections")
                                        : QStringLiteral("Redirect without a location");
                Q_EMIT OnFailure(sent_cmd_);
            }
        } catch (...) {
            try {
                Disconnect();
            } catch (...) {
            }
            throw;
        }
        Disconnect();
        if (!refusal.isEmpty())
            throw ESockError(refusal);

        const int code = ReplyCode;
        if (code >= 300 && code <= 398) {
            if (has_cookie_) {
                HeaderInfo.Cookie = QString::fromLatin1(cookie_);
                adopted_cookie_ = HeaderInfo.Cookie;
                cookie_host_ = Host;
                cookie_port_ = Port;
            }
            bool handled = false;
            Q_EMIT OnRedirect(handled);
            if (handled)
                return;
            if (!url_.contains(QLatin1Char('/'))) {
                // Resolved against the current host, on the port it was reached on.
                const QString port =
                    Port == 80 ? QString() : QLatin1Char(':') + QString::number(Port);
                url_ = QStringLiteral("http://") + Host + port + QLatin1Char('/') + url_;
            }
        }
        if (code == 401)
            Q_EMIT OnAuthenticationNeeded();
        if (code < 299 || code > 399)
            return;
        ++redirections;
    }
}

void TNMHTTP::split_request_url() {
    const UrlSplit split = split_url(url_, Host, Port);
    if (!split.error.isEmpty())
        throw AppError(split.error);
    url_ = split.url;
    Host = split.host;
    Port = split.port;
    path_ = split.path;
}

void TNMHTTP::build_request() {
    RequestSpec spec;
    spec.cmd = cmd_;
    spec.url = url_;
    spec.path = path_;
    spec.host = Host;
    spec.proxy = !Proxy.isEmpty();
    spec.info = HeaderInfo;
    // Credentials were given for the host of the call: a redirection elsewhere (another host
    // or port) does not carry them. A proxy's credentials go to the proxy alone.
    if (!spec.proxy &&
        (Host.compare(origin_host_, Qt::CaseInsensitive) != 0 || Port != origin_port_)) {
        spec.info.UserId.clear();
        spec.info.Password.clear();
    }
    // A cookie taken from a redirection goes back to the host and port that set it only.
    if (!adopted_cookie_.isEmpty() && spec.info.Cookie == adopted_cookie_ &&
        (Host.compare(cookie_host_, Qt::CaseInsensitive) != 0 || Port != cookie_port_))
        spec.info.Cookie.clear();
    spec.extra = extra_;
    spec.data_length = OutputFileMode ? QFileInfo(QFile::decodeName(data_)).size() : data_.size();
    header_ = build_request_header(spec);
}

void TNMHTTP::send_request() {
    Write(request_bytes(header_));
    if (sends_data(cmd_)) {
        if (OutputFileMode)
            SendFile(QFile::decodeName(data_));
        else if (!data_.isEmpty())
            SendBuffer(data_.constData(), data_.size());
    }
    sent_cmd_ = cmd_;
    // A redirected repetition is a plain GET.
    cmd_ = cmd_get;
}

void TNMHTTP::read_head() {
    TotalBytes = 0;
    cookie_.clear();
    has_cookie_ = false;
    has_location_ = false;
    std::optional<QFile> head_file;
    if (OutputFileMode) {
        head_file.emplace(QFile::decodeName(Header));
        if (!head_file->open(QIODevice::WriteOnly | QIODevice::Truncate))
            throw AppError(QStringLiteral("Cannot create file ") + head_file->fileName());
    } else {
        Header.clear();
    }
    const auto too_large = [this] {
        if (!OutputFileMode)
            Header = QByteArray();
        return ESockError(QStringLiteral("Reply header too large"));
    };

    ResponseHeadReader reader;
    for (bool status_line = true;; status_line = false) {
        QByteArray line;
        try {
            line = ReadLn();
        } catch (const ESockError& error) {
            if (error.message() == QLatin1String("Reply header too large"))
                throw too_large();
            throw;
        }
        const ResponseHeadReader::Result result = reader.add_line(line);
        if (result == ResponseHeadReader::Result::too_large)
            throw too_large();
        if (head_file)
            head_file->write(line);
        else
            Header += line;
        if (status_line)
            ReplyCode = reader.reply_code();
        has_cookie_ = reader.has_cookie();
        cookie_ = reader.cookie();
        has_location_ = reader.has_location();
        if (has_location_)
            url_ = QString::fromLatin1(reader.location());
        TotalBytes = reader.content_length();
        has_length_ = reader.has_content_length();
        if (result == ResponseHeadReader::Result::complete)
            break;
    }
}

void TNMHTTP::read_body() {
    // A reply that announces its length ends with that many bytes (a keep-alive proxy leaves
    // the connection open behind them); one that does not ends when the server closes. A
    // HEAD reply and the codes without a body announce a length but send nothing.
    const bool no_body = sent_cmd_ == cmd_head || ReplyCode == 204 || ReplyCode == 304 ||
                         (ReplyCode >= 100 && ReplyCode < 200);
    const qint64 length = !has_length_ ? -1 : no_body ? 0 : TotalBytes;
    if (InputFileMode) {
        CaptureFile(QFile::decodeName(Body), length);
    } else {
        CaptureString(Body, static_cast<int>(length), true);
        if (length >= 0 && Body.size() > length)
            Body.truncate(static_cast<qsizetype>(length));
    }
}
