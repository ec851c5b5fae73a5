#include "platform/wallpaper.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

#ifdef Q_OS_WIN
#include <QSettings>
#include <windows.h>
#else
#include <QDBusConnection>
#include <QDBusMessage>
#endif

namespace {

const QString xfce_channel = QStringLiteral("xfce4-desktop");

// A text as a quoted script literal, whatever characters the path holds.
QString script_string(const QString& text) {
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(array.mid(1, array.size() - 2));
}

bool gnome(const QString& uri, Desktop::WallpaperStyle style, WallpaperCalls& calls) {
    const QString gsettings = QStringLiteral("gsettings");
    const QString schema = QStringLiteral("org.gnome.desktop.background");
    const auto set = [&](const char* key, const QString& value) {
        const auto result =
            calls.run(gsettings, {QStringLiteral("set"), schema, QLatin1String(key), value});
        return result.ran && result.exit_code == 0;
    };
    if (!set("picture-uri", uri))
        return false;
    set("picture-uri-dark", uri); // older versions lack the dark picture
    set("picture-options", style == Desktop::WallpaperStyle::Tiled ? QStringLiteral("wallpaper")
                           : style == Desktop::WallpaperStyle::Stretched
                               ? QStringLiteral("stretched")
                               : QStringLiteral("centered"));
    return true;
}

bool kde(const QString& uri, Desktop::WallpaperStyle style, WallpaperCalls& calls) {
    // The image plug-in's fill modes: 0 stretch, 3 tile, 6 centred at natural size.
    const int fill = style == Desktop::WallpaperStyle::Tiled       ? 3
                     : style == Desktop::WallpaperStyle::Stretched ? 0
                                                                   : 6;
    const QString script =
        QStringLiteral(
            "var all = desktops();\n"
            "for (var i = 0; i < all.length; i++) {\n"
            "    var d = all[i];\n"
            "    d.wallpaperPlugin = \"org.kde.image\";\n"
            "    d.currentConfigGroup = [\"Wallpaper\", \"org.kde.image\", \"General\"];\n"
            "    d.writeConfig(\"Image\", %1);\n"
            "    d.writeConfig(\"FillMode\", %2);\n"
            "}\n")
            .arg(script_string(uri))
            .arg(fill);
    return calls.dbus_call(QStringLiteral("org.kde.plasmashell"), QStringLiteral("/PlasmaShell"),
                           QStringLiteral("org.kde.PlasmaShell"), QStringLiteral("evaluateScript"),
                           {script});
}

bool xfce(const QString& path, Desktop::WallpaperStyle style, WallpaperCalls& calls) {
    const QString program = QStringLiteral("xfconf-query");
    // Image styles: 1 centred, 2 tiled, 3 stretched.
    const QString image_style = style == Desktop::WallpaperStyle::Tiled       ? QStringLiteral("2")
                                : style == Desktop::WallpaperStyle::Stretched ? QStringLiteral("3")
                                                                              : QStringLiteral("1");
    const auto listed =
        calls.run(program, {QStringLiteral("-c"), xfce_channel, QStringLiteral("-l")});
    if (!listed.ran)
        return false;
    QStringList images;
    for (const QByteArray& line : listed.out.split('\n')) {
        const QString property = QString::fromUtf8(line.trimmed());
        if (property.startsWith(QLatin1String("/backdrop/")) &&
            property.endsWith(QLatin1String("/last-image")))
            images << property;
    }
    const auto set = [&](const QString& property, const QString& type, const QString& value,
                         bool create) {
        QStringList arguments{QStringLiteral("-c"), xfce_channel, QStringLiteral("-p"), property};
        if (create)
            arguments << QStringLiteral("-n") << QStringLiteral("-t") << type;
        arguments << QStringLiteral("-s") << value;
        const auto result = calls.run(program, arguments);
        return result.ran && result.exit_code == 0;
    };
    const bool create = images.isEmpty(); // a desktop never given a picture: the first monitor
    if (create)
        images << QStringLiteral("/backdrop/screen0/monitor0/workspace0/last-image");
    bool all = true;
    for (const QString& property : images) {
        all = set(property, QStringLiteral("string"), path, create) && all;
        const QString style_property =
            property.chopped(int(qstrlen("last-image"))) + QStringLiteral("image-style");
        set(style_property, QStringLiteral("int"), image_style, create);
    }
    return all;
}

bool portal(const QString& uri, WallpaperCalls& calls) {
    const QVariantMap options{{QStringLiteral("show-preview"), false},
                              {QStringLiteral("set-on"), QStringLiteral("background")}};
    return calls.dbus_call(QStringLiteral("org.freedesktop.portal.Desktop"),
                           QStringLiteral("/org/freedesktop/portal/desktop"),
                           QStringLiteral("org.freedesktop.portal.Wallpaper"),
                           QStringLiteral("SetWallpaperURI"),
                           {QString(), uri, QVariant::fromValue(options)});
}

#ifndef Q_OS_WIN
class SystemCalls : public WallpaperCalls {
public:
    Output run(const QString& program, const QStringList& arguments) override {
        Output output;
        const QString executable = QStandardPaths::findExecutable(program);
        if (executable.isEmpty())
            return output;
        QProcess process;
        process.start(executable, arguments);
        if (!process.waitForFinished(5000)) {
            process.kill();
            process.waitForFinished(1000);
            return output;
        }
        output.ran = process.exitStatus() == QProcess::NormalExit;
        output.exit_code = process.exitCode();
        output.out = process.readAllStandardOutput();
        return output;
    }

    bool dbus_call(const QString& service, const QString& path, const QString& interface,
                   const QString& method, const QVariantList& arguments) override {
        QDBusConnection bus = QDBusConnection::sessionBus();
        if (!bus.isConnected())
            return false;
        QDBusMessage call = QDBusMessage::createMethodCall(service, path, interface, method);
        call.setArguments(arguments);
        return bus.call(call, QDBus::Block, 5000).type() == QDBusMessage::ReplyMessage;
    }
};
#endif

} // namespace

DesktopFamily desktop_family(const QString& xdg_current_desktop) {
    const QStringList gnome_family{
        QStringLiteral("GNOME"), QStringLiteral("GNOME-Classic"), QStringLiteral("GNOME-Flashback"),
        QStringLiteral("Unity"), QStringLiteral("Budgie"),        QStringLiteral("Pantheon")};
    for (const QString& name : xdg_current_desktop.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        if (gnome_family.contains(name.trimmed(), Qt::CaseInsensitive))
            return DesktopFamily::Gnome;
        if (name.trimmed().compare(QLatin1String("KDE"), Qt::CaseInsensitive) == 0)
            return DesktopFamily::Kde;
        if (name.trimmed().compare(QLatin1String("XFCE"), Qt::CaseInsensitive) == 0)
            return DesktopFamily::Xfce;
    }
    return DesktopFamily::Other;
}

bool set_desktop_wallpaper(const QString& bitmap_path, Desktop::WallpaperStyle style,
                           DesktopFamily family, WallpaperCalls& calls) {
    const QString path = QFileInfo(bitmap_path).absoluteFilePath();
    const QString uri = QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded);
    bool done = false;
    switch (family) {
    case DesktopFamily::Gnome:
        done = gnome(uri, style, calls);
        break;
    case DesktopFamily::Kde:
        done = kde(uri, style, calls);
        break;
    case DesktopFamily::Xfce:
        done = xfce(path, style, calls);
        break;
    case DesktopFamily::Other:
        break;
    }
    return done || portal(uri, calls);
}

bool set_desktop_wallpaper(const QString& bitmap_path, Desktop::WallpaperStyle style) {
    const QString path = QFileInfo(bitmap_path).absoluteFilePath();
    if (!QFileInfo::exists(path))
        return false;
#ifdef Q_OS_WIN
    // One centred picture: not tiled, not stretched, no offset.
    Q_UNUSED(style);
    QSettings desktop(QStringLiteral("HKEY_CURRENT_USER\\Control Panel\\Desktop"),
                      QSettings::NativeFormat);
    desktop.setValue(QStringLiteral("Wallpaper"), QDir::toNativeSeparators(path));
    desktop.setValue(QStringLiteral("TileWallpaper"), QStringLiteral("0"));
    desktop.setValue(QStringLiteral("WallpaperStyle"), QStringLiteral("0"));
    desktop.setValue(QStringLiteral("WallpaperOriginX"), QStringLiteral("0"));
    desktop.setValue(QStringLiteral("WallpaperOriginY"), QStringLiteral("0"));
    desktop.sync();
    // The system reads the values just written and tells the running programs; its answer is
    // not looked at.
    SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, nullptr, SPIF_SENDWININICHANGE);
    return true;
#else
    SystemCalls calls;
    return set_desktop_wallpaper(
        path, style, desktop_family(qEnvironmentVariable("XDG_CURRENT_DESKTOP")), calls);
#endif
}

QString windows_directory() {
#ifdef Q_OS_WIN
    wchar_t buffer[25];
    const UINT length = GetWindowsDirectoryW(buffer, 25);
    if (length == 0 || length >= 25) // no answer, or a name that does not fit
        return QString();
    return QString::fromWCharArray(buffer, int(length));
#else
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (folder.isEmpty() || !QDir().mkpath(folder))
        return QString();
    return folder;
#endif
}
