#pragma once

#include <QDate>
#include <QRect>
#include <QString>

// The moon-phase picture: the fraction of the Moon's disc illuminated at 0h02 UT of each date,
// one table per year, 1998 through 2099, compiled into the program.

inline constexpr int moon_first_year = 1998;
inline constexpr int moon_last_year = 2099;

// Where the chosen picture goes in the main window's client area, and its size.
inline constexpr QRect moon_picture_rect{237, 177, 81, 65};

// The table of a year as 1664 characters: 32 rows of 52. Rows 1-31 are the day number in four
// digits and twelve cells of four characters, January to December, each the fraction with two
// decimals ("0.07", "1.00"); row 32 is "9999" and twelve "9.99". Cells of dates that do not
// exist hold "9.99", except in 2000 to 2005, where they hold "0.00". Empty outside the years.
QString moon_table(int year);

// The four-character cell of day d (1-31) of month m (1-12) in a table.
QString moon_cell(const QString& table, int month, int day);

// What show_moon_phase does: the object name of the picture to place at moon_picture_rect and
// make visible (empty when none), whether to beep first, and the modal message (empty when
// none). Pictures: GIFImageFull, GIFImagenew, GIFImage10x ... GIFImage90x (waning),
// GIFImagel10x ... GIFImagel90x (waxing).
struct MoonPhase {
    QString picture;
    bool beep = false;
    QString message;
};

// The picture for the fraction cell of the day and whether the fraction is rising towards the
// next day: "1.00" is the full moon, "0.00" up to "0.10" the new moon, otherwise the digit
// after the point picks the waxing or waning picture.
MoonPhase moon_picture(const QString& today, bool rising);

// The picture for a date: the day's fraction compared with the next calendar day's (across
// month and year ends); on 31 December 2099, the last date in the tables, with the day before.
// A date outside 1998-2099 gives the beep and the warning, and no picture.
MoonPhase moon_phase_for_date(const QDate& date);
