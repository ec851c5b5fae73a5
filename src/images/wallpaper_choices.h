#pragma once

#include <QString>

// One image the automatic wallpaper can fetch: the "AutoWallpaper" value that names it, its
// host role, path and local file.
struct WallpaperChoice {
    const char* value;
    const char* role;
    const char* path;
    const char* file;
};

// The choice stored under value, compared exactly ("&&" included); null for "None",
// "U.S. StormWatch", "n/a" and every other value, which fetch nothing.
const WallpaperChoice* auto_wallpaper_choice(const QString& value);
