#pragma once

#include <QString>

// Every non-overlapping occurrence of find, taken from left to right, replaced; the inserted
// replacement is never searched again. An empty find leaves the text as it is.
QString replace_all(const QString& text, const QString& find, const QString& replacement);
