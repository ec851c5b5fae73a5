#pragma once

#include "sample/sample_weather.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <optional>

struct HostPlace;
struct PlaceZone;

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
    QString observed; // "2:51 PM CST (sample data) on January 5, 2026"
    QString sunrise;  // "7:18 AM"; "Midnight sun" or "Polar night" when the Sun does not cross
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
// The same with a notice before the page's closing note (why live values are missing).
QString conditions_page(const HostPlace& place, const QDateTime& hour_utc, const QString& notice);

// What a conditions page shows, values as the page writes them ("72&#176;F", "NW at 12 mph").
// A field without a value is left out when the field before it is left out too; otherwise
// its label stays with "n/a", since the reader ends the field before at that label.
struct PageValues {
    QString observed; // the Updated line's text: "2:51 PM CST (live) on January 5, 2026"
    QString temperature;
    std::optional<QString> heat_index;
    std::optional<QString> humidity;
    std::optional<QString> wind;
    std::optional<QString> pressure;
    std::optional<QString> sky;
    std::optional<QString> visibility;
    QString sunrise;
    QString sunset;
    QString moon_rise;
    QString moon_set;
    QString moon_phase;
    QString note; // plain text after the tables
};

QString render_conditions_page(const HostPlace& place, const PageValues& values);

// The Updated line's text for a moment: local time and zone, the marker, the local date:
// "2:51 PM CST (sample data) on January 5, 2026".
QString observed_text(const PlaceZone& zone, long long unix_ms, const QString& marker);

// The markers of the Updated line: where the values come from.
inline const QString sample_marker = QStringLiteral("(sample data)");
inline const QString live_marker = QStringLiteral("(live)");
inline const QString stale_marker = QStringLiteral("(stale)");

// "6:58 AM" from a wall-clock reading in milliseconds since 1970, rounded to the minute.
QString clock_text(long long local_ms);
