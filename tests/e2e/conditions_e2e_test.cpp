#include "app/main_window.h"
#include "locations/location_chooser.h"
#include "locations/presets.h"
#include "net/nmhttp.h"
#include "settings/settings_store.h"
#include "shared/program_state.h"
#include "support/host_process.h"
#include "support/recording_desktop.h"
#include "support/scripted_server.h"
#include "support/temp_settings.h"
#include "tray/on_tray.h"

#include <QAction>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <gtest/gtest.h>
#include <memory>

namespace {

const QString S = QStringLiteral("Settings");
const QString H = QStringLiteral("Hosts");

class Conditions : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(host.running()) << "nimbrix-host did not start";
        write_setting(H, QStringLiteral("Conditions"), host.address());
        write_setting(H, QStringLiteral("Maker"), host.address());
        form = std::make_unique<TForm1>(state, desktop);
        chooser = new TfrmLocation(state, desktop, *form, form.get());
        form->set_chooser(chooser);
        QObject::connect(form.get(), &TForm1::status_changed,
                         [this](const QString& t) { statuses << t; });
        form->timer_startup->stop();
        form->Timer1->stop();
    }

    // A preset click: the location string goes to the driver through the command's guard.
    void fetch(const QString& location) {
        form->set_preset_item(0, location);
        desktop.clear();
        statuses.clear();
        form->mnuViewStats[0]->trigger();
    }

    QString stored(int n) {
        return read_setting(QStringLiteral("Locations"), QStringLiteral("loc%1").arg(n));
    }

    TempSettings store;
    HostProcess host{QStringLiteral(NIMBRIX_HOST_BINARY)};
    ProgramState state;
    RecordingDesktop desktop;
    std::unique_ptr<TForm1> form;
    TfrmLocation* chooser = nullptr;
    QStringList statuses;
};

const QRegularExpression fahrenheit(QStringLiteral("^-?\\d+\u00b0F$"));

} // namespace

TEST_F(Conditions, AUsCityFillsEveryValueTheHeadingCaptionTrayAndPresets) {
    fetch(QStringLiteral("Chicago, IL"));
    EXPECT_EQ(state.request_url,
              QStringLiteral("http://%1/US/IL/Chicago.html").arg(host.address()));
    EXPECT_TRUE(fahrenheit.match(form->lblTemp2->text()).hasMatch())
        << form->lblTemp2->text().toStdString();
    for (QLabel* l : {form->lblsky2, form->lblHumid2, form->lblWind2, form->lblPress2,
                      form->lblVisible2, form->lblSunrise2, form->lblSunset2, form->lblMoonRise2,
                      form->lblMoonSet2, form->lblWindChill2, form->lblHeatIndex2})
        EXPECT_FALSE(l->text().trimmed().isEmpty()) << l->objectName().toStdString();
    EXPECT_TRUE(form->lblConditions->text().startsWith(QStringLiteral("Conditions at ")))
        << form->lblConditions->text().toStdString();
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Nimbrix - Chicago, IL"));
    EXPECT_EQ(state.current_location.place_name, QStringLiteral("Chicago, Illinois"));
    EXPECT_EQ(form->tray->Hint,
              form->lblsky2->text() + QStringLiteral(" && ") + form->lblTemp2->text());
    EXPECT_EQ(desktop.messages(),
              QStringList{QStringLiteral("Location added to Get_Stats presets: Chicago, IL")});
    EXPECT_EQ(stored(0), QStringLiteral("Chicago, IL"));
    EXPECT_NE(state.temperature_f, 999);
    EXPECT_EQ(statuses.last(), QStringLiteral("Thank you for using Nimbrix..."));
    EXPECT_TRUE(state.current_location.location_text.isEmpty());

    // Fetched again from its preset: nothing is added and no box appears.
    fetch(QStringLiteral("Chicago, IL"));
    EXPECT_TRUE(desktop.events.isEmpty()) << desktop.log().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(stored_presets(), QStringList{QStringLiteral("Chicago, IL")});

    const QString dir = qEnvironmentVariable("NIMBRIX_TEST_TMP", QDir::tempPath());
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    EXPECT_TRUE(form->grab().save(dir + QStringLiteral("/main_window_after_fetch.png")));
}

TEST_F(Conditions, TheStatusTextsOfARequestByHostNameComeInOrder) {
    write_setting(H, QStringLiteral("Conditions"), QStringLiteral("localhost:%1").arg(host.port()));
    state.counter_sent = QStringLiteral("Y"); // the usage ping has gone out in this run
    fetch(QStringLiteral("Austin, TX"));
    QStringList seen;
    for (const QString& text : statuses) {
        // One count per chunk that arrives while the body is read; a page that came whole
        // with its head has none.
        if (!text.contains(QStringLiteral(" bytes retrieved")))
            seen << text;
    }
    // The page ends at its announced length: the host's close is seen before that only when
    // it arrives with the last bytes.
    const QStringList peer_close{QStringLiteral("Status = Request Close Socket"),
                                 QStringLiteral("Disconnected...")};
    if (seen.mid(4, 2) == peer_close)
        seen.remove(4, 2);
    EXPECT_EQ(seen, (QStringList{
                        QStringLiteral("Sending request..."),
                        QStringLiteral("Host resolved..."),
                        QStringLiteral("Connected..."),
                        QStringLiteral("Status = Sending Buffer"),
                        QStringLiteral("Get Succeeded"),
                        QStringLiteral("Status = Transaction Completed"),
                        QStringLiteral("Status = Request Close Socket"),
                        QStringLiteral("Disconnected..."),
                        QStringLiteral("Connection process complete..."),
                        QStringLiteral("...parsing data..."),
                        QStringLiteral("Thank you for using Nimbrix..."),
                        QStringLiteral("Processing moon phase image..."),
                        QStringLiteral("Thank you for using Nimbrix..."),
                    }))
        << seen.join(QLatin1Char('|')).toStdString();
}

TEST_F(Conditions, StateNamesForeignCitiesAndZipsEachFindTheirPage) {
    const struct {
        const char* location;
        const char* path;
        const char* caption;
        const char* place_name;
    } rows[] = {
        {"Springfield, Illinois", "US/IL/Springfield.html", "Nimbrix - Springfield, Illinois",
         "Springfield, Illinois"},
        {"Cairo, Egypt (O)", "global/stations/62366.html", "Nimbrix - Cairo, Egypt (O)",
         "Cairo, Egypt"},
        {"Bombay, India (O)", "global/stations/43003.html", "Nimbrix - Bombay, India (O)",
         "Bombay, India"},
        {"London, Ontario (O)", "global/stations/71623.html", "Nimbrix - London, Ontario (O)",
         "London, Ontario"},
        {"60601 - Chicago, IL", "cgi-bin/findweather/getForecast?query=60601",
         "Nimbrix - 60601 - Chicago, IL", "Chicago, Illinois"},
    };
    for (const auto& row : rows) {
        fetch(QLatin1String(row.location));
        EXPECT_EQ(state.request_url,
                  QStringLiteral("http://%1/%2").arg(host.address(), QLatin1String(row.path)));
        EXPECT_EQ(form->windowTitle(), QLatin1String(row.caption));
        EXPECT_EQ(state.current_location.place_name, QLatin1String(row.place_name));
        EXPECT_TRUE(fahrenheit.match(form->lblTemp2->text()).hasMatch()) << row.location;
        for (const QString& message : desktop.messages())
            EXPECT_TRUE(message.startsWith(QStringLiteral("Location added")))
                << message.toStdString();
    }
    EXPECT_EQ(
        stored_presets(),
        (QStringList{QStringLiteral("Springfield, IL"), QStringLiteral("Cairo, Egypt (O)"),
                     QStringLiteral("Bombay, India (O)"), QStringLiteral("London, Ontario (O)"),
                     QStringLiteral("60601 - Chicago, IL")}));
}

TEST_F(Conditions, MetricDisplayShowsCelsius) {
    write_setting(S, QStringLiteral("Metric"), QStringLiteral("y"));
    fetch(QStringLiteral("Paris, France (O)"));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^-?\\d+\u00b0 C  $"))
                    .match(form->lblTemp2->text())
                    .hasMatch())
        << form->lblTemp2->text().toStdString();
    const QString chill = form->lblWindChill2->text();
    EXPECT_TRUE(chill == form->lblTemp2->text() || chill.endsWith(QStringLiteral(" C  ")) ||
                chill == QStringLiteral("n/a"))
        << chill.toStdString();
}

TEST_F(Conditions, AMissingPageEndsWithTheErrorAndKeepsTheLabels) {
    fetch(QStringLiteral("Austin, TX"));
    const QString temperature = form->lblTemp2->text();
    fetch(QStringLiteral("Nowhere, TX"));
    EXPECT_TRUE(statuses.contains(QStringLiteral("Error 404 - Object Not Found")));
    EXPECT_TRUE(statuses.contains(QStringLiteral("Get Failed")));
    const qsizetype error = statuses.indexOf(QStringLiteral("Error retrieving data..."));
    ASSERT_GE(error, 0);
    EXPECT_EQ(statuses.mid(error), (QStringList{QStringLiteral("Error retrieving data..."),
                                                QStringLiteral("Processing moon phase image..."),
                                                QStringLiteral("Thank you for using Nimbrix...")}));
    EXPECT_EQ(form->lblTemp2->text(), temperature);
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Nimbrix - Austin, TX"));
    EXPECT_TRUE(desktop.events.isEmpty());
}

TEST_F(Conditions, AnUnreachableMakersHostCostsOnlyAStatusText) {
    write_setting(H, QStringLiteral("Maker"), QStringLiteral("127.0.0.1:1"));
    fetch(QStringLiteral("Austin, TX"));
    EXPECT_TRUE(statuses.contains(QStringLiteral("Usage ping failed...")));
    EXPECT_EQ(state.counter_sent, QStringLiteral("Y"));
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Nimbrix - Austin, TX"));
    EXPECT_EQ(desktop.messages(),
              QStringList{QStringLiteral("Location added to Get_Stats presets: Austin, TX")});
}

TEST_F(Conditions, TheChooserFetchesTreeCitiesAndZipCodes) {
    const struct {
        const char* path;
        const char* zip;
        const char* url;
        const char* preset;
    } rows[] = {
        {"North America\\United States\\California\\Los_Angeles", "", "US/CA/Los_Angeles.html",
         "Los_Angeles, CA"},
        {"Africa\\Egypt\\Cairo", "", "global/stations/62366.html", "Cairo, Egypt (O)"},
        {"Europe\\United Kingdom\\Boscombe_Down", "", "global/stations/03746.html",
         "Boscombe Down, United Kingdom (O)"},
        {"North America\\Canada\\Alberta\\Calgary Int'L", "", nullptr,
         "Calgary Int'L, Alberta (O)"},
        {"Africa\\Egypt\\Cairo", "60601", "cgi-bin/findweather/getForecast?query=60601",
         "60601 - Chicago, IL"},
    };
    for (const auto& row : rows) {
        form->mnuChooseLocation->trigger();
        ASSERT_TRUE(chooser->isVisible());
        ASSERT_TRUE(chooser->select_path(QLatin1String(row.path))) << row.path;
        chooser->txtzipcode->setText(QLatin1String(row.zip));
        desktop.clear();
        chooser->btnOkay->click();
        EXPECT_FALSE(chooser->isVisible()) << row.path;
        if (row.url) {
            EXPECT_EQ(state.request_url,
                      QStringLiteral("http://%1/%2").arg(host.address(), QLatin1String(row.url)));
        }
        EXPECT_EQ(desktop.messages(),
                  QStringList{QStringLiteral("Location added to Get_Stats presets: ") +
                              QLatin1String(row.preset)})
            << row.path;
        EXPECT_EQ(form->windowTitle(), QStringLiteral("Nimbrix - ") + QLatin1String(row.preset));
        EXPECT_EQ(form->status_text(), QStringLiteral("Thank you for using Nimbrix..."));
    }
    EXPECT_EQ(state.current_location.region, QString()); // the zip request clears it
    // Each preset fetches its place again through the driver.
    for (const QString& preset : stored_presets()) {
        fetch(preset);
        EXPECT_TRUE(desktop.events.isEmpty())
            << preset.toStdString() << ": " << desktop.log().join('|').toStdString();
        EXPECT_EQ(form->windowTitle(), QStringLiteral("Nimbrix - ") + preset);
    }
}

TEST_F(Conditions, RemoveModeDropsTheClickedPresetWithoutARequest) {
    for (const char* place : {"Boise, ID", "Austin, TX", "Cairo, Egypt (O)"})
        fetch(QLatin1String(place));
    ASSERT_EQ(stored_presets().size(), 3);
    load_presets(*form); // the menu as the store has it (fetch() borrowed item 0)
    ASSERT_EQ(form->mnuViewStats[0]->text(), QStringLiteral("Boise, ID"));
    desktop.clear();
    desktop.confirm_answers = {true};
    form->mnuRemoveaspecificlocation1->trigger();
    EXPECT_EQ(state.remove_mode, QStringLiteral("Y"));
    statuses.clear();
    form->mnuViewStats[0]->trigger(); // the item that shows "Boise, ID"
    EXPECT_FALSE(statuses.contains(QStringLiteral("Sending request...")));
    EXPECT_TRUE(state.remove_mode.isEmpty());
    EXPECT_EQ(stored_presets(),
              (QStringList{QStringLiteral("Austin, TX"), QStringLiteral("Cairo, Egypt (O)")}));
    EXPECT_EQ(form->mnuViewStats[0]->text(), QStringLiteral("Austin, TX"));
    EXPECT_FALSE(form->mnuViewStats[2]->isVisible());

    // The next click fetches again.
    form->mnuViewStats[1]->trigger();
    EXPECT_TRUE(statuses.contains(QStringLiteral("Sending request...")));
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Nimbrix - Cairo, Egypt (O)"));
}

TEST_F(Conditions, AbortEndsASlowRequestWithTheAbortError) {
    ScriptedServer slow({{ScriptedServer::read_request(), ScriptedServer::delay(4000),
                          ScriptedServer::send("HTTP/1.0 200 OK\r\n\r\nlate")}});
    write_setting(H, QStringLiteral("Conditions"), QStringLiteral("127.0.0.1:%1").arg(slow.port()));
    state.counter_sent = QStringLiteral("Y");
    QTimer::singleShot(300, form.get(), [this] { form->mnuAbortconnection->trigger(); });
    QElapsedTimer took;
    took.start();
    fetch(QStringLiteral("Austin, TX"));
    EXPECT_LT(took.elapsed(), 3500);
    EXPECT_GE(took.elapsed(), 1400); // the abort's pause keeps its text readable
    EXPECT_TRUE(statuses.contains(QStringLiteral("Connection Aborted...")));
    EXPECT_EQ(desktop.messages(), QStringList{QStringLiteral("Socket readln aborted")});
    EXPECT_FALSE(statuses.contains(QStringLiteral("Error retrieving data...")));
    EXPECT_FALSE(statuses.contains(QStringLiteral("Processing moon phase image...")));
    EXPECT_FALSE(form->NMHTTP1->busy());
}

TEST_F(Conditions, UnattendedRequestsSkipABusyClientAndUserRequestsAreRefused) {
    ScriptedServer slow({{ScriptedServer::read_request(), ScriptedServer::delay(1500),
                          ScriptedServer::send("HTTP/1.0 404 Not Found\r\n\r\n")}});
    write_setting(H, QStringLiteral("Conditions"), QStringLiteral("127.0.0.1:%1").arg(slow.port()));
    write_setting(S, QStringLiteral("StartupLoc"), QStringLiteral("Boise, ID"));
    state.counter_sent = QStringLiteral("Y");
    QString location_during;
    CurrentLocation fields_during;
    QTimer::singleShot(300, form.get(), [this, &location_during, &fields_during] {
        form->timer_startupTimer();         // unattended: skipped with a status text
        form->mnuViewStats[1]->trigger();   // a user's click: refused with the client's error
        form->mnuChooseLocation->trigger(); // the chooser opens without touching the request
        chooser->select_path(QStringLiteral("Africa\\Egypt\\Cairo"));
        chooser->btnOkay->click(); // refused like the click
        location_during = state.current_location.location_text;
        fields_during = state.current_location;
    });
    form->set_preset_item(1, QStringLiteral("Cairo, Egypt (O)"));
    fetch(QStringLiteral("Austin, TX"));
    EXPECT_TRUE(statuses.contains(QStringLiteral("Busy - update skipped...")));
    EXPECT_EQ(desktop.messages(), (QStringList{QStringLiteral("Already connected"),
                                               QStringLiteral("Already connected")}));
    EXPECT_EQ(location_during, QStringLiteral("Austin, TX")); // the running request's own
    EXPECT_EQ(fields_during.city, QStringLiteral("Austin"));
    EXPECT_EQ(fields_during.state, QStringLiteral("TX"));
    EXPECT_EQ(fields_during.region, QStringLiteral("US"));
    EXPECT_EQ(state.request_url,
              QStringLiteral("http://127.0.0.1:%1/US/TX/Austin.html").arg(slow.port()));
    EXPECT_TRUE(state.auto_request.isEmpty());
}

TEST_F(Conditions, TheCaptionNamesThePlaceShownAndTheRefreshFetchesItWhole) {
    // Driver requests that stop before their end leave their location string behind; the
    // chooser's next request is still named after the place it fetched.
    const struct {
        const char* location;
        bool refused_host; // the conditions host refuses the connection
        bool remove_mode;
    } stops[] = {
        {"Atlantis, Egypt (O)", false, false}, // no station
        {"Boise, ID", true, false},            // the request fails with the client's error
        {"Austin, TX", false, true},           // remove mode: no request at all
    };
    state.counter_sent = QStringLiteral("Y");
    for (const auto& stop : stops) {
        write_setting(H, QStringLiteral("Conditions"),
                      stop.refused_host ? QStringLiteral("127.0.0.1:1") : host.address());
        state.remove_mode = stop.remove_mode ? QStringLiteral("Y") : QString();
        fetch(QLatin1String(stop.location));
        ASSERT_EQ(state.current_location.location_text, QLatin1String(stop.location));
        write_setting(H, QStringLiteral("Conditions"), host.address());
        form->mnuChooseLocation->trigger();
        ASSERT_TRUE(chooser->select_path(QStringLiteral("Africa\\Egypt\\Cairo")));
        chooser->btnOkay->click();
        EXPECT_EQ(state.request_url,
                  QStringLiteral("http://%1/global/stations/62366.html").arg(host.address()));
        EXPECT_EQ(form->windowTitle(), QStringLiteral("Nimbrix - Cairo, Egypt (O)"))
            << stop.location;
    }

    // Locations longer than the 30 characters the refresh reads from the caption are
    // refreshed whole, and the caption keeps naming them whole.
    write_setting(S, QStringLiteral("AutoUpdate"), QStringLiteral("y"));
    const struct {
        const char* path;
        const char* station;
        const char* caption;
    } long_names[] = {
        {"Europe\\United Kingdom\\Boscombe_Down", "03746",
         "Nimbrix - Boscombe Down, United Kingdom (O)"},
        {"Europe\\United Kingdom\\Brize Norton", "03649",
         "Nimbrix - Brize Norton, United Kingdom (O)"},
    };
    for (const auto& row : long_names) {
        form->mnuChooseLocation->trigger();
        ASSERT_TRUE(chooser->select_path(QLatin1String(row.path)));
        chooser->btnOkay->click();
        ASSERT_EQ(form->windowTitle(), QLatin1String(row.caption));
        state.request_url.clear();
        form->Timer1Timer();
        EXPECT_EQ(state.request_url, QStringLiteral("http://%1/global/stations/%2.html")
                                         .arg(host.address(), QLatin1String(row.station)));
        EXPECT_EQ(form->windowTitle(), QLatin1String(row.caption));
    }
}

TEST_F(Conditions, AbortDuringTheUsagePingEndsTheWholeCommand) {
    ScriptedServer slow_maker({{ScriptedServer::read_request(), ScriptedServer::delay(4000),
                                ScriptedServer::send("HTTP/1.0 200 OK\r\n\r\n1")}});
    write_setting(H, QStringLiteral("Maker"),
                  QStringLiteral("127.0.0.1:%1").arg(slow_maker.port()));
    QTimer::singleShot(300, form.get(), [this] { form->mnuAbortconnection->trigger(); });
    fetch(QStringLiteral("Austin, TX"));
    EXPECT_EQ(desktop.messages(), QStringList{QStringLiteral("Socket readln aborted")});
    EXPECT_FALSE(statuses.contains(QStringLiteral("Connection process complete...")));
    EXPECT_FALSE(statuses.contains(QStringLiteral("Usage ping failed...")));
    EXPECT_TRUE(state.request_url.isEmpty());
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Nimbrix"));
    EXPECT_EQ(state.counter_sent, QStringLiteral("Y"));
    EXPECT_FALSE(form->NMHTTP1->busy());
}
