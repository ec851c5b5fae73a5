#include "support/window_manager.h"

#include <QDeadlineTimer>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QThread>

#ifdef Q_OS_LINUX
#include <csignal>
#include <sys/prctl.h>
#endif

namespace {

// Generous: on a busy machine openbox may first rebuild its font cache.
constexpr int start_timeout_ms = 60000;

const WindowManagerSession* session = nullptr;

void start_child(QProcess& process, const QString& program, const QStringList& arguments,
                 const QString& display = QString()) {
#ifdef Q_OS_LINUX
    // A test that crashes must not leave its X server or window manager behind.
    process.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
#endif
    if (!display.isEmpty()) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DISPLAY"), display);
        process.setProcessEnvironment(environment);
    }
    process.start(program, arguments);
}

void stop_child(QProcess& process) {
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished(5000);
    }
}

} // namespace

WindowManagerSession::WindowManagerSession() {
    for (const char* program : {"Xvfb", "openbox", "xprop"}) {
        if (QStandardPaths::findExecutable(QLatin1String(program)).isEmpty()) {
            failure_ = QLatin1String(program) + QStringLiteral(" is not installed");
            missing_ = true;
            return;
        }
    }
    if (!start_server() || !start_window_manager())
        return;
    qputenv("DISPLAY", display_.toLocal8Bit());
    qputenv("QT_QPA_PLATFORM", "xcb");
    running_ = true;
}

WindowManagerSession::~WindowManagerSession() {
    stop_child(window_manager_);
    stop_child(server_);
}

bool WindowManagerSession::start_server() {
    // With -displayfd the server takes the first free display number and writes it to the
    // descriptor (its standard output here) once it accepts connections.
    start_child(server_, QStringLiteral("Xvfb"),
                {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                 QStringLiteral("0"), QStringLiteral("1280x1024x24"), QStringLiteral("-nolisten"),
                 QStringLiteral("tcp")});
    QByteArray output;
    const QDeadlineTimer deadline(start_timeout_ms);
    while (!output.contains('\n') && server_.waitForReadyRead(int(deadline.remainingTime())))
        output += server_.readAllStandardOutput();
    const QByteArray number = output.trimmed();
    if (number.isEmpty()) {
        failure_ = QStringLiteral("Xvfb did not start: ") +
                   QString::fromLocal8Bit(server_.readAllStandardError()).trimmed();
        return false;
    }
    display_ = QLatin1Char(':') + QString::fromLatin1(number);
    return true;
}

bool WindowManagerSession::start_window_manager() {
    start_child(window_manager_, QStringLiteral("openbox"), {QStringLiteral("--sm-disable")},
                display_);
    // Openbox names its check window on the root window once it manages the screen.
    const QDeadlineTimer deadline(start_timeout_ms);
    QByteArray probed;
    while (!deadline.hasExpired() && window_manager_.state() != QProcess::NotRunning) {
        QProcess probe;
        probe.start(QStringLiteral("xprop"),
                    {QStringLiteral("-display"), display_, QStringLiteral("-root"),
                     QStringLiteral("_NET_SUPPORTING_WM_CHECK")});
        probe.waitForFinished(5000);
        probed = probe.readAllStandardOutput() + probe.readAllStandardError();
        if (probed.contains("window id"))
            return true;
        QThread::msleep(20);
    }
    failure_ = QStringLiteral("openbox did not start on ") + display_ + QStringLiteral(" (") +
               (window_manager_.state() == QProcess::NotRunning
                    ? QStringLiteral("exit %1").arg(window_manager_.exitCode())
                    : QStringLiteral("still starting")) +
               QStringLiteral("): ") +
               QString::fromLocal8Bit(window_manager_.readAllStandardError()).trimmed() +
               QStringLiteral("; xprop: ") + QString::fromLocal8Bit(probed).trimmed();
    return false;
}

void set_window_manager_session(const WindowManagerSession* started) {
    session = started;
}

void WindowManagerTest::SetUp() {
    if (!session)
        GTEST_SKIP() << "no window manager session";
    if (session->missing())
        GTEST_SKIP() << session->failure().toStdString();
    ASSERT_TRUE(session->running()) << session->failure().toStdString();
}
