#include "support/host_process.h"

#include <QRegularExpression>

#ifdef Q_OS_LINUX
#include <csignal>
#include <sys/prctl.h>
#endif

HostProcess::HostProcess(const QString& program, const QStringList& arguments) {
    process_.setProcessChannelMode(QProcess::SeparateChannels);
#ifdef Q_OS_LINUX
    // A test that crashes must not leave its host running.
    process_.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
#endif
    process_.start(program, QStringList{QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0"),
                                        QStringLiteral("--quiet")} +
                                arguments);
    if (!process_.waitForStarted(10000))
        return;
    QByteArray output;
    while (!output.contains('\n') && process_.waitForReadyRead(10000))
        output += process_.readAllStandardOutput();
    const auto match = QRegularExpression(QStringLiteral(":(\\d+)\\s*$"))
                           .match(QString::fromUtf8(output.left(output.indexOf('\n'))));
    if (match.hasMatch())
        port_ = quint16(match.captured(1).toUInt());
}

HostProcess::~HostProcess() {
    if (process_.state() != QProcess::NotRunning) {
        process_.terminate();
        if (!process_.waitForFinished(5000)) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }
}

QString HostProcess::address() const {
    return QStringLiteral("127.0.0.1:%1").arg(port_);
}
