#pragma once

#include <QString>

class TForm1;

// Waits until the main window shows a location's conditions (its caption names the location),
// saves a picture of the window to the file and ends the event loop: 0 when saved, 1 when no
// conditions came within the time or the file could not be written.
void save_window_shot_when_ready(TForm1& form, const QString& file, int wait_ms = 60000);
