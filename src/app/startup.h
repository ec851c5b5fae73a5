#pragma once

#include <memory>

class Desktop;
class TForm1;
class TfrmForecast;
class TfrmLocation;
class TfrmPleaseWait;
struct ProgramState;

// The windows of one run, in the order the start-up creates them.
struct ProgramWindows {
    std::unique_ptr<TForm1> Form1;
    std::unique_ptr<TfrmPleaseWait> frmPleaseWait;
    // Windows created behind the splash, each followed by a gauge step, are added here.
    std::unique_ptr<TfrmForecast> frmForecast;
    TfrmLocation* frmLocation = nullptr; // owned by the main window
    ~ProgramWindows();
};

// The start-up sequence: the main window (shown as it is created), the splash with its
// needle gauge, the other windows with their gauge steps, then the gauge at 100. The main
// window's first paint hides the splash.
std::unique_ptr<ProgramWindows> create_program_windows(ProgramState& state, Desktop& desktop);

// The program entry: application settings, the start-up sequence and the event loop.
int run_program(int argc, char** argv);
