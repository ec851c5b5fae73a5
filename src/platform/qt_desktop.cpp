#include "platform/qt_desktop.h"

#include "platform/help_window.h"
#include "platform/line_printer.h"
#include "platform/url_opener.h"
#include "platform/wallpaper.h"

#include <QApplication>
#include <QColorDialog>
#include <QDesktopServices>
#include <QImage>
#include <QMessageBox>
#include <QPainter>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QTextDocument>
#include <QUrl>

QtDesktop::QtDesktop() = default;

QtDesktop::~QtDesktop() {
    delete help_.data();
}

QWidget* QtDesktop::visible_parent() const {
    if (QWidget* active = QApplication::activeWindow())
        return active;
    return parent_ && parent_->isVisible() ? parent_.data() : nullptr;
}

namespace {

// Box texts often carry text from a page or a host (a place name, a reply line): shown as the
// characters they are, never as markup.
// The window the box belongs to stays in front and has the focus again once the box is closed.
QMessageBox::StandardButton show_box(QWidget* parent, QMessageBox::Icon icon, const QString& text,
                                     QMessageBox::StandardButtons buttons) {
    const QPointer<QWidget> owner = parent;
    QMessageBox box(icon, QApplication::applicationName(), text, buttons, parent);
    box.setTextFormat(Qt::PlainText);
    const auto answer = static_cast<QMessageBox::StandardButton>(box.exec());
    if (owner && owner->isVisible()) {
        owner->raise();
        owner->activateWindow();
    }
    return answer;
}

// Every print dialog offers printing to a PDF file beside the printers: the one way to print
// on a computer without a printer, and a copy to keep on one with.
void offer_pdf(QPrintDialog& dialog) {
    dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
}

// The dialog proposes the document's name as the PDF file's name: a window caption such as
// "Nimbrix - Global Temp/Weather Image - UW-M" would name a folder that is not there.
QString file_safe(QString title) {
    return title.replace(QLatin1Char('/'), QLatin1Char('-'));
}

} // namespace

void QtDesktop::message(const QString& text, Box kind) {
    const QMessageBox::Icon icon = kind == Box::Information ? QMessageBox::Information
                                   : kind == Box::Warning   ? QMessageBox::Warning
                                                            : QMessageBox::Critical;
    show_box(visible_parent(), icon, text, QMessageBox::Ok);
}

bool QtDesktop::confirm(const QString& text) {
    return show_box(visible_parent(), QMessageBox::Question, text,
                    QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

void QtDesktop::beep() {
    QApplication::beep();
}

std::optional<quint32> QtDesktop::choose_color(quint32 initial_rgb) {
    const QColor chosen = QColorDialog::getColor(QColor::fromRgb(initial_rgb), visible_parent());
    if (!chosen.isValid())
        return std::nullopt;
    return chosen.rgb() & 0xFFFFFFu;
}

bool QtDesktop::print_text(const QString& title, const QString& text, int point_size) {
    QPrinter printer;
    printer.setDocName(file_safe(title));
    QPrintDialog dialog(&printer, visible_parent());
    offer_pdf(dialog);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    QTextDocument doc;
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    font.setPointSize(point_size > 0 ? point_size : 10);
    doc.setDefaultFont(font);
    doc.setPlainText(text);
    doc.print(&printer);
    return printer.printerState() != QPrinter::Error;
}

bool QtDesktop::print_image(const QString& title, const QImage& image) {
    QPrinter printer;
    printer.setDocName(file_safe(title));
    QPrintDialog dialog(&printer, visible_parent());
    offer_pdf(dialog);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    const QRect page = painter.viewport();
    QSize size = image.size();
    size.scale(page.size(), Qt::KeepAspectRatio);
    painter.drawImage(QRect(page.topLeft(), size), image);
    return painter.end();
}

std::unique_ptr<TextPrintJob> QtDesktop::open_text_job(const QString& title,
                                                       const QString& font_family, int point_size) {
    auto printer = std::make_unique<QPrinter>();
    printer->setDocName(file_safe(title));
    QPrintDialog dialog(printer.get(), visible_parent());
    offer_pdf(dialog);
    if (dialog.exec() != QDialog::Accepted)
        return nullptr;
    return std::make_unique<LinePrinter>(std::move(printer), font_family, point_size);
}

bool QtDesktop::print_dialog(QPrinter& printer) {
    printer.setDocName(file_safe(printer.docName()));
    QPrintDialog dialog(&printer, visible_parent());
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    offer_pdf(dialog);
    return dialog.exec() == QDialog::Accepted;
}

bool QtDesktop::open_url(const QString& url) {
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    // Qt hands the URL to xdg-open and counts that as opened even when xdg-open then finds no
    // browser or mail program; the opener's own answer is waited for instead.
    if (const std::optional<bool> taken = open_with_desktop_opener(url))
        return *taken;
#endif
    return QDesktopServices::openUrl(QUrl(url));
}

void QtDesktop::show_help_contents() {
    if (!help_)
        help_ = new HelpWindow(*this);
    help_->show_contents();
}

bool QtDesktop::set_wallpaper(const QString& bitmap_path, WallpaperStyle style) {
    return set_desktop_wallpaper(bitmap_path, style);
}
