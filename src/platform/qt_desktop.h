#pragma once

#include "platform/desktop.h"
#include "platform/help_window.h"
#include <QPointer>

class QWidget;

// The Desktop of the running program: Qt's message boxes and dialogs, QDesktopServices for
// URLs, the bundled help pages in a help window, and the desktop's own wallpaper setting.
class QtDesktop : public Desktop {
public:
    QtDesktop();
    ~QtDesktop() override;

    // Boxes and dialogs belong to the program's active window, the one the user is working in,
    // and give the focus back to it when they close; with no active window (the program in the
    // background) to this window when it is visible.
    void set_dialog_parent(QWidget* parent) { parent_ = parent; }

    void message(const QString& text, Box kind) override;
    bool confirm(const QString& text) override;
    void beep() override;
    std::optional<quint32> choose_color(quint32 initial_rgb) override;
    bool print_text(const QString& title, const QString& text, int point_size) override;
    bool print_image(const QString& title, const QImage& image) override;
    std::unique_ptr<TextPrintJob> open_text_job(const QString& title, const QString& font_family,
                                                int point_size) override;
    bool print_dialog(QPrinter& printer) override;
    bool open_url(const QString& url) override;
    void show_help_contents() override;
    bool set_wallpaper(const QString& bitmap_path, WallpaperStyle style) override;

    HelpWindow* help_window() const { return help_.data(); }

private:
    QWidget* visible_parent() const;

    QPointer<QWidget> parent_;
    QPointer<HelpWindow> help_;
};
