#include "platform/wallpaper.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

#ifdef Q_OS_WIN
#include <QSettings>
#include <windows.h>
#endif

namespace {

#ifndef Q_OS_WIN
bool run(const QString& program, const QStringList& arguments) {
    if (QStandardPaths::findExecutable(program).isEmpty())
        return false;
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished(5000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}
#endif

} // namespace

bool set_desktop_wallpaper(const QString& bitmap_path, Desktop::WallpaperStyle style) {
    const QString path = QFileInfo(bitmap_path).absoluteFilePath();
    if (!QFileInfo::exists(path))
        return false;
#ifdef Q_OS_WIN
    QSettings desktop(QStringLiteral("HKEY_CURRENT_USER\\Control Panel\\Desktop"),
                      QSettings::NativeFormat);
    desktop.setValue(QStringLiteral("TileWallpaper"),
                     style == Desktop::WallpaperStyle::Tiled ? QStringLiteral("1") : QStringLiteral("0"));
    desktop.setValue(QStringLiteral("WallpaperStyle"), style == Desktop::WallpaperStyle::Stretched
                                                           ? QStringLiteral("2")
                                                           : QStringLiteral("0"));
    desktop.setValue(QStringLiteral("Wallpaper"), path);
    desktop.sync();
    std::wstring wide = path.toStdWString();
    return SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, wide.data(),
                                 SPIF_UPDATEINIFILE | SPIF_SENDCHANGE) != 0;
#else
    const QString uri = QUrl::fromLocalFile(path).toString();
    const QString option = style == Desktop::WallpaperStyle::Tiled       ? QStringLiteral("wallpaper")
                           : style == Desktop::WallpaperStyle::Stretched ? QStringLiteral("stretched")
                                                                         : QStringLiteral("centered");
    const QString schema = QStringLiteral("org.gnome.desktop.background");
    if (run(QStringLiteral("gsettings"), {QStringLiteral("set"), schema, QStringLiteral("picture-uri"), uri})) {
        run(QStringLiteral("gsettings"), {QStringLiteral("set"), schema, QStringLiteral("picture-uri-dark"), uri});
        run(QStringLiteral("gsettings"), {QStringLiteral("set"), schema, QStringLiteral("picture-options"), option});
        return true;
    }
    return run(QStringLiteral("xfconf-query"),
               {QStringLiteral("-c"), QStringLiteral("xfce4-desktop"), QStringLiteral("-p"),
                QStringLiteral("/backdrop/screen0/monitor0/workspace0/last-image"),
                QStringLiteral("-s"), path});
#endif
}
