#pragma once

#include "textproducts/text_cleaning.h"

#include <QMainWindow>
#include <QString>

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QStatusBar;
class QTimer;
class QWindow;
class Desktop;
class MainWindowKeeper;
class OuterCentring;
class TNMHTTP;
struct ProgramState;

// The window in which every text product is shown: the text area, an input row for a county,
// a census state or a zip, "&Get it", a status line and a small menu (background colour, font
// size, print, close, help). Activation decides whether the product is fetched at once or
// after "&Get it"; while the window is shown the main window is minimized.
class TfrmForecast : public QMainWindow {
    Q_OBJECT
public:
    // `main_window` is read for its caption; `keeper` minimizes it while this window is shown
    // and gives it back as it was when this window closes.
    TfrmForecast(ProgramState& state, Desktop& desktop, TNMHTTP& client, QWidget& main_window,
                 MainWindowKeeper& keeper);

    // A product command of the main window: the code, then the window shown and activated.
    void show_product(const QString& code);

    // The status line, where every text of a retrieval goes (and the client's progress texts
    // while xcast_code is set).
    void set_status(const QString& text);
    QString status_text() const;

    void FormShow();
    void FormActivate();
    void FormResize();
    void FormClose();
    void btnGetitClick();
    void mnubgColorClick();
    void mnuLargefontClick();
    void mnuSmallfontClick();
    void mnuPrintClick();
    void mnuCloseClick();
    void mnuHelpClick();

    // The retrieval of the product in xcast_code, and the census inputs of "s1" and "s2". A
    // retrieval while the client is busy is refused with "Already connected" before anything
    // changes.
    void get_xcast();
    void process_s1s2();

    // The program's focus moved to `now` (nullptr: to another application). The window counts
    // as activated when it gets the focus on its first showing or from another window of this
    // program; a switch back from another application does not fetch again.
    void focus_window_changed(QWindow* now);

    // The font name the text area had before a product switched it to the fixed font; empty
    // until then.
    const QString& remembered_font() const { return remembered_font_; }

    QPlainTextEdit* txtForecast;
    QLabel* lblCounty;
    QLineEdit* editCounty;
    QLabel* lblState;
    QComboBox* cboState;
    QLabel* lblZip;
    QLineEdit* txtZip;
    QPushButton* btnGetit;
    QStatusBar* StatusBar1;
    QMenuBar* MenuForecast;
    QMenu *mnuOptions, *mnuFontSize;
    QAction *mnubgColor, *mnuLargefont, *mnuSmallfont, *mnuPrint, *mnuClose, *mnuHelp;

Q_SIGNALS:
    // Raised for every text put into the status line, in order.
    void status_changed(const QString& text);

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    QWidget* create_text_area();
    void create_input_rows(QWidget* client);
    void create_status_bar();
    void create_menu();
    void run(void (TfrmForecast::*handler)());
    // The window's outer size (frame included), and its height: the H of the layout rule.
    QSize outer_size() const;
    int outer_height() const;
    void set_text_height(int height);
    void set_font_size(int points);
    // Remembers the text area's font name and switches it to the fixed font.
    void switch_to_fixed_font();
    void show_text(const QByteArray& text);
    // The steps of get_xcast after the download.
    void show_product_text(const QString& code, QByteArray body);
    void parse_level2(QByteArray& body);
    void show_warnings(const QByteArray& body);
    void show_county(CastKind kind, const QByteArray& body);
    void repaint_now();
    // A product that starts at once, chosen while the client was busy: fetched once it is free
    // (and only while the window still serves such a product).
    void fetch_queued();

    ProgramState& state_;
    Desktop& desktop_;
    TNMHTTP& client_;
    QWidget& main_;
    MainWindowKeeper& keeper_;
    QLabel* status_label_;
    QString remembered_font_;
    // Some window of this program had the focus before the last change (the window itself may
    // be gone since: a closed message box).
    bool focus_was_in_program_ = false;
    bool first_activation_pending_ = false;
    // A retrieval of this window runs, for this code.
    bool fetching_ = false;
    QString fetching_code_;
    QTimer* queued_fetch_ = nullptr;
    // An activation runs; the focus left the window while one ran.
    bool activating_ = false;
    bool left_during_activation_ = false;
    OuterCentring* centring_ = nullptr;
};

// "Forecast - &HTML Version": a GET of the conditions host's root whose answer is dropped,
// then the same address in the browser.
void open_html_forecast(TNMHTTP& client, Desktop& desktop);
