#pragma once

#include <QWidget>

class QLabel;
class NeedleGauge;

// The borderless splash shown while the windows are created; the main window's first paint
// hides it.
class TfrmPleaseWait : public QWidget {
    Q_OBJECT
public:
    // Places itself 70 pixels below and 35 to the right of the main window's top-left corner
    // and paints at once (the event loop is not running yet).
    explicit TfrmPleaseWait(QWidget* main_window);

    // Moves the needle and repaints at once.
    void set_progress(int value);

    QLabel* lblPleaseWait;
    NeedleGauge* Gauge1;
};
