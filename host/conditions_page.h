#pragma once

#include "sample_weather.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

struct HostPlace;

// The conditions page of a place for one UTC hour, as the conditions host serves it.
//
// Layout: the title "Nimbrix Underground: <place> Forecast", a heading "<place> Weather", the
// line "Updated: <b><time> <zone> on <date></b>", then one table row per field, label and
// value in cells of their own: "Temperature:", "HeatIndex:" (80 F and above only),
// "Humidity:", "Wind:", "Pressure:", "Conditions:", "Visibility:", then "Sunrise", "Sunset",
// "Moon Rise", "Moon Set", "Moon Phase". The first seven labels end in a colon (the character
// the reader skips behind them), the last five have none. With the markup gone a value runs
// straight into the next label, so line breaks between those rows sit inside the tags; only
// the fixed-width values (humidity, visibility) are followed by a real line break, which
// becomes the blank that ends them. No label word appears before its row.

struct ConditionsSample {
    SampleWeather weather;
    QString observed;   // "2:51 PM CST on January 5, 2026"
    QString sunrise;    // "7:18 AM"; "Midnight sun" or "Polar night" when the Sun does not cross
    QString sunset;
    QString moon_rise;  // the next one when the day has none: "12:41 AM"; "Up all day",
    QString moon_set;   // "Down all day" when the Moon does not cross for two days
    QString moon_phase; // "Waxing Gibbous, 78% of the Moon is illuminated"
};

// The hour a moment belongs to (the moment truncated to the whole UTC hour).
QDateTime page_hour(const QDateTime& moment);

// Everything the page shows, for the place and the UTC hour beginning at hour_utc. The values
// are observed nine minutes before that hour.
ConditionsSample conditions_sample(const HostPlace& place, const QDateTime& hour_utc);

QString conditions_page(const HostPlace& place, const QDateTime& hour_utc);

// "6:58 AM" from a wall-clock reading in milliseconds since 1970, rounded to the minute.
QString clock_text(long long local_ms);
