#pragma once

#include <QString>
#include <span>

// What an image command does besides the download.
enum class ImageExtra {
    None,
    Animate,           // before the download: GIFImage1's animation on
    AnimateFromFrame2, // before the download: animation on and the current frame set to 2
    PlainWindow,       // before the download: the image window loses its maximize button and
                       // turns white until it closes
};

// One image command of the main window's menus.
struct ImageRow {
    const char* item;           // menu item name ("mnuUSRadarPurdue")
    const char* caption;        // menu caption
    const char* menu;           // name of the menu the item sits in
    const char* file;           // local file name, also the client's Body
    const char* window_caption; // caption of the image window
    const char* role;           // host role (host table)
    const char* path;           // URL path on that host
    ImageExtra extra;
    const char* note; // message shown after the download (also a failed one), or null
};

// The 59 image commands in menu order within each menu.
std::span<const ImageRow> image_catalogue();

// The row of a menu item; null when the item is not an image command.
const ImageRow* find_image_row(const QString& item);

// "http://" + the role's host + path.
QString image_url(const ImageRow& row);

// True when the picture goes to the GIF control: the upper-cased name contains ".GIF".
bool is_gif_file(const QString& file);
