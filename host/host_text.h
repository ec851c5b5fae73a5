#pragma once

#include <QByteArray>
#include <QString>

// Text helpers of nimbrix-host's pages.

// The page as Windows-1252 bytes, one byte per character; a character the code page lacks
// becomes "?".
QByteArray encode_windows_1252(const QString& text);

// "&", "<", ">" and '"' as entities, for text inside the page body.
QString html_escaped(const QString& text);
