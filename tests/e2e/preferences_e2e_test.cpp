// The preferences and the version check in the whole program against nimbrix-host.
#include "app/main_window.h"
#include "app/startup.h"
#include "settings/preferences_window.h"
#include "settings/settings_store.h"
#include "shared/program_state.h"
#include "support/host_process.h"
#include "support/recording_desktop.h"
#include "support/temp_settings.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

const QString H = QStringLiteral("Hosts");

std::unique_ptr<ProgramWindows> start_program(ProgramState& state, Desktop& desktop) {
    auto windows = create_program_windows(state, desktop);
    windows->Form1->timer_startup->stop();
    windows->Form1->Timer1->stop();
    return windows;
}

} // namespace

TEST(PreferencesE2E, MetricChosenInGeneralPreferencesShowsTheNextRefreshInMetric) {
    TempSettings store;
    HostProcess host{QStringLiteral(NIMBRIX_HOST_BINARY)};
    ASSERT_TRUE(host.running());
    write_setting(H, QStringLiteral("Conditions"), host.address());
    write_setting(H, QStringLiteral("Maker"), host.address());
    ProgramState state;
    RecordingDesktop desktop;
    auto windows = start_program(state, desktop);
    TForm1& form = *windows->Form1;

    const auto fetch = [&] {
        form.set_preset_item(0, QStringLiteral("Chicago, IL"));
        form.mnuViewStats[0]->trigger();
        return form.lblTemp2->text();
    };
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^-?\\d+\u00b0F$")).match(fetch()).hasMatch());

    form.mnuGeneralPreferences1->trigger();
    TfrmPref& preferences = *windows->preferences();
    ASSERT_TRUE(preferences.isVisible());
    EXPECT_TRUE(preferences.radioEnglish->isChecked());
    preferences.radioMetric->setChecked(true);
    preferences.btnOkay->click();
    EXPECT_FALSE(preferences.isVisible());

    const QString metric = fetch();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^-?\\d+\u00b0 C *$")).match(metric).hasMatch())
        << metric.toStdString();
    EXPECT_EQ(desktop.messages(),
              QStringList{QStringLiteral("Location added to Get_Stats presets: Chicago, IL")});
}

TEST(PreferencesE2E, VersionCheckAgainstThePublishedVersion) {
    const struct {
        QStringList arguments;
        const char* message;
    } rows[] = {
        {{}, "Your version is the most current (1.30.7.2). The latest version is 1.30.7.2."},
        {{"--published-version", "1.31.0.0"},
         "You are using an older version (1.30.7.2). The latest version is 1.31.0.0."},
    };
    for (const auto& row : rows) {
        TempSettings store;
        HostProcess host{QStringLiteral(NIMBRIX_HOST_BINARY), row.arguments};
        ASSERT_TRUE(host.running());
        write_setting(H, QStringLiteral("Maker"), host.address());
        ProgramState state;
        RecordingDesktop desktop;
        auto windows = start_program(state, desktop);
        windows->Form1->CheckforUpdate1->trigger();
        EXPECT_EQ(desktop.messages(), QStringList{QLatin1String(row.message)});
        EXPECT_EQ(windows->Form1->status_text(), QStringLiteral("Thank you for using Nimbrix..."));
    }
}
