#include "platform/line_printer.h"

#include "shared/app_error.h"

#include <QFile>
#include <QFontMetrics>
#include <QPrinter>

namespace {

class PrinterError : public AppError {
public:
    using AppError::AppError;
};

} // namespace

QString printing_failed_text(const QPrinter& printer) {
    const QString failed = QStringLiteral("Printing failed: ");
    const QString file = printer.outputFileName();
    // A print dialog without printers leaves a printer for a PDF file without a name.
    if (printer.outputFormat() == QPrinter::PdfFormat && file.isEmpty())
        return failed + QStringLiteral("no printer is set up on this computer. Choose \"Print "
                                       "to File (PDF)\" in the print dialog to make a PDF file.");
    if (printer.outputFormat() == QPrinter::PdfFormat) {
        QFile probe(file);
        const bool existed = probe.exists();
        if (!probe.open(QIODevice::WriteOnly | QIODevice::Append))
            return failed + QStringLiteral("the PDF file %1 cannot be written (%2).")
                                .arg(file, probe.errorString());
        probe.close();
        if (!existed)
            probe.remove();
        return failed + QStringLiteral("the PDF file %1 cannot be written.").arg(file);
    }
    if (printer.printerName().isEmpty())
        return failed + QStringLiteral("no printer is set up on this computer.");
    return failed +
           QStringLiteral("the printer %1 did not take the job.").arg(printer.printerName());
}

LinePrinter::LinePrinter(std::unique_ptr<QPrinter> printer, const QString& font_family,
                         int point_size)
    : printer_(std::move(printer)) {
    if (!painter_.begin(printer_.get()))
        throw PrinterError(printing_failed_text(*printer_));
    font_ = QFont(font_family);
    font_.setPointSize(point_size > 0 ? point_size : 8);
    painter_.setFont(font_);
    line_height_ = QFontMetrics(font_, painter_.device()).lineSpacing();
}

LinePrinter::~LinePrinter() {
    if (painter_.isActive())
        painter_.end();
}

void LinePrinter::write_line(const QString& line) {
    const QRect page = painter_.viewport();
    if (y_ + line_height_ > page.height() && y_ > 0) {
        if (!printer_->newPage())
            throw PrinterError(QStringLiteral("Printer error"));
        y_ = 0;
    }
    painter_.drawText(QRect(0, y_, page.width(), line_height_), Qt::AlignLeft | Qt::AlignTop, line);
    y_ += line_height_;
}

void LinePrinter::close() {
    if (painter_.isActive())
        painter_.end();
}
