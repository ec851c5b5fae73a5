#pragma once

#include "platform/desktop.h"

#include <QFont>
#include <QPainter>
#include <memory>

class QPrinter;

// What the user is told when a print job cannot start on the printer: "Printing failed: "
// and why (no printer set up, a PDF file that cannot be written, a printer that refused it).
QString printing_failed_text(const QPrinter& printer);

// A text print job on a QPrinter: one line of the given font per call, top to bottom, a new
// page when the page is full. The job ends with close() (or when the object goes).
class LinePrinter : public TextPrintJob {
public:
    LinePrinter(std::unique_ptr<QPrinter> printer, const QString& font_family, int point_size);
    ~LinePrinter() override;

    void write_line(const QString& line) override;
    void close() override;

private:
    std::unique_ptr<QPrinter> printer_;
    QPainter painter_;
    QFont font_;
    int y_ = 0;
    int line_height_ = 0;
};
