#pragma once

// What a window that stands in front of the main window while it shows (a picture, a
// bulletin) needs of it: the main window is minimized to the taskbar, never hidden to the tray,
// and goes back to the state the user had it in when that window closes (a window hidden in
// the tray stays hidden).
class MainWindowKeeper {
public:
    virtual ~MainWindowKeeper() = default;
    virtual void minimize_main() = 0;
    virtual void restore_main() = 0;
};
