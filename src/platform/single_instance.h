#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

// One running program per user. The first start listens on a local socket with a per-user
// name; a later start connects to it, asks the running program to bring its window back and
// exits. A socket file left by a program that crashed answers no connection and is replaced.
// On Linux the socket is the system's own Unix-domain socket; elsewhere Qt's local socket.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    // The socket's name: the environment variable NIMBRIX_INSTANCE_NAME when it is set (tests
    // give each run its own), else "org.nimbrix.Nimbrix.instance" in $XDG_RUNTIME_DIR, else a
    // name carrying the user's id in the temporary folder.
    static QString default_name();

    explicit SingleInstance(QString name = default_name(), QObject* parent = nullptr);
    ~SingleInstance() override;

    enum class Claim {
        First,          // this process listens now; later starts come to on_activate
        AlreadyRunning, // another process runs and was asked to show its window
        Failed          // the socket could not be made; the program runs on its own
    };
    Claim claim();

    // Set when claim() returned AlreadyRunning: the running program's answer.
    bool running_window_shown() const { return running_window_shown_; }
    qint64 running_pid() const { return running_pid_; }
    QString error_text() const { return error_text_; }
    QString name() const { return name_; }

    // Runs in the first process for each later start; returns whether the window is shown now.
    std::function<bool()> on_activate;

    // The answer to one line a later start sent: "shown PID" or "hidden PID" for the request,
    // nothing for any other line.
    QByteArray answer(const QByteArray& line);

    struct Server; // the listening side

private:
    bool ask_running();

    QString name_;
    std::unique_ptr<Server> server_;
    bool running_window_shown_ = false;
    qint64 running_pid_ = 0;
    QString error_text_;
};
