#pragma once

#include <QString>

// What the tray icon shows after a conditions page: the tooltip "sky && temperature" and the
// index of the weather picture chosen from the sky text.
struct TrayDisplay {
    QString hint;
    int icon_index = 0;
};

// Index of the tray picture for a sky text: the first word of the list found in the lower-case
// text decides ("sun" and "clear" 11, "mostly cloud" 3, "scattered clouds" and "partly cloud"
// 4, "cloud" 12, "overcast" 3, "haze" and "fog" 1, "snow" 10, "thunderstorm" 2, "rain" 9,
// "mist" and "drizzle" 5); none of them gives 0.
int tray_icon_index(const QString& sky);

TrayDisplay tray_display(const QString& sky, const QString& temperature);

// The tooltip holds at most 63 characters; a longer hint is cut.
QString tray_tooltip(const QString& hint);
