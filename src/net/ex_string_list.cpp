#include "net/ex_string_list.h"

int TExStringList::index_of_name(const QString& name) const {
    for (qsizetype i = 0; i < lines_.size(); ++i) {
        const qsizetype colon = lines_[i].indexOf(QLatin1Char(':'));
        if (colon < 0)
            continue;
        if (QStringView(lines_[i]).left(colon).compare(name, Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    }
    return -1;
}

void TExStringList::set_header(const QString& name, const QString& value) {
    const int index = index_of_name(name);
    if (value.isEmpty()) {
        if (index >= 0)
            lines_.removeAt(index);
        return;
    }
    const QString line = name + QStringLiteral(": ") + value;
    if (index >= 0)
        lines_[index] = line;
    else
        lines_.append(line);
}
