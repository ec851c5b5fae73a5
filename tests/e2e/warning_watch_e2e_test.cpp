// The warning watch against nimbrix-host in live mode, whose upstream is a stand-in of the
// weather service's file server serving a real non-precipitation message
// (tests/host/fixtures/nws-products/NPWFFC.txt) as the zone file of Atlanta's zone GAZ045:
// what the tray announces and shows, across checks, a new product, the warning's end and a
// restart; a busy client; the desktop notification where there is no tray.
#include "app/main_window.h"
#include "host/upstream_fixture.h"
#include "net/nmhttp.h"
#include "platform/desktop_notifications.h"
#include "settings/settings_store.h"
#include "shared/program_state.h"
#include "support/host_process.h"
#include "support/recording_desktop.h"
#include "support/temp_settings.h"
#include "textproducts/forecast_window.h"
#include "textproducts/warning_watch.h"
#include "tray/on_tray.h"

#include <QAction>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QTimeZone>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace {

const QString S = QStringLiteral("Settings");
const QString H = QStringLiteral("Hosts");
const std::string zone_file = "/data/watches_warnings/non_precip/ga/gaz045.txt";
// The product's own morning: its wind advisory runs until 5 May 2017 00:00 UTC.
const QDateTime morning(QDate(2017, 5, 4), QTime(14, 0), QTimeZone::utc());
const QString advisory_title =
    QStringLiteral("Nimbrix - URGENT - WEATHER MESSAGE for Dekalb county");
const QString advisory_headline =
    QStringLiteral("WIND ADVISORY REMAINS IN EFFECT UNTIL 8 PM EDT THIS EVENING");

// The product as issued, or with its times and Atlanta's headline changed (a new product).
std::string product(bool updated = false) {
    QFile file(QStringLiteral(NIMBRIX_E2E_FIXTURES "/NPWFFC.txt"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray text = file.readAll();
    if (updated)
        text.replace("931 AM EDT", "1131 AM EDT")
            .replace("...WIND ADVISORY REMAINS IN EFFECT", "...HIGH WIND WARNING IN EFFECT");
    // The file server's copy starts with its expiry, a day ahead of the host's clock.
    const QString expires =
        QDateTime::currentDateTimeUtc().addDays(1).toString(QStringLiteral("yyyyMMddHHmm"));
    return "Expires:" + expires.toStdString() + ";;424001\n" + text.toStdString();
}

// Runs the event loop until done() holds or 20 s have passed.
bool wait_until(const std::function<bool()>& done) {
    const QDeadlineTimer deadline(20000);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    return done();
}

class WarningWatchE2e : public ::testing::Test {
protected:
    void SetUp() override {
        upstream.set(zone_file, {200, product(), {}, {}, 0});
        restart_host();
        state.counter_sent = QStringLiteral("Y"); // no usage ping in these tests
        start_program();
    }

    // A fresh host (its pages are kept a quarter of an hour): what it serves after that time.
    void restart_host() {
        host.reset();
        cache = std::make_unique<QTemporaryDir>();
        host = std::make_unique<HostProcess>(
            QStringLiteral(NIMBRIX_HOST_BINARY),
            QStringList{QStringLiteral("--source"), QStringLiteral("live"),
                        QStringLiteral("--upstream-base"), QString::fromStdString(upstream.base()),
                        QStringLiteral("--cache-dir"), cache->path()});
        ASSERT_TRUE(host->running()) << "nimbrix-host did not start";
        for (const char* role : {"Conditions", "Maker", "NWS"})
            write_setting(H, QLatin1String(role), host->address());
    }

    // One run of the program over the same settings; the tray is there unless told otherwise.
    void start_program(bool tray = true) {
        forecast.reset();
        form = std::make_unique<TForm1>(state, desktop);
        form->timer_startup->stop();
        form->Timer1->stop();
        form->tray->set_tray_available(tray);
        form->watch->now = [this] { return clock; };
        forecast = std::make_unique<TfrmForecast>(state, desktop, *form->NMHTTP1, *form, *form);
        form->set_forecast(forecast.get());
        messages.clear();
        QObject::connect(form->tray, &TOnTray::message_shown,
                         [this](const QString& title, const QString& body) {
                             messages << title + QStringLiteral(" | ") + body;
                         });
    }

    // A conditions request from a preset; its own boxes (the new preset) are not the watch's.
    void fetch(const QString& location) {
        form->set_preset_item(0, location);
        form->mnuViewStats[0]->trigger();
        desktop.clear();
    }

    QString tooltip() const { return form->tray->tray_icon()->toolTip(); }
    bool red_corner() const {
        const QImage picture = form->tray->tray_icon()->icon().pixmap(16, 16).toImage();
        return picture.pixelColor(15, 15) == QColor(0xFF, 0x00, 0x00);
    }
    QString shown(const QString& headline) const {
        return advisory_title + QStringLiteral(" | ") + headline;
    }

    TempSettings store;
    UpstreamFixture upstream;
    std::unique_ptr<QTemporaryDir> cache;
    std::unique_ptr<HostProcess> host;
    ProgramState state;
    RecordingDesktop desktop;
    std::unique_ptr<TForm1> form;
    std::unique_ptr<TfrmForecast> forecast;
    QDateTime clock = morning;
    QStringList messages;
};

} // namespace

TEST_F(WarningWatchE2e, AWarningIsAnnouncedOnceAndItsEndClearsTheMark) {
    // Off by default: a US place shown, a tick of the watch, and no request for warnings.
    fetch(QStringLiteral("Atlanta, GA"));
    ASSERT_EQ(form->windowTitle(), QStringLiteral("Nimbrix - Atlanta, GA"));
    form->watch->check();
    QCoreApplication::processEvents();
    EXPECT_EQ(upstream.count(zone_file), 0);
    EXPECT_TRUE(form->pitwatch->isEnabled());
    EXPECT_FALSE(form->pitwatch->isChecked());

    // Turned on from the tray menu: the zone's warning is announced once.
    form->pitwatch->trigger();
    EXPECT_EQ(read_setting(S, QStringLiteral("WarnWatch")), QStringLiteral("y"));
    ASSERT_TRUE(wait_until([this] { return !messages.isEmpty(); }));
    EXPECT_EQ(messages, QStringList{shown(advisory_headline)});
    EXPECT_TRUE(tooltip().startsWith(QLatin1String("WARNING: "))) << tooltip().toStdString();
    EXPECT_TRUE(red_corner());

    // A second check announces nothing.
    form->watch->check();
    EXPECT_EQ(messages.size(), 1);

    // A restart over the same settings shows the warning in force but does not announce it.
    start_program();
    fetch(QStringLiteral("Atlanta, GA"));
    ASSERT_TRUE(wait_until([this] { return red_corner(); }));
    EXPECT_TRUE(form->pitwatch->isChecked());
    EXPECT_TRUE(messages.isEmpty());

    // A new product (the office's next issuance) is announced again.
    upstream.set(zone_file, {200, product(true), {}, {}, 0});
    restart_host();
    form->watch->check();
    EXPECT_EQ(messages, QStringList{shown(QStringLiteral(
                            "HIGH WIND WARNING IN EFFECT UNTIL 8 PM EDT THIS EVENING"))});

    // Its end: the mark and the tooltip's warning go, nothing is announced.
    clock = QDateTime(QDate(2017, 5, 5), QTime(0, 1), QTimeZone::utc());
    form->watch->check();
    EXPECT_FALSE(tooltip().startsWith(QLatin1String("WARNING: "))) << tooltip().toStdString();
    EXPECT_FALSE(red_corner());
    EXPECT_EQ(messages.size(), 1);
    EXPECT_TRUE(desktop.events.isEmpty()) << desktop.log().join(u'|').toStdString();

    // The host gone: one status text an hour, no box, nothing announced.
    host.reset();
    QStringList failures;
    QObject::connect(form.get(), &TForm1::status_changed, [&failures](const QString& text) {
        if (text == QLatin1String("Warning check failed..."))
            failures << text;
    });
    for (const int minutes : {0, 10, 50, 61}) {
        clock = QDateTime(QDate(2017, 5, 5), QTime(0, 1), QTimeZone::utc()).addSecs(minutes * 60);
        form->watch->check();
    }
    EXPECT_EQ(failures.size(), 2);
    EXPECT_TRUE(desktop.events.isEmpty()) << desktop.log().join(u'|').toStdString();
    EXPECT_EQ(messages.size(), 1);

    // A place outside the US greys the command and says why.
    form->watch->set_location(QStringLiteral("Paris, France (O)"));
    EXPECT_FALSE(form->pitwatch->isEnabled());
    EXPECT_TRUE(form->pitwatch->toolTip().contains(QLatin1String("US places")));
}

TEST_F(WarningWatchE2e, ABusyClientPutsTheCheckOffAndACommandEndsACheck) {
    write_setting(S, QStringLiteral("WarnWatch"), QStringLiteral("y"));
    fetch(QStringLiteral("Atlanta, GA"));
    // The user's version check waits a second for its reply; the check comes meanwhile.
    upstream.set("/assets/nimbrixvs.txt", {200, "Version#1.30.7.2", {}, {}, 1000});
    write_setting(H, QStringLiteral("Maker"), QString::fromStdString(upstream.base()).mid(7));
    QTimer::singleShot(0, form->watch, &WarningWatch::check);
    form->CheckforUpdate1->trigger();
    EXPECT_EQ(upstream.count(zone_file), 0);
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(desktop.count(QStringLiteral("message")), 1); // the version check's own answer
    EXPECT_FALSE(desktop.messages().join(u'|').contains(QLatin1String("Already connected")));

    // The next check announces.
    form->watch->check();
    EXPECT_EQ(messages, QStringList{shown(advisory_headline)});

    // A command while a check waits for a slow warnings page ends the check and runs itself.
    write_setting(H, QStringLiteral("NWS"), QString::fromStdString(upstream.base()).mid(7));
    upstream.set("/iwin/GA/allwarnings.html", {200, "<pre>$$</pre>", {}, {}, 3000});
    upstream.set("/assets/nimbrixvs.txt", {200, "Version#1.30.7.2", {}, {}, 0});
    desktop.clear();
    QTimer::singleShot(100, form->CheckforUpdate1, &QAction::trigger);
    form->watch->check();
    ASSERT_TRUE(wait_until([this] { return !desktop.events.isEmpty(); }));
    EXPECT_EQ(desktop.count(QStringLiteral("message")), 1);
    EXPECT_FALSE(desktop.messages().join(u'|').contains(QLatin1String("Already connected")));
    EXPECT_NE(form->status_text(), QStringLiteral("Warning check failed..."));
}

namespace {

// A stand-in for the desktop's notification service.
class NotificationServer : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    QStringList calls;

public Q_SLOTS:
    uint Notify(const QString& app_name, uint, const QString&, const QString& summary,
                const QString& body, const QStringList& actions, const QVariantMap& hints, int) {
        calls << app_name + u'|' + summary + u'|' + body + u'|' + actions.join(u',') + u'|' +
                     QString::number(hints.value(QStringLiteral("urgency")).toInt());
        return 7;
    }
};

// A private session bus for the life of the object.
struct PrivateBus {
    PrivateBus() {
        daemon.start(QStringLiteral("dbus-daemon"),
                     {QStringLiteral("--session"), QStringLiteral("--nofork"),
                      QStringLiteral("--print-address")});
        if (daemon.waitForStarted(5000) && daemon.waitForReadyRead(5000))
            address = QString::fromUtf8(daemon.readLine()).trimmed();
    }
    ~PrivateBus() {
        QDBusConnection::disconnectFromBus(QStringLiteral("stand-in"));
        daemon.kill();
        daemon.waitForFinished(5000);
    }
    QProcess daemon;
    QString address;
};

} // namespace

TEST_F(WarningWatchE2e, WithoutATrayTheWarningIsADesktopNotificationThatOpensTheWarnings) {
    PrivateBus bus;
    if (bus.address.isEmpty())
        GTEST_SKIP() << "dbus-daemon is not available";
    start_program(false);
    form->watch->notifications().set_bus_address(bus.address);
    write_setting(S, QStringLiteral("WarnWatch"), QStringLiteral("y"));

    // No notification service on the bus: the status bar tells it.
    fetch(QStringLiteral("Atlanta, GA"));
    const QString status = QStringLiteral("WARNING: URGENT - WEATHER MESSAGE for Dekalb county...");
    ASSERT_TRUE(wait_until([this, &status] { return form->status_text() == status; }));

    // With the service: a notification, and its click opens the state's warnings.
    NotificationServer server;
    QDBusConnection server_bus =
        QDBusConnection::connectToBus(bus.address, QStringLiteral("stand-in"));
    ASSERT_TRUE(server_bus.registerService(QStringLiteral("org.freedesktop.Notifications")));
    ASSERT_TRUE(server_bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &server,
                                          QDBusConnection::ExportAllSlots));
    write_setting(S, QStringLiteral("WarnSeen"), QString());
    form->watch->check();
    ASSERT_TRUE(wait_until([&server] { return !server.calls.isEmpty(); }));
    EXPECT_EQ(server.calls,
              QStringList{QStringLiteral("Nimbrix|") + advisory_title + u'|' + advisory_headline +
                          QStringLiteral("|default,Show the warnings|2")});
    EXPECT_TRUE(messages.isEmpty());

    QDBusMessage click = QDBusMessage::createSignal(
        QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("ActionInvoked"));
    click << uint(7) << QStringLiteral("default");
    server_bus.send(click);
    ASSERT_TRUE(wait_until([this] { return forecast->isVisible(); }));
    EXPECT_EQ(state.xcast_code, QStringLiteral("w"));
    EXPECT_EQ(state.current_location.state, QStringLiteral("GA"));
    EXPECT_TRUE(desktop.events.isEmpty()) << desktop.log().join(u'|').toStdString();
}

#include "warning_watch_e2e_test.moc"
