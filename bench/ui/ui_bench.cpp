// Prints the figures of what the user waits for in the windows, each the median of the round
// ratios, every round timing ours and then curl fetching the same page from the same
// nimbrix-host:
//   ui.preset_to_labels_ratio_vs_curl  a preset chosen from "Get Stats" until every value
//                                      label shows the new place / curl fetching its page
//   ui.product_to_text_ratio_vs_curl   a bulletin chosen from "Information" until its text
//                                      shows in the forecast window / curl fetching its page
// The windows are the program's own, made by its start-up sequence (offscreen).
#include "app/main_window.h"
#include "app/startup.h"
#include "bench_support.h"
#include "settings/settings_store.h"
#include "shared/program_state.h"
#include "support/host_process.h"
#include "support/recording_desktop.h"
#include "support/temp_settings.h"
#include "textproducts/forecast_window.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int rounds = 11;

[[noreturn]] void fail(const QString& what) {
    std::fprintf(stderr, "ui_bench: %s\n", qPrintable(what));
    std::exit(1);
}

double seconds(const std::function<void()>& work) {
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e9;
}

double curl_seconds(const QString& url) {
    return seconds([&] {
        QProcess curl;
        curl.setStandardOutputFile(QProcess::nullDevice());
        curl.start(QStringLiteral("curl"), {QStringLiteral("-sf"), url});
        if (!curl.waitForFinished(60000) || curl.exitStatus() != QProcess::NormalExit ||
            curl.exitCode() != 0)
            fail(QStringLiteral("curl could not fetch ") + url);
    });
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Runs the event loop until done() holds; fails after 30 seconds.
void wait_until(const std::function<bool()>& done, const char* what) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > 30000)
            fail(QStringLiteral("timed out waiting for ") + QLatin1String(what));
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
}

struct Place {
    QString location; // the preset
    QString path;     // its page on the host
};

} // namespace

int main(int argc, char** argv) {
    quiet_offscreen_windows();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Nimbrix"));
    TempSettings store;
    HostProcess host(QStringLiteral(NIMBRIX_HOST_BINARY));
    if (!host.running())
        fail(QStringLiteral("nimbrix-host did not start"));
    const QString base = QStringLiteral("http://") + host.address();
    for (const char* role : {"Conditions", "Maker", "NWS", "Census", "CensusLookup"})
        write_setting(QStringLiteral("Hosts"), QLatin1String(role), host.address());
    // Two presets, chosen in turn, so that every round shows a new place.
    const Place places[] = {
        {QStringLiteral("Chicago, IL"), QStringLiteral("/US/IL/Chicago.html")},
        {QStringLiteral("Springfield, IL"), QStringLiteral("/US/IL/Springfield.html")}};
    write_setting(QStringLiteral("Locations"), QStringLiteral("loc0"), places[0].location);
    write_setting(QStringLiteral("Locations"), QStringLiteral("loc1"), places[1].location);

    ProgramState state;
    RecordingDesktop desktop;
    auto windows = create_program_windows(state, desktop);
    TForm1& form = *windows->Form1;
    form.timer_startup->stop();
    form.Timer1->stop();
    QLabel* const values[] = {form.lblsky2,     form.lblTemp2,      form.lblHumid2,
                              form.lblPress2,   form.lblWind2,      form.lblVisible2,
                              form.lblSunrise2, form.lblSunset2,    form.lblMoonRise2,
                              form.lblMoonSet2, form.lblWindChill2, form.lblHeatIndex2};
    const auto choose = [&](int n) {
        form.mnuViewStats[size_t(n)]->trigger();
        const QString caption = QStringLiteral("Nimbrix - ") + places[n].location;
        wait_until(
            [&] {
                return form.windowTitle() == caption &&
                       std::all_of(std::begin(values), std::end(values),
                                   [](QLabel* l) { return !l->text().trimmed().isEmpty(); });
            },
            "the value labels");
        QCoreApplication::processEvents(); // the labels' paint
    };
    choose(1); // the once-per-run usage ping goes out here

    std::vector<double> ratios;
    for (int i = 0; i < rounds; ++i) {
        const int n = i % 2;
        const double ours = seconds([&] { choose(n); });
        ratios.push_back(ours / curl_seconds(base + places[n].path));
    }
    if (!desktop.events.isEmpty())
        fail(QStringLiteral("the presets showed boxes: ") + desktop.log().join(QLatin1Char('|')));
    std::printf("ui.preset_to_labels_ratio_vs_curl: %.2f\n", median(ratios));
    std::fflush(stdout);

    // The public information statement for the state of the place shown (IL), fetched as the
    // forecast window is activated.
    const auto bulletin = [&] {
        form.PublicInformation1->trigger();
        const TfrmForecast* forecast = form.frmForecast.made();
        wait_until(
            [&] {
                return forecast && forecast->isVisible() &&
                       forecast->txtForecast->toPlainText().contains(
                           QLatin1String("PUBLIC INFORMATION STATEMENT"));
            },
            "the bulletin text");
        QCoreApplication::processEvents(); // the text's paint
    };
    ratios.clear();
    for (int i = 0; i < rounds; ++i) {
        const double ours = seconds(bulletin);
        form.frmForecast.made()->mnuClose->trigger();
        QCoreApplication::processEvents();
        ratios.push_back(ours / curl_seconds(base + QStringLiteral("/iwin/IL/public.html")));
    }
    if (!desktop.events.isEmpty())
        fail(QStringLiteral("the bulletin showed boxes: ") + desktop.log().join(QLatin1Char('|')));
    std::printf("ui.product_to_text_ratio_vs_curl: %.2f\n", median(ratios));
    return 0;
}
