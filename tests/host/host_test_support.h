#pragma once

#include "locations/catalogue.h"
#include "sample/conditions_page.h"
#include "sample/host_places.h"

#include <QDateTime>
#include <QString>
#include <QTimeZone>
#include <cstdio>
#include <optional>
#include <ostream>
#include <string>

// Readable GoogleTest failure output for texts.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

// Everything written so far to a log file (a tmpfile standing in for standard error).
inline std::string lines_of(std::FILE* log) {
    std::fflush(log);
    std::rewind(log);
    std::string text;
    char buffer[1024];
    while (std::fgets(buffer, sizeof buffer, log))
        text += buffer;
    return text;
}

inline QDateTime utc_hour(int year, int month, int day, int hour) {
    return QDateTime(QDate(year, month, day), QTime(hour, 0), QTimeZone::utc());
}

// The catalogue place whose page title is `title` ("Sydney, New South Wales").
inline const CataloguePlace* catalogue_place_titled(const QString& title) {
    for (const CataloguePlace& p : catalogue_places())
        if (p.title_name == title)
            return &p;
    return nullptr;
}

inline std::optional<HostPlace> host_place_titled(const QString& title) {
    const CataloguePlace* p = catalogue_place_titled(title);
    if (!p)
        return std::nullopt;
    return place_for_city_path(p->request_path);
}

// Minutes after midnight of a page time such as "7:18 AM"; -1 for any other text.
inline int clock_minutes(const QString& text) {
    const qsizetype colon = text.indexOf(u':');
    const qsizetype blank = text.indexOf(u' ');
    if (colon < 1 || blank != colon + 3)
        return -1;
    bool ok_h = false;
    bool ok_m = false;
    const int h = text.left(colon).toInt(&ok_h);
    const int m = text.mid(colon + 1, 2).toInt(&ok_m);
    const QString half = text.mid(blank + 1);
    if (!ok_h || !ok_m || h < 1 || h > 12 || m > 59 || (half != u"AM" && half != u"PM"))
        return -1;
    return (h % 12 + (half == u"PM" ? 12 : 0)) * 60 + m;
}
