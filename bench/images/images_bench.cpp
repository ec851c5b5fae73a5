// Prints the image figures, each measured side by side in this run (best of several
// alternating runs on each side):
//   images.jpeg_decode_ratio_vs_djpeg  djpeg's time for a 12-megapixel JPEG (a process writing
//                                      to /dev/null) / our in-process decode of the same file
//   images.fetch_to_picture_ratio      our time from the image command to the picture set in
//                                      the window (offscreen) for a 4-megapixel JPEG served by
//                                      nimbrix-host / the time of curl fetching it plus djpeg
//                                      decoding it
#include "bench_support.h"
#include "images/image_commands.h"
#include "images/image_window.h"
#include "images/jpeg_decoder.h"
#include "net/nmhttp.h"
#include "shared/program_state.h"
#include "support/host_process.h"
#include "support/recording_desktop.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <limits>

namespace {

constexpr int rounds = 5;

class NoMain : public ImageHost {
public:
    void set_status(const QString&) override {}
    void repaint_now() override {}
    void minimize_main() override {}
    void restore_main() override {}
};

bool run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(program, arguments);
    return process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

double seconds(const std::function<void()>& work) {
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e9;
}

void fail(const char* what) {
    std::fprintf(stderr, "images_bench: %s\n", what);
    std::exit(1);
}

} // namespace

int main(int argc, char** argv) {
    quiet_offscreen_windows();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Nimbrix"));
    QTemporaryDir work;
    qputenv("XDG_CACHE_HOME", (work.path() + QStringLiteral("/cache")).toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (work.path() + QStringLiteral("/config")).toLocal8Bit());

    HostProcess host(QStringLiteral(NIMBRIX_HOST_BINARY));
    if (!host.running())
        fail("nimbrix-host did not start");
    const QString base = QStringLiteral("http://") + host.address();

    // 12 megapixels: a camera scene at its largest view.
    const QString large = work.path() + QStringLiteral("/large.jpg");
    if (!run(QStringLiteral("curl"), {QStringLiteral("-sf"), QStringLiteral("-o"), large,
                                      base + QStringLiteral("/recent0.jpg?size=4000x3000")}))
        fail("cannot fetch the 12-megapixel picture");
    double ours = std::numeric_limits<double>::max(), theirs = ours;
    for (int i = 0; i < rounds; ++i) {
        ours = std::min(ours, seconds([&] {
                            if (decode_jpeg_file(large).width != 4000)
                                fail("the picture did not decode");
                        }));
        theirs = std::min(theirs, seconds([&] {
                              run(QStringLiteral("djpeg"),
                                  {QStringLiteral("-outfile"), QStringLiteral("/dev/null"), large});
                          }));
    }
    std::printf("images.jpeg_decode_ratio_vs_djpeg: %.2f\n", theirs / ours);
    std::fflush(stdout);

    // 4 megapixels through the image command and through curl and djpeg.
    const QString path = QStringLiteral("/recent0.jpg?size=2560x1600");
    const QString fetched = work.path() + QStringLiteral("/fetched.jpg");
    run(QStringLiteral("curl"),
        {QStringLiteral("-sf"), QStringLiteral("-o"), fetched, base + path}); // made once
    ProgramState state;
    RecordingDesktop desktop;
    NoMain main_window;
    TNMHTTP client(nullptr);
    QObject::connect(&client, &TNMHTTP::OnSuccess, [&] { state.request_ok = QStringLiteral("Y"); });
    TfrmImage window(state, desktop, main_window);
    ImageCommands images(state, desktop, client, main_window, window);
    ours = theirs = std::numeric_limits<double>::max();
    for (int i = 0; i < rounds; ++i) {
        ours = std::min(ours, seconds([&] {
                            state.request_url = base + path;
                            state.image_file = QStringLiteral("recent0.jpg");
                            images.do_image();
                            if (window.Image1->pixmap().width() != 2560) {
                                std::fprintf(stderr, "%s\n",
                                             qPrintable(desktop.log().join(QLatin1Char('|'))));
                                fail("the picture was not shown");
                            }
                        }));
        window.close();
        theirs =
            std::min(theirs, seconds([&] {
                         run(QStringLiteral("curl"),
                             {QStringLiteral("-sf"), QStringLiteral("-o"), fetched, base + path});
                         run(QStringLiteral("djpeg"),
                             {QStringLiteral("-outfile"), QStringLiteral("/dev/null"), fetched});
                     }));
    }
    std::printf("images.fetch_to_picture_ratio: %.2f\n", ours / theirs);
    return 0;
}
