#pragma once

#include <QString>
#include <optional>
#include <ostream>

// Readable GoogleTest failure output for texts.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
