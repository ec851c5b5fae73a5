#include "images/image_commands.h"

#include "images/gif_image.h"
#include "images/image_catalogue.h"
#include "images/image_window.h"
#include "images/jpeg_image.h"
#include "images/wallpaper_choices.h"
#include "images/working_folder.h"
#include "net/nmhttp.h"
#include "net/request_kinds.h"
#include "net/sock_errors.h"
#include "platform/desktop.h"
#include "platform/wallpaper.h"
#include "settings/host_table.h"
#include "settings/settings_store.h"
#include "shared/program_state.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>

namespace {

const QString purdue_fallback_file = QStringLiteral("rad_comp-2.gif");
const QString wallpaper_bitmap = QStringLiteral("nimbrix.bmp");

bool flag_on(const QString& flag) {
    return flag == QLatin1String("y");
}

} // namespace

ImageCommands::ImageCommands(ProgramState& state, Desktop& desktop, TNMHTTP& client,
                             ImageHost& host, TfrmImage& window)
    : state_(state), desktop_(desktop), client_(client), host_(host), window_(window) {
    window_.do_wallpaper = [this] { do_wallpaper(); };
}

void ImageCommands::command(const ImageRow& row) {
    client_.claim();
    switch (row.extra) {
    case ImageExtra::None:
        break;
    case ImageExtra::Animate:
        window_.GIFImage1->Animate = true;
        break;
    case ImageExtra::AnimateFromFrame2:
        window_.GIFImage1->Animate = true;
        window_.GIFImage1->CurrentFrame = 2;
        break;
    case ImageExtra::PlainWindow:
        window_.setWindowFlag(Qt::WindowMaximizeButtonHint, false);
        window_.set_background(Qt::white);
        break;
    }
    state_.request_url = image_url(row);
    window_.setWindowTitle(QLatin1String(row.window_caption));
    state_.image_file = QLatin1String(row.file);
    do_image();
    if (row.note)
        desktop_.message(QLatin1String(row.note));
}

void ImageCommands::do_image() {
    // Whatever happens to this download, the window never shows an earlier picture as if it
    // were this one.
    window_.Image1->clear();
    window_.GIFImage1->Clear();
    for (;;) {
        state_.request_ok.clear();
        apply_request_kind(client_, RequestKind::Image);
        const QString target = image_working_file(state_.image_file);
        client_.Body = QFile::encodeName(target);
        QFile::remove(target); // a download that fails leaves no older file behind
        client_.Get(state_.request_url);
        // The Purdue radar is sometimes not there yet: the picture of two hours before, once.
        if (state_.image_file == QLatin1String("rad_comp.gif") && client_.TotalBytes < 10000) {
            desktop_.message(QStringLiteral("Sorry, this image is not available at the moment.  I "
                                            "will retry an image 2 hours older than the current."));
            state_.request_url = QStringLiteral("http://") +
                                 host_address(QStringLiteral("PurdueWx")) +
                                 QStringLiteral("/radar/previous/rad_comp-2.gif");
            state_.image_file = purdue_fallback_file;
            continue;
        }
        break;
    }

    if (client_.TotalBytes >= 500 || client_.ReceivedBytes >= 500) {
        host_.set_status(QStringLiteral("Connection process complete..."));
        host_.repaint_now();
        if (state_.request_ok != QLatin1String("Y")) {
            desktop_.beep();
            host_.set_status(QStringLiteral("Error retrieving image..."));
        } else {
            state_.image_file_upper = state_.image_file.toUpper();
            const bool gif = state_.image_file_upper.contains(QLatin1String(".GIF"));
            QWidget* hidden = gif ? static_cast<QWidget*>(window_.Image1) : window_.GIFImage1;
            QWidget* shown = gif ? static_cast<QWidget*>(window_.GIFImage1) : window_.Image1;
            hidden->hide();
            hidden->resize(0, 0);
            shown->show();
            if (gif)
                window_.GIFImage1->Clear();
            shown->move(0, 0);
            window_.repaint();
            const QString file = image_working_file(state_.image_file);
            if (gif)
                window_.GIFImage1->LoadFromFile(file); // a broken GIF leaves it empty, silently
            else
                window_.load_picture(file);
            window_.show_whole_picture();
            if (!flag_on(state_.auto_request))
                window_.show();
        }
    } else {
        host_.set_status(QStringLiteral("Problems retrieving image...") +
                         QString::number(client_.TotalBytes));
        host_.repaint_now();
    }
    if (!flag_on(state_.auto_request))
        state_.request_ok.clear();
}

bool ImageCommands::do_wallpaper() {
    const QString bitmap = image_working_file(wallpaper_bitmap);
    if (!QFileInfo::exists(bitmap)) {
        if (state_.image_file_upper.contains(QLatin1String(".GIF"))) {
            window_.GIFImage1->picture().save(bitmap, "BMP");
        } else {
            read_jpeg_image(image_working_file(state_.image_file)).save(bitmap, "BMP");
        }
    }
    GetWinDir();
    if (win_dir.isEmpty()) {
        desktop_.message(
            QStringLiteral("Error - windows directory not found for Wallpaper logic."));
        return false;
    }
    if (!QFileInfo::exists(bitmap)) {
        desktop_.message(QStringLiteral("Error - nimbrix.bmp not found; msg#: xUnit1."));
        return false;
    }
    const QString installed = QDir::toNativeSeparators(QDir(win_dir).filePath(wallpaper_bitmap));
    QFile::remove(installed);
    QFile::copy(bitmap, installed);
    QFile::remove(bitmap);
    return set_wallpaper(installed);
}

void ImageCommands::GetWinDir() {
    win_dir = windows_directory();
}

bool ImageCommands::set_wallpaper(const QString& path) {
    if (desktop_.set_wallpaper(path, Desktop::WallpaperStyle::Centered))
        return true;
    // The user's "Save As Wallpaper" is answered in the image window they look at; the
    // unattended wallpaper in the main window's status bar, as its other texts.
    const QString text = QStringLiteral("Wallpaper not supported on this desktop");
    if (flag_on(state_.auto_request))
        host_.set_status(text);
    else
        window_.set_status(text);
    return false;
}

void ImageCommands::auto_wallpaper() {
    const WallpaperChoice* choice = auto_wallpaper_choice(
        read_setting(QStringLiteral("Settings"), QStringLiteral("AutoWallpaper")));
    if (!choice)
        return;
    state_.request_url = QStringLiteral("http://") + host_address(QLatin1String(choice->role)) +
                         QLatin1String(choice->path);
    state_.image_file = QLatin1String(choice->file);
    update_auto_wallpaper();
}

void ImageCommands::update_auto_wallpaper() {
    do_image();
    host_.set_status(QStringLiteral("Processing wallpaper image..."));
    if (state_.request_ok == QLatin1String("Y") && do_wallpaper())
        host_.set_status(QStringLiteral("Wallpaper updated..."));
    state_.request_ok.clear();
    state_.image_file.clear();
    state_.image_file_upper.clear();
}
