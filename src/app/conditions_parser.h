#pragma once

#include <QByteArrayView>
#include <QChar>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <optional>

// The conditions page parser: finds the page title, optionally the observation time for the
// heading, strips the markup into one line and cuts each value from behind its field label.
// The page is the HTTP body, Windows-1252: one byte, one character.

inline const QString parse_message_p1 =
    QStringLiteral("Error (P1) occurred parsing data.  Please try again in a few minutes.");
inline const QString parse_message_p2 =
    QStringLiteral("Error (P2) occurred parsing data.  Please try again in a few minutes.");
inline const QString parse_message_p3 =
    QStringLiteral("Error (P3) occurred parsing data.  Please try again in a few minutes.");
inline const QString parse_status_start = QStringLiteral("...parsing data...");
inline const QString parse_status_end = QStringLiteral("Thank you for using Nimbrix...");

// The final text of each of the main window's twelve value labels (members named as the
// labels). The parser empties all twelve first, so every member is the label's new text;
// lblWindChill2 always ends empty here and is filled by compute_wind_chill.
struct ConditionsLabels {
    QString lblsky2, lblTemp2, lblHumid2, lblPress2, lblWind2, lblVisible2;
    QString lblSunrise2, lblSunset2, lblMoonRise2, lblMoonSet2, lblHeatIndex2, lblWindChill2;
};

// What one parse decides. The window applies it in this order:
//  1. status_texts[0] ("...parsing data...") in panel 0, repaint; all twelve labels emptied;
//  2. place_name into current_location.place_name when present;
//  3. heading into lblConditions when present;
//  4. each of messages as a modal box, in order (a parse with messages reads no field);
//  5. labels, and temperature_f into the program state when present;
//  6. when sky is present: tray_display(*sky, labels.lblTemp2) on the tray;
//  7. status_texts[1] ("Thank you for using Nimbrix..."), add_preset, conditions_caption.
// Then the caller runs compute_heat_index and compute_wind_chill on the labels.
struct ConditionsResult {
    QStringList status_texts;
    QStringList messages; // P1, P2, P3 texts in the order shown
    // The place text of the title; absent when the page has no "Underground:" (P1), so
    // place_name keeps its value.
    std::optional<QString> place_name;
    // "Conditions at " + observation time; absent when the page says "Conditions at" itself
    // or has no "Updated:" line (the heading keeps its text).
    std::optional<QString> heading;
    ConditionsLabels labels;
    // The trimmed sky text for the tray rule; absent when the page has no "Conditions".
    std::optional<QString> sky;
    // The new temperature_f; absent when the parse stopped before the temperature.
    std::optional<int> temperature_f;
};

// One character of the markup removal: the character appended (none when it is removed) and
// how many following characters are skipped. "#" becomes the degree sign and swallows four
// characters, "&" is dropped, "_" and the control characters 0, 8 to 13 become blanks.
struct CleanedChar {
    std::optional<QChar> appended;
    int skip = 0;
};

constexpr CleanedChar clean_char(QChar c) {
    switch (c.unicode()) {
    case u'#':
        return {QChar(0xB0), 4};
    case u'&':
        return {std::nullopt, 0};
    case u'_':
    case 0:
    case 8:
    case 9:
    case 10:
    case 11:
    case 12:
    case 13:
        return {QChar(u' '), 0};
    default:
        return {c, 0};
    }
}

// Drops every "<...>" (a "<" without ">" drops the rest), turns "#176;" into the degree sign
// and "nbsp;" into a blank, applies clean_char to every other character, and trims the
// characters of code 32 or below from both ends.
QString remove_markup(QStringView text);

// metric_setting is the "Settings"/"Metric" value ("y" shows Celsius). The page is the body as
// the host sent it, Windows-1252 bytes; it is read in place, and only the values are decoded.
ConditionsResult parse_conditions(const QByteArray& page, const QString& metric_setting);
// The same for a page already decoded (one character per byte); the results are alike.
ConditionsResult parse_conditions(const QString& page, const QString& metric_setting);

// The main window's caption after a parse: "Nimbrix - " + the driver's location string when it
// has 2 or more characters, otherwise + the chooser's preset entry.
QString conditions_caption(const QString& location_text, const QString& preset_entry);
