#pragma once

#include "platform/desktop.h"

#include <QByteArray>
#include <QStringList>
#include <QVariantList>

// What the wallpaper layer asks of the system: programs to run and calls on the session bus.
// The program uses the real ones; tests record them and script the answers.
class WallpaperCalls {
public:
    struct Output {
        bool ran = false; // false when the program is not installed or did not finish in time
        int exit_code = -1;
        QByteArray out; // what it wrote to its standard output
    };

    virtual ~WallpaperCalls() = default;
    virtual Output run(const QString& program, const QStringList& arguments) = 0;
    // A method call on the session bus; true when it was answered without an error.
    virtual bool dbus_call(const QString& service, const QString& path, const QString& interface,
                           const QString& method, const QVariantList& arguments) = 0;
};

// The desktops whose own wallpaper setting is used; every other one goes through the
// freedesktop wallpaper portal.
enum class DesktopFamily { Gnome, Kde, Xfce, Other };

// The desktop in use, from the value of XDG_CURRENT_DESKTOP (a colon-separated list; the
// first name known here decides).
DesktopFamily desktop_family(const QString& xdg_current_desktop);

// Makes the bitmap the wallpaper of the given desktop, falling back on the portal when the
// desktop's own setting does not answer. False when nothing took it.
bool set_desktop_wallpaper(const QString& bitmap_path, Desktop::WallpaperStyle style,
                           DesktopFamily family, WallpaperCalls& calls);

// The same for the running desktop. Windows: the "Control Panel\Desktop" values (the path,
// not tiled, centred, no offset) and SystemParametersInfo, which reads them.
bool set_desktop_wallpaper(const QString& bitmap_path, Desktop::WallpaperStyle style);

// The folder the installed wallpaper bitmap goes to: on Windows the Windows directory (empty
// when it does not fit the 25 characters the system is given room for), elsewhere the
// per-user data folder, created when missing.
QString windows_directory();
