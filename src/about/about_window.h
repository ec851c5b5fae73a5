#pragma once

#include "platform/memory_status.h"
#include <QWidget>
#include <functional>

class QLabel;
class QPlainTextEdit;
class Desktop;
class PieGauge;

// The about box: the program's version, the credits, the computer's physical memory (taken
// once, when the box is created) with a pie gauge of the free share, and the links to the
// maker's web site and mail address. Created hidden at start-up; not modal.
class TfrmAbout : public QWidget {
    Q_OBJECT
public:
    // memory gives the figures memshow shows; the system's by default.
    TfrmAbout(Desktop& desktop, QWidget* parent,
              std::function<PhysicalMemory()> memory = physical_memory);

    void lblURLClick();
    void lblEmailClick();
    void FormHelp();

    QLabel* lblVersion;
    QLabel* lblCurrVs;
    QPlainTextEdit* Memo1;
    QLabel* Label1;
    QLabel* lblRAM;
    PieGauge* Ramguage;
    QLabel* lblFreeRAM;
    QLabel* lbltotalRAM;
    QLabel* lblEmail;
    QLabel* lblURL;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void memshow();

    Desktop& desktop_;
    std::function<PhysicalMemory()> memory_;
};
