#include "shared/replace_all.h"

QString replace_all(const QString& text, const QString& find, const QString& replacement) {
    if (find.isEmpty())
        return text;
    QString result;
    result.reserve(text.size());
    qsizetype from = 0;
    for (qsizetype at = text.indexOf(find); at >= 0; at = text.indexOf(find, from)) {
        result.append(QStringView(text).sliced(from, at - from));
        result.append(replacement);
        from = at + find.size();
    }
    result.append(QStringView(text).sliced(from));
    return result;
}
