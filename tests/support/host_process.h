#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

// nimbrix-host as a child process on a port the kernel chooses, for the tests of a whole
// request; it is stopped when the object goes.
class HostProcess {
public:
    // Starts the program with these further arguments and waits for its "listening on
    // HOST:PORT" line.
    explicit HostProcess(const QString& program, const QStringList& arguments = {});
    ~HostProcess();
    HostProcess(const HostProcess&) = delete;
    HostProcess& operator=(const HostProcess&) = delete;

    bool running() const { return port_ != 0; }
    quint16 port() const { return port_; }
    // "127.0.0.1:PORT", the value for a role of the settings group "Hosts".
    QString address() const;

private:
    QProcess process_;
    quint16 port_ = 0;
};
