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

// The windows of one run: the main window and the splash at once, each other window the first
// time it is asked for (by its command, or here).
struct ProgramWindows {
    std::unique_ptr<TForm1> Form1;
    std::unique_ptr<TfrmPleaseWait> frmPleaseWait;
    std::unique_ptr<TfrmImage> frmImage;       // made with the image commands
    std::unique_ptr<ImageCommands> images;     // the image commands and wallpaper steps
    std::unique_ptr<TfrmForecast> frmForecast; // hidden until a product is shown
    ~ProgramWindows();

    // The other windows, made now if they were not yet. The about box, the preferences and the
    // chooser are owned by the main window.
    TfrmAbout* about();
    TfrmPref* preferences();
    TfrmLocation* chooser();
    TfrmImage* image_window();
    TfrmForecast* forecast();
};

// The start-up sequence: the main window (shown as it is created), the splash with its
// needle gauge and its steps for the other windows, which are made when first shown, then the
// gauge at 100. The main window's first paint hides the splash.
std::unique_ptr<ProgramWindows> create_program_windows(ProgramState& state, Desktop& desktop);

// What a later start of the program asks of the running one: the main window comes back (from
// the tray if it was hidden there) and to the front. True when it is shown now.
bool bring_to_front(TForm1& form);

// The program entry: --help and --version (answered without a window), one running program
// per user, then application settings, the start-up sequence and the event loop.
int run_program(int argc, char** argv);
