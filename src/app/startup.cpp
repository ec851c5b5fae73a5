#include "app/startup.h"

#include "app/main_window.h"
#include "app/program_state.h"
#include "app/splash.h"
#include "locations/location_chooser.h"
#include "platform/qt_desktop.h"
#include "textproducts/forecast_window.h"

#include <QApplication>
#include <QIcon>

ProgramWindows::~ProgramWindows() {
    // The splash refers to nothing; the forecast window uses the main window's client; the main
    // window goes last, taking the tray icon with it.
    frmPleaseWait.reset();
    frmForecast.reset();
    Form1.reset();
}

std::unique_ptr<ProgramWindows> create_program_windows(ProgramState& state, Desktop& desktop) {
    auto windows = std::make_unique<ProgramWindows>();
    windows->Form1 = std::make_unique<TForm1>(state, desktop);
    windows->Form1->show();
    windows->frmPleaseWait = std::make_unique<TfrmPleaseWait>(windows->Form1.get());
    windows->Form1->set_splash(windows->frmPleaseWait.get());
    windows->frmForecast =
        std::make_unique<TfrmForecast>(state, desktop, *windows->Form1->NMHTTP1, *windows->Form1);
    TfrmForecast* forecast = windows->frmForecast.get();
    windows->Form1->forecast_status = [forecast](const QString& text) { forecast->set_status(text); };
    windows->frmPleaseWait->set_progress(35);
    // The chooser fills its 2006-node tree while the tree does not paint; no gauge step.
    windows->frmLocation = new TfrmLocation(state, desktop, *windows->Form1);
    windows->Form1->set_chooser(windows->frmLocation);
    windows->frmPleaseWait->set_progress(100);
    return windows;
}

int run_program(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Nimbrix"));
    QApplication::setApplicationVersion(QStringLiteral(NIMBRIX_VERSION));
    QApplication::setWindowIcon(program_icon());
    QApplication::setQuitOnLastWindowClosed(false);

    ProgramState state;
    QtDesktop desktop;
    auto windows = create_program_windows(state, desktop);
    desktop.set_dialog_parent(windows->Form1.get());
    const int code = QApplication::exec();
    windows.reset();
    return code;
}
