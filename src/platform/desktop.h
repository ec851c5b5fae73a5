#pragma once

#include <QString>
#include <QtGlobal>
#include <memory>
#include <optional>

class QImage;
class QPrinter;

// A text print job whose pages fill line by line, a new page when one is full. close() ends
// the job; write_line may throw an AppError when the printer fails.
class TextPrintJob {
public:
    virtual ~TextPrintJob() = default;
    virtual void write_line(const QString& line) = 0;
    virtual void close() = 0;
};

// Everything modal or external goes through this interface: message boxes, Yes/No
// confirmations, the beep, the colour and print dialogs, opening a URL in the browser or mail
// program, the help contents and the desktop wallpaper. The program uses the Qt implementation
// (QtDesktop); tests use a recording one that scripts the answers, so nothing waits for a person.
class Desktop {
public:
    enum class Box { Information, Warning, Error };
    enum class WallpaperStyle { Centered, Tiled, Stretched };

    virtual ~Desktop() = default;

    // A modal box with an OK button.
    virtual void message(const QString& text, Box kind = Box::Information) = 0;
    // A modal Yes/No box; true for Yes.
    virtual bool confirm(const QString& text) = 0;
    virtual void beep() = 0;
    // The colour dialog, starting at 0xRRGGBB; nothing when the user cancels.
    virtual std::optional<quint32> choose_color(quint32 initial_rgb) = 0;
    // The print dialog, then one print job; false when the user cancels or printing fails.
    virtual bool print_text(const QString& title, const QString& text, int point_size) = 0;
    virtual bool print_image(const QString& title, const QImage& image) = 0;
    // The print dialog, then a text job on the chosen printer in this font; nothing when the
    // user cancels.
    virtual std::unique_ptr<TextPrintJob>
    open_text_job(const QString& title, const QString& font_family, int point_size) = 0;
    // The print dialog alone (page numbers offered): the chosen printer's settings go into
    // printer; false when the user cancels. Every print dialog offers printing to a PDF file
    // beside the printers.
    virtual bool print_dialog(QPrinter& printer) = 0;
    // Hands a URL (web page or mailto:) to the desktop; false when nothing could open it.
    virtual bool open_url(const QString& url) = 0;
    // The help window at its contents page.
    virtual void show_help_contents() = 0;
    // Makes the bitmap file the desktop wallpaper; false when the desktop could not be told.
    virtual bool set_wallpaper(const QString& bitmap_path, WallpaperStyle style) = 0;
};

// Hands a URL to the desktop; when nothing takes it, a box names what is missing: a web
// browser for a web page, an e-mail program for a "mailto:" address.
void open_url_or_tell(Desktop& desktop, const QString& url);
