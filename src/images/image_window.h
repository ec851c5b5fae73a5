#pragma once

#include "platform/main_window_keeper.h"
#include <QMainWindow>
#include <functional>

class Desktop;
class OuterCentring;
class OuterSize;
class QAction;
class QLabel;
class QMenu;
class TGIFImage;
struct ProgramState;

// What the image window and the image commands need from the main window.
class ImageHost : public MainWindowKeeper {
public:
    // Panel 0 of the main window's status bar.
    virtual void set_status(const QString& text) = 0;
    virtual void repaint_now() = 0;
};

// The image window: one downloaded weather image in Image1 (JPEG) or GIFImage1 (GIF), with a
// menu to make it the wallpaper, print it, close the window or open the help. It is created
// hidden at start and reused for every image; closing it deletes the downloaded file.
class TfrmImage : public QMainWindow {
    Q_OBJECT
public:
    TfrmImage(ProgramState& state, Desktop& desktop, ImageHost& host, QWidget* parent = nullptr);
    ~TfrmImage() override;

    // The wallpaper step "Save As Wallpaper" ends in; the image commands plug it in.
    std::function<void()> do_wallpaper;

    // Handlers.
    void FormShow();
    void FormClose();
    void FormDestroy();
    void mnuSaveAsWallpaper1Click();
    void mnuPrint1Click();
    void mnuClose1Click();
    void mnuHelpContentsF11Click();

    // Loads a picture file into Image1 by its extension (".jpg" and ".jpeg" are JPEG), sized to
    // the picture; a file that cannot be decoded is an error with the decoder's reason.
    void load_picture(const QString& path);
    // Sizes are outer sizes, frame and title bar included.
    void set_outer_size(QSize outer);
    // Makes the picture in Image1 or GIFImage1 show whole: the window, normal again, takes the
    // picture's size with its menu bar, status line and frame, within 90 % of the available
    // screen, and stands centred; a larger picture is shown scaled down to fit, its aspect kept
    // (the picture itself stays whole, for the wallpaper). Without a picture the window takes
    // its design size, 332 x 316.
    void show_whole_picture();
    // The picture's natural size; empty without one.
    QSize picture_size() const;
    // The client area as it is on the screen.
    QImage client_image() const;
    // Window background: navy normally, white for the population counters.
    void set_background(const QColor& color);
    // The window's status line, back to " Thank you for using Nimbrix..." when it closes.
    void set_status(const QString& text);

    QWidget* client;
    QLabel* Image1;
    TGIFImage* GIFImage1;
    QLabel* StatusBar1;
    QMenu *mnuOptions, *mnuHelp;
    QAction *mnuSaveAsWallpaper1, *mnuPrint1, *mnuClose1, *mnuHelpContentsF11;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void run(void (TfrmImage::*handler)());
    // Menu bar and status line together, for a client area of this width.
    int bars_height(int client_width) const;
    // The window's size inside its frame that gives the client area this size.
    QSize inner_for_client(QSize client_size) const;
    // The size a picture is shown at: its own, or scaled down to the room the screen leaves.
    QSize fitted_picture_size(QSize picture) const;
    // Sizes the picture control and the window for the picture on show.
    void fit_picture();

    ProgramState& state_;
    Desktop& desktop_;
    ImageHost& host_;
    OuterSize* outer_size_ = nullptr;
    OuterCentring* centring_ = nullptr;
    // The WeatherBank radar stands at its natural size for its capture until the window closes.
    bool natural_capture_ = false;
};
