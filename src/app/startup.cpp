#include "app/startup.h"

#include "about/about_window.h"
#include "app/command_line.h"
#include "app/main_window.h"
#include "app/splash.h"
#include "app/window_shot.h"
#include "images/image_commands.h"
#include "images/image_window.h"
#include "locations/location_chooser.h"
#include "platform/qt_desktop.h"
#include "platform/single_instance.h"
#include "settings/preferences_window.h"
#include "settings/settings_store.h"
#include "shared/program_state.h"
#include "textproducts/forecast_window.h"

#include <QApplication>
#include <QIcon>
#include <cstdio>

ProgramWindows::~ProgramWindows() {
    // The store's notices went to the main window, which goes now.
    set_settings_notice(nullptr);
    frmPleaseWait.reset();
    frmForecast.reset();
    images.reset();
    frmImage.reset();
    Form1.reset();
}

TfrmAbout* ProgramWindows::about() {
    return Form1->frmAbout.get();
}

TfrmPref* ProgramWindows::preferences() {
    return Form1->frmPref.get();
}

TfrmLocation* ProgramWindows::chooser() {
    return Form1->frmLocation.get();
}

TfrmImage* ProgramWindows::image_window() {
    Form1->images(); // made with the image commands
    return frmImage.get();
}

TfrmForecast* ProgramWindows::forecast() {
    return Form1->frmForecast.get();
}

std::unique_ptr<ProgramWindows> create_program_windows(ProgramState& state, Desktop& desktop) {
    auto windows = std::make_unique<ProgramWindows>();
    windows->Form1 = std::make_unique<TForm1>(state, desktop);
    windows->Form1->show();
    windows->frmPleaseWait = std::make_unique<TfrmPleaseWait>(windows->Form1.get());
    TForm1& form = *windows->Form1;
    TfrmPleaseWait& splash = *windows->frmPleaseWait;
    form.set_splash(&splash);
    ProgramWindows* const made = windows.get();
    // Each window is made when it is first shown, so a start paints only the main window and
    // the splash; the gauge still takes its steps, one for each window behind it.
    splash.set_progress(10); // the web view
    form.frmAbout.set_maker([&desktop, &form] { return new TfrmAbout(desktop, &form); });
    splash.set_progress(15);
    form.set_preferences_maker([&desktop, &form] {
        return new TfrmPref(desktop, form.proxy_properties(), form.startup_choices, &form);
    });
    splash.set_progress(20);
    form.set_images_maker([made, &state, &desktop, &form] {
        made->frmImage = std::make_unique<TfrmImage>(state, desktop, form);
        made->images =
            std::make_unique<ImageCommands>(state, desktop, *form.NMHTTP1, form, *made->frmImage);
        return made->images.get();
    });
    splash.set_progress(25);
    form.frmForecast.set_maker([made, &state, &desktop, &form] {
        made->frmForecast =
            std::make_unique<TfrmForecast>(state, desktop, *form.NMHTTP1, form, form);
        return made->frmForecast.get();
    });
    // The client's progress texts go to the forecast window only while it serves a product, so
    // only once it is made.
    form.forecast_status = [&form](const QString& text) {
        if (TfrmForecast* forecast = form.frmForecast.made())
            forecast->set_status(text);
    };
    splash.set_progress(35);
    // The chooser fills its 2006-node tree while the tree does not paint; no gauge step.
    form.frmLocation.set_maker(
        [&state, &desktop, &form] { return new TfrmLocation(state, desktop, form, &form); });
    splash.set_progress(100);
    // The settings store's notice (lines of the file it cannot read) goes to the status panel,
    // also when the windows' first reads met them.
    set_settings_notice(
        [form = windows->Form1.get()](const QString& text) { form->set_status(text); });
    return windows;
}

bool bring_to_front(TForm1& form) {
    form.run_command([&form] { form.pitshowClick(); });
    return form.isVisible() && !form.isMinimized();
}

namespace {

QStringList arguments_of(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

void print(std::FILE* stream, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fflush(stream);
}

} // namespace

int run_program(int argc, char** argv) {
    // --help and --version are answered before the application object, which needs a display.
    const CommandLine early = parse_command_line(arguments_of(argc, argv));
    if (early.action == CommandLine::Action::Help) {
        print(stdout, command_line_help());
        return 0;
    }
    if (early.action == CommandLine::Action::Version) {
        print(stdout, command_line_version());
        return 0;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Nimbrix"));
    QApplication::setApplicationVersion(QStringLiteral(NIMBRIX_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("org.nimbrix.Nimbrix"));
    QApplication::setWindowIcon(program_icon());
    QApplication::setQuitOnLastWindowClosed(false);

    // The windowing system's own options are gone from the arguments now.
    const CommandLine command = parse_command_line(QApplication::arguments());
    if (command.action == CommandLine::Action::Error) {
        print(stderr, QStringLiteral("nimbrix: %1\nTry 'nimbrix --help'.\n").arg(command.error));
        return 2;
    }

    // A picture for the build is taken beside a running program, not instead of it.
    SingleInstance instance;
    if (command.screenshot_file.isEmpty()) {
        switch (instance.claim()) {
        case SingleInstance::Claim::AlreadyRunning:
            print(stdout, instance.running_window_shown()
                              ? QStringLiteral("Nimbrix is already running (process %1); its "
                                               "window is in front now.\n")
                                    .arg(instance.running_pid())
                              : QStringLiteral("Nimbrix is already running.\n"));
            return 0;
        case SingleInstance::Claim::Failed:
            print(stderr, QStringLiteral("nimbrix: cannot watch for a second start (%1); running "
                                         "anyway.\n")
                              .arg(instance.error_text()));
            break;
        case SingleInstance::Claim::First:
            break;
        }
    }

    ProgramState state;
    QtDesktop desktop;
    auto windows = create_program_windows(state, desktop);
    desktop.set_dialog_parent(windows->Form1.get());
    TForm1& form = *windows->Form1;
    instance.on_activate = [&form] { return bring_to_front(form); };
    if (!command.screenshot_file.isEmpty())
        save_window_shot_when_ready(form, command.screenshot_file);
    const int code = QApplication::exec();
    instance.on_activate = nullptr;
    windows.reset();
    return code;
}
