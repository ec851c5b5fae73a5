#pragma once

#include "platform/desktop.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>

// A Desktop for tests: records every box, beep and request in order and answers from scripts
// instead of waiting for a person. Unscripted confirmations answer No, colour dialogs Cancel,
// print dialogs Cancel.
class RecordingDesktop : public Desktop {
public:
    struct Event {
        QString kind; // "message", "confirm", "beep", "color", "print_text", "print_image",
                      // "print_job", "print_close", "open_url", "help", "wallpaper"
        QString text;
        Box box = Box::Information;
    };

    void message(const QString& text, Box kind) override;
    bool confirm(const QString& text) override;
    void beep() override;
    std::optional<quint32> choose_color(quint32 initial_rgb) override;
    bool print_text(const QString& title, const QString& text, int point_size) override;
    bool print_image(const QString& title, const QImage& image) override;
    // A text job takes its answer from print_answers too; its lines go to printed_lines and
    // its closing to the log ("print_close").
    std::unique_ptr<TextPrintJob> open_text_job(const QString& title, const QString& font_family,
                                                int point_size) override;
    bool print_dialog(QPrinter& printer) override;
    bool open_url(const QString& url) override;
    void show_help_contents() override;
    bool set_wallpaper(const QString& bitmap_path, WallpaperStyle style) override;

    // Scripted answers, taken in order.
    std::deque<bool> confirm_answers;
    std::deque<std::optional<quint32>> color_answers;
    std::deque<bool> print_answers;
    bool wallpaper_answer = true;
    bool open_url_answer = true;
    // Runs when the print dialog is answered yes, in place of the user's choice of printer
    // (a test points the printer at a PDF file).
    std::function<void(QPrinter&)> choose_printer;
    // Runs while a message box is up (a test moves the focus to the box).
    std::function<void()> while_message_shown;

    QList<Event> events;
    QStringList printed_lines;

    // The texts of the message boxes, in order.
    QStringList messages() const;
    // One line per event ("message: text", "beep", ...), for comparing whole sequences.
    QStringList log() const;
    int count(const QString& kind) const;
    void clear() { events.clear(); }
};
