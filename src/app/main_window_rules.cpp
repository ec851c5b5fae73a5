#include "app/main_window_rules.h"

#include <algorithm>

QSize limit_main_window_size(QSize size) {
    return QSize(std::clamp(size.width(), 325, 370), std::clamp(size.height(), 355, 390));
}

QStringView trim_control(QStringView text) {
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text[first].unicode() <= 32)
        ++first;
    while (last > first && text[last - 1].unicode() <= 32)
        --last;
    return text.sliced(first, last - first);
}

std::optional<QString> auto_update_location(const QString& caption, const QString& shown_location) {
    if (caption.size() <= caption_prefix.size() + 4)
        return std::nullopt;
    const QString cut =
        trim_control(QStringView(caption).mid(caption_prefix.size(), 30)).toString();
    if (!cut.isEmpty() && trim_control(shown_location).startsWith(cut))
        return trim_control(shown_location).toString();
    return cut;
}
