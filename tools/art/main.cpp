// Regenerates the program's pictures: nimbrix-art <resources-dir> [--sheet <file.png>]
#include "art.h"

#include <QDir>
#include <QGuiApplication>

#include <cstdio>

namespace {

bool save_all(const QString& folder, const std::vector<art::NamedPicture>& pictures) {
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(folder));
        return false;
    }
    for (const auto& picture : pictures) {
        const QString path = folder + QLatin1Char('/') + picture.name + QStringLiteral(".png");
        // Opaque pictures are stored without an alpha channel; the rest keep theirs.
        const QImage out = picture.image.hasAlphaChannel()
                               ? picture.image.convertToFormat(QImage::Format_ARGB32)
                               : picture.image.convertToFormat(QImage::Format_RGB32);
        if (!out.save(path, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return false;
        }
        std::printf("%s (%dx%d)\n", qPrintable(path), out.width(), out.height());
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    // Fonts are only needed for the contact sheet's labels; no display is needed at all.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    const QStringList args = app.arguments();
    QString resources;
    QString sheet;
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QStringLiteral("--sheet") && i + 1 < args.size())
            sheet = args[++i];
        else if (resources.isEmpty() && !args[i].startsWith(QLatin1Char('-')))
            resources = args[i];
        else {
            resources.clear();
            break;
        }
    }
    if (resources.isEmpty()) {
        std::fprintf(stderr, "usage: nimbrix-art <resources-dir> [--sheet <file.png>]\n");
        return 2;
    }

    const auto tray = art::tray_pictures();
    const auto icons = art::program_icons();
    const auto moons = art::moon_pictures();
    if (!save_all(resources + QStringLiteral("/tray"), tray) ||
        !save_all(resources + QStringLiteral("/icons"), icons) ||
        !save_all(resources + QStringLiteral("/moon"), moons))
        return 1;

    if (!sheet.isEmpty()) {
        if (!art::contact_sheet(tray, icons, moons).save(sheet, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(sheet));
            return 1;
        }
        std::printf("%s (contact sheet)\n", qPrintable(sheet));
    }
    return 0;
}
