#pragma once

#include <QByteArray>
#include <QString>

// Text helpers of nimbrix-host's pages.

#include "shared/page_text.h" // encode_windows_1252: the pages go out as Windows-1252

// "&", "<", ">" and '"' as entities, for text inside the page body.
QString html_escaped(const QString& text);
