#pragma once

#include <QWidget>

class Desktop;
class QTextBrowser;

// The program's help: the bundled HTML pages (":/help/index.html" is the contents page) in a
// window of its own with Back and Contents buttons.
class HelpWindow : public QWidget {
    Q_OBJECT
public:
    // Its buttons run through the desktop's error report.
    explicit HelpWindow(Desktop& desktop, QWidget* parent = nullptr);

    // Shows the window at the contents page and brings it to the front.
    void show_contents();
    QTextBrowser* browser() const { return browser_; }

private:
    QTextBrowser* browser_;
};
