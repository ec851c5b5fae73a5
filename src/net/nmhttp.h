#pragma once

#include "net/ex_string_list.h"
#include "net/http_rules.h"
#include "net/nm_url.h"
#include "net/powersock.h"
#include <QByteArray>
#include <QString>

// The HTTP/1.0 client: one call runs a whole exchange (URL split, request header, connect,
// send, response head, body up to the server's close, success or failure events, disconnect,
// redirections) as a blocking call on the user-interface thread.
class TNMHTTP : public TPowersock {
    Q_OBJECT
public:
    explicit TNMHTTP(QObject* parent);
    ~TNMHTTP() override;

    // The response body, or with InputFileMode the name of the file that receives it.
    QByteArray Body = "Default.htm";
    // The response head exactly as received, or with OutputFileMode the name of its file.
    QByteArray Header = "Head.txt";
    THeaderInfo HeaderInfo;
    bool InputFileMode = false;
    bool OutputFileMode = false;

    // Redirections followed by one call; the next one ends it like a failure.
    static constexpr int max_redirections = 20;

    // Form data of Post is URL-decoded first (unless OutputFileMode names a file).
    bool decode_form_data = true;
    TNMURL form_decoder;

    void Abort() override;

    // A GET that gives way to every other request: a command that needs the client while it
    // runs ends it (claim) and is run again once it has unwound. The program's event handlers
    // report nothing of it (the warning watch's check).
    void GetInBackground(const QString& url);
    bool background() const { return background_; }
    // Whether the last background request was ended to give way.
    bool gave_way() const { return gave_way_; }
    // Before a request: nothing while the client is free; a running background request is
    // ended and CommandRetry raised; any other running request gives "Already connected".
    void claim();

    // The request operations. Each refuses to start while another runs on this client.
    void Options(const QString& url);
    void Get(const QString& url);
    void Post(const QString& url, const QByteArray& data);
    void Put(const QString& url, const QByteArray& data);
    void Head(const QString& url);
    void Patch(const QString& url, const QByteArray& data);
    void Delete(const QString& url);
    void Trace(const QString& url, const QByteArray& data);
    void Copy(const QString& url, const QString& destination);
    void Move(const QString& url, const QString& destination);
    void Link(const QString& url, const QString& link);
    void Unlink(const QString& url, const QString& link);
    void Wrapped(const QString& url, const QByteArray& data);

    // The state of the last (or running) request.
    const QString& current_url() const { return url_; }
    const QString& request_path() const { return path_; }
    const TExStringList& header_list() const { return header_; }
    CmdType command() const { return cmd_; }
    const QByteArray& cookie_text() const { return cookie_; }
    bool busy() const { return in_request_; }

Q_SIGNALS:
    void OnAboutToSend();
    void OnSuccess(int Cmd);
    void OnFailure(int Cmd);
    void OnRedirect(bool& Handled);
    void OnAuthenticationNeeded();

protected:
    virtual void run_exchange();
    virtual void split_request_url();
    virtual void build_request();
    virtual void read_head();
    virtual void send_request();

private:
    void start_request(CmdType cmd, const QString& url, const QByteArray& data,
                       const QString& extra = QString());
    void read_body();

    QString url_;
    QString path_;
    QByteArray data_;
    QString extra_;
    CmdType cmd_ = cmd_get;
    CmdType sent_cmd_ = cmd_get;
    QByteArray cookie_;
    bool has_cookie_ = false;
    bool has_location_ = false;
    bool has_length_ = false;
    QString origin_host_; // where the call began: credentials go there only
    int origin_port_ = 0;
    QString adopted_cookie_; // the cookie taken from a redirection, and who set it
    QString cookie_host_;
    int cookie_port_ = 0;
    TExStringList header_;
    bool in_request_ = false;
    bool background_ = false;
    bool gave_way_ = false;
};
