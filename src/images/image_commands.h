#pragma once

#include <QString>

class Desktop;
class ImageHost;
class TNMHTTP;
class TfrmImage;
struct ImageRow;
struct ProgramState;

// The image commands' download and display, and the wallpaper steps: the main window's
// do_image, do_wallpaper, GetWinDir, set_wallpaper, auto_wallpaper and update_auto_wallpaper.
// Downloads and the working bitmap "nimbrix.bmp" live in the program's working folder.
class ImageCommands {
public:
    ImageCommands(ProgramState& state, Desktop& desktop, TNMHTTP& client, ImageHost& host,
                  TfrmImage& window);

    // One image command of the catalogue: the row's extras, URL, window caption and file, the
    // download, then the row's note. Refused while the client serves another request, before
    // anything changes.
    void command(const ImageRow& row);
    // Downloads request_url into image_file and shows it in the image window (hidden while
    // auto_request is "y"). Errors of the client end the command.
    void do_image();
    // Installs the picture on show (or a working "nimbrix.bmp" left from before) as the
    // wallpaper; false when nothing was installed.
    bool do_wallpaper();
    // Fills win_dir.
    void GetWinDir();
    // Tells the desktop; false (and a status text saying so) when no desktop took it.
    bool set_wallpaper(const QString& path);
    // The automatic wallpaper step after an unattended refresh.
    void auto_wallpaper();
    void update_auto_wallpaper();

    // The folder the installed wallpaper goes to, as GetWinDir found it.
    QString win_dir;

private:
    ProgramState& state_;
    Desktop& desktop_;
    TNMHTTP& client_;
    ImageHost& host_;
    TfrmImage& window_;
};
