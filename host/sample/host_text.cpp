#include "sample/host_text.h"

QString html_escaped(const QString& text) {
    return text.toHtmlEscaped();
}
