#include "platform/line_printer.h"

#include "shared/app_error.h"

#include <QFontMetrics>
#include <QPrinter>

namespace {

class PrinterError : public AppError {
public:
    using AppError::AppError;
};

} // namespace

LinePrinter::LinePrinter(std::unique_ptr<QPrinter> printer, const QString& font_family,
                         int point_size)
    : printer_(std::move(printer)) {
    if (!painter_.begin(printer_.get()))
        throw PrinterError(QStringLiteral("Printer not available"));
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
