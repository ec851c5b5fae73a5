// idle_cpu PROGRAM HOST: the CPU time the program uses in one minute of idling with its
// start-up location shown and its tray icon up, printed as startup.idle_cpu_ms_per_minute.
// Run it inside an X server and a session bus of its own (bench/suites/startup.sh does, with
// xvfb-run and dbus-run-session): it serves the bus's notification area itself, so the
// program's icon is really in a tray, starts nimbrix-host for the conditions page, and counts
// the CPU time of every thread of the program from /proc.
#include "settings/settings_store.h"
#include "support/host_process.h"
#include "support/temp_settings.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>

namespace {

[[noreturn]] void fail(const QString& what) {
    std::fprintf(stderr, "idle_cpu: %s\n", qPrintable(what));
    std::exit(1);
}

// The notification area of the session bus: every icon that registers is counted.
class Watcher : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ host_registered)
    Q_PROPERTY(int ProtocolVersion READ protocol_version)
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ items)
public:
    bool host_registered() const { return true; }
    int protocol_version() const { return 0; }
    QStringList items() const { return items_; }

public Q_SLOTS:
    void RegisterStatusNotifierItem(const QString& service) {
        items_ << service;
        Q_EMIT StatusNotifierItemRegistered(service);
    }
    void RegisterStatusNotifierHost(const QString&) {}

Q_SIGNALS:
    void StatusNotifierItemRegistered(const QString& service);
    void StatusNotifierItemUnregistered(const QString& service);
    void StatusNotifierHostRegistered();

private:
    QStringList items_;
};

// CPU time of every thread of the process so far, in nanoseconds.
qint64 cpu_ns(qint64 pid) {
    qint64 total = 0;
    const QString tasks = QStringLiteral("/proc/%1/task").arg(pid);
    for (const QString& task : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile file(tasks + QLatin1Char('/') + task + QStringLiteral("/schedstat"));
        if (file.open(QIODevice::ReadOnly))
            total += file.readAll().split(' ').value(0).toLongLong();
    }
    return total;
}

// Runs the event loop (the watcher answers meanwhile) until done() holds, asked every 100 ms,
// or the time is up; the loop sleeps in between, so this program costs the machine nothing.
bool wait_until(const std::function<bool()>& done, int milliseconds) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        const qint64 left = milliseconds - timer.elapsed();
        if (left <= 0)
            return false;
        QEventLoop loop;
        QTimer::singleShot(int(std::min<qint64>(left, 100)), &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

// The names of the X server's windows.
QString window_names() {
    QProcess xwininfo;
    xwininfo.start(QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-tree")});
    xwininfo.waitForFinished(10000);
    return QString::fromUtf8(xwininfo.readAllStandardOutput());
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 3)
        fail(QStringLiteral("usage: idle_cpu PROGRAM HOST"));
    if (qEnvironmentVariableIsEmpty("DISPLAY") ||
        qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        fail(QStringLiteral("run me inside an X server and a session bus of my own"));

    Watcher watcher;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerObject(QStringLiteral("/StatusNotifierWatcher"), &watcher,
                            QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals |
                                QDBusConnection::ExportAllProperties) ||
        !bus.registerService(QStringLiteral("org.kde.StatusNotifierWatcher")))
        fail(QStringLiteral("cannot serve the notification area on the session bus"));

    TempSettings store;
    QTemporaryDir runtime;
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    qputenv("NIMBRIX_INSTANCE_NAME", "nimbrix-idle-bench");
    qputenv("QT_QPA_PLATFORM", "xcb");
    HostProcess host(QString::fromLocal8Bit(argv[2]));
    if (!host.running())
        fail(QStringLiteral("nimbrix-host did not start"));
    write_setting(QStringLiteral("Hosts"), QStringLiteral("Conditions"), host.address());
    write_setting(QStringLiteral("Hosts"), QStringLiteral("Maker"), host.address());
    write_setting(QStringLiteral("Settings"), QStringLiteral("StartupLoc"),
                  QStringLiteral("Chicago, IL"));

    QProcess program;
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program.setStandardOutputFile(QProcess::nullDevice());
    program.start(QString::fromLocal8Bit(argv[1]), {});
    if (!program.waitForStarted(10000))
        fail(QStringLiteral("the program did not start"));
    const auto stop = [&program] {
        program.kill();
        program.waitForFinished(5000);
    };

    // The icon registers with the notification area; the start-up location is fetched after
    // 4 seconds and named in the caption.
    if (!wait_until([&] { return !watcher.items().isEmpty(); }, 20000)) {
        stop();
        fail(QStringLiteral("the tray icon did not come up"));
    }
    if (!wait_until(
            [&] { return window_names().contains(QLatin1String("\"Nimbrix - Chicago, IL\"")); },
            30000)) {
        stop();
        fail(QStringLiteral("the start-up location was not shown"));
    }
    wait_until([] { return false; }, 2000); // the request's last paints

    const qint64 before = cpu_ns(program.processId());
    wait_until([] { return false; }, 60000);
    const qint64 after = cpu_ns(program.processId());
    const bool still_up = program.state() == QProcess::Running;
    stop();
    if (!still_up)
        fail(QStringLiteral("the program ended while idling"));
    std::printf("startup.idle_cpu_ms_per_minute: %.1f\n", double(after - before) / 1e6);
    return 0;
}

#include "idle_cpu.moc"
