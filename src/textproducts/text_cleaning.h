#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

// The cleaning of downloaded text products: pure functions of the body, each linear in its
// length. They work on the host's Windows-1252 bytes (one byte, one character), so the degree
// sign is byte 176; the forecast window decodes what it shows, reports the status texts and
// applies the results.

// Tags dropped (from "<" up to and including the next ">"; a "<" with no ">" after it drops
// the rest of the text, so a cut-off tag never shows), "#176;" becomes the degree sign and
// "nbsp;" one blank (an "&" before them stays), then every character of code 32 or below is
// removed from both ends. Cleans the body in place (the result is never longer).
QByteArray level2_parse(QByteArray body);

// The display form of a census table: the text before the first "http://" (lower case only),
// with each line feed turned into carriage return and line feed (so CR LF becomes CR CR LF).
QByteArray parse_text(QByteArrayView body);

// What a bulletin shows: the one-line "not currently available" message for the state when the
// body says so, else the body and CR LF; "--- End of File --" follows either.
QByteArray parse_warning_html(QByteArrayView body, const QString& state_code);

// The forecast's or nowcast's cut to one county.
struct CountyCut {
    // The state code is empty: beep, show `message`, display nothing.
    bool refused = false;
    QStringList status_texts; // in order
    QByteArray text;          // appended to the text area
    QString message;          // a box to show after the text; empty for none
    QString caption;          // the window caption
};

enum class CastKind { Nowcast, Forecast }; // "n" and "t"

// The section of `text` that names the county (upper case of `county_entry`, which counts only
// with 2 or more characters): from one character before its first occurrence up to the next
// "$$" (or the end); the whole text when no county is given or found. A name with a character
// outside Latin-1 is not found.
CountyCut county_parse(CastKind kind, QByteArrayView text, const QString& county_entry,
                       const QString& state_code);

// The 52 entries of the census state list, "None" first, then "NN-Name" by state number.
const QStringList& census_state_list();

// The list's text as the census request carries it: the first two characters, ",", then the
// text from the fourth character on ("17-Illinois" -> "17,Illinois"; applying it again changes
// nothing).
QString census_selection(const QString& list_text);
