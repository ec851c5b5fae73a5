#pragma once

#include "platform/desktop.h"

// Tells the desktop to show the bitmap as its wallpaper. Windows: the "Control Panel\Desktop"
// values and SystemParametersInfo; elsewhere the desktop's own setting through gsettings
// (GNOME and its relatives) or xfconf-query (Xfce). False when no desktop took it.
bool set_desktop_wallpaper(const QString& bitmap_path, Desktop::WallpaperStyle style);
