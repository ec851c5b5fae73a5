#pragma once

#include <memory>

class Desktop;
class ImageCommands;
class TForm1;
class TfrmAbout;
class TfrmForecast;
class TfrmImage;
class TfrmLocation;
class TfrmPleaseWait;
class TfrmPref;
struct ProgramState;

// The windows of one run, in the order the start-up creates them.
struct ProgramWindows {
    std::unique_ptr<TForm1> Form1;
    std::unique_ptr<TfrmPleaseWait> frmPleaseWait;
    // Windows created behind the splash, each followed by a gauge step, are added here.
    TfrmAbout* frmAbout = nullptr;             // owned by the main window
    TfrmPref* frmPref = nullptr;               // owned by the main window
    TfrmLocation* frmLocation = nullptr;       // owned by the main window
    std::unique_ptr<TfrmImage> frmImage;       // hidden until an image is shown
    std::unique_ptr<ImageCommands> images;     // the image commands and wallpaper steps
    std::unique_ptr<TfrmForecast> frmForecast; // hidden until a product is shown
    ~ProgramWindows();
};

// The start-up sequence: the main window (shown as it is created), the splash with its
// needle gauge, the other windows with their gauge steps, then the gauge at 100. The main
// window's first paint hides the splash.
std::unique_ptr<ProgramWindows> create_program_windows(ProgramState& state, Desktop& desktop);

// What a later start of the program asks of the running one: the main window comes back (from
// the tray if it was hidden there) and to the front. True when it is shown now.
bool bring_to_front(TForm1& form);

// The program entry: --help and --version (answered without a window), one running program
// per user, then application settings, the start-up sequence and the event loop.
int run_program(int argc, char** argv);
