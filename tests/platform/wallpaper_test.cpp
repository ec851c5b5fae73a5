#include "platform/wallpaper.h"

#include <QMap>
#include <gtest/gtest.h>

namespace {

// Records every program run and bus call; answers from the scripts (unscripted programs are
// not installed, unscripted calls fail).
class RecordingCalls : public WallpaperCalls {
public:
    QMap<QString, Output> programs;  // by program name
    QMap<QString, bool> bus_answers; // by interface
    QStringList log;

    Output run(const QString& program, const QStringList& arguments) override {
        log << program + QLatin1Char(' ') + arguments.join(QLatin1Char(' '));
        return programs.value(program);
    }
    bool dbus_call(const QString& service, const QString& path, const QString& interface,
                   const QString& method, const QVariantList& arguments) override {
        QStringList shown;
        for (const QVariant& argument : arguments)
            shown
                << (argument.typeId() == QMetaType::QVariantMap
                        ? QStringLiteral("{show-preview=%1, set-on=%2}")
                              .arg(
                                  argument.toMap().value(QStringLiteral("show-preview")).toString(),
                                  argument.toMap().value(QStringLiteral("set-on")).toString())
                        : argument.toString());
        log << QStringLiteral("dbus %1 %2 %3.%4(%5)")
                   .arg(service, path, interface, method, shown.join(QStringLiteral(", ")));
        return bus_answers.value(interface);
    }
};

const WallpaperCalls::Output ok{true, 0, {}};
const QString bitmap = QStringLiteral("/home/user/My Pictures/nimbrix.bmp");
const QString uri = QStringLiteral("file:///home/user/My%20Pictures/nimbrix.bmp");
const QString portal_call =
    QStringLiteral("dbus org.freedesktop.portal.Desktop /org/freedesktop/portal/desktop "
                   "org.freedesktop.portal.Wallpaper.SetWallpaperURI(, "
                   "file:///home/user/My%20Pictures/nimbrix.bmp, "
                   "{show-preview=false, set-on=background})");

} // namespace

TEST(Wallpaper, TheDesktopIsTakenFromXdgCurrentDesktop) {
    const struct {
        const char* value;
        DesktopFamily family;
    } rows[] = {
        {"GNOME", DesktopFamily::Gnome}, {"ubuntu:GNOME", DesktopFamily::Gnome},
        {"Unity", DesktopFamily::Gnome}, {"Budgie:GNOME", DesktopFamily::Gnome},
        {"KDE", DesktopFamily::Kde},     {"kde", DesktopFamily::Kde},
        {"XFCE", DesktopFamily::Xfce},   {"X-Cinnamon", DesktopFamily::Other},
        {"LXQt", DesktopFamily::Other},  {"", DesktopFamily::Other},
    };
    for (const auto& row : rows)
        EXPECT_EQ(desktop_family(QLatin1String(row.value)), row.family) << row.value;
}

TEST(Wallpaper, EachDesktopIsToldThroughItsOwnSettingOrThePortal) {
    const QString xfce_list = QStringLiteral("xfconf-query -c xfce4-desktop -l");
    const struct {
        const char* name;
        DesktopFamily family;
        QMap<QString, WallpaperCalls::Output> programs;
        QMap<QString, bool> bus;
        QStringList calls;
        bool installed;
    } rows[] = {
        {"GNOME",
         DesktopFamily::Gnome,
         {{QStringLiteral("gsettings"), ok}},
         {},
         {QStringLiteral("gsettings set org.gnome.desktop.background picture-uri ") + uri,
          QStringLiteral("gsettings set org.gnome.desktop.background picture-uri-dark ") + uri,
          QStringLiteral("gsettings set org.gnome.desktop.background picture-options centered")},
         true},
        {"KDE Plasma",
         DesktopFamily::Kde,
         {},
         {{QStringLiteral("org.kde.PlasmaShell"), true}},
         {QStringLiteral(
              "dbus org.kde.plasmashell /PlasmaShell org.kde.PlasmaShell.evaluateScript("
              "var all = desktops();\n"
              "for (var i = 0; i < all.length; i++) {\n"
              "    var d = all[i];\n"
              "    d.wallpaperPlugin = \"org.kde.image\";\n"
              "    d.currentConfigGroup = [\"Wallpaper\", \"org.kde.image\", \"General\"];\n"
              "    d.writeConfig(\"Image\", \"") +
          uri +
          QStringLiteral("\");\n"
                         "    d.writeConfig(\"FillMode\", 6);\n"
                         "}\n)")},
         true},
        {"Xfce with two monitors",
         DesktopFamily::Xfce,
         {{QStringLiteral("xfconf-query"),
           {true, 0,
            "/backdrop/screen0/monitorHDMI-1/workspace0/last-image\n"
            "/backdrop/screen0/monitorHDMI-1/workspace0/image-style\n"
            "/backdrop/screen0/monitoreDP-1/workspace0/last-image\n"}}},
         {},
         {xfce_list,
          QStringLiteral("xfconf-query -c xfce4-desktop -p "
                         "/backdrop/screen0/monitorHDMI-1/workspace0/last-image -s ") +
              bitmap,
          QStringLiteral("xfconf-query -c xfce4-desktop -p "
                         "/backdrop/screen0/monitorHDMI-1/workspace0/image-style -s 1"),
          QStringLiteral("xfconf-query -c xfce4-desktop -p "
                         "/backdrop/screen0/monitoreDP-1/workspace0/last-image -s ") +
              bitmap,
          QStringLiteral("xfconf-query -c xfce4-desktop -p "
                         "/backdrop/screen0/monitoreDP-1/workspace0/image-style -s 1")},
         true},
        {"Xfce never given a picture",
         DesktopFamily::Xfce,
         {{QStringLiteral("xfconf-query"), ok}},
         {},
         {xfce_list,
          QStringLiteral("xfconf-query -c xfce4-desktop -p "
                         "/backdrop/screen0/monitor0/workspace0/last-image -n -t string -s ") +
              bitmap,
          QStringLiteral("xfconf-query -c xfce4-desktop -p "
                         "/backdrop/screen0/monitor0/workspace0/image-style -n -t int -s 1")},
         true},
        {"another desktop",
         DesktopFamily::Other,
         {},
         {{QStringLiteral("org.freedesktop.portal.Wallpaper"), true}},
         {portal_call},
         true},
        {"GNOME without gsettings",
         DesktopFamily::Gnome,
         {},
         {{QStringLiteral("org.freedesktop.portal.Wallpaper"), true}},
         {QStringLiteral("gsettings set org.gnome.desktop.background picture-uri ") + uri,
          portal_call},
         true},
        {"Xfce without xfconf-query",
         DesktopFamily::Xfce,
         {},
         {{QStringLiteral("org.freedesktop.portal.Wallpaper"), true}},
         {xfce_list, portal_call},
         true},
        {"nothing answers", DesktopFamily::Other, {}, {}, {portal_call}, false},
    };
    for (const auto& row : rows) {
        RecordingCalls calls;
        calls.programs = row.programs;
        calls.bus_answers = row.bus;
        EXPECT_EQ(
            set_desktop_wallpaper(bitmap, Desktop::WallpaperStyle::Centered, row.family, calls),
            row.installed)
            << row.name;
        EXPECT_EQ(calls.log, row.calls) << row.name << "\n"
                                        << calls.log.join(QLatin1Char('\n')).toStdString();
    }
}
