#pragma once

#include <QSize>
#include <QString>
#include <QStringView>
#include <optional>

// The main window's caption starts with this prefix once a location is shown.
inline const QString caption_prefix = QStringLiteral("Nimbrix - ");

// The size the main window snaps back to: width 325 to 370, height 355 to 390.
QSize limit_main_window_size(QSize size);

// The location the automatic update refreshes, taken back from the caption: present only when
// the caption is more than four characters longer than the prefix; then at most the 30
// characters after the prefix, without characters of code 32 or below at either end. When
// those characters begin shown_location (the whole location whose conditions are shown), that
// whole location is refreshed, so a location longer than 30 characters is not cut.
std::optional<QString> auto_update_location(const QString& caption,
                                            const QString& shown_location = QString());

// Removes every character of code 32 or below from both ends (a view into the same text).
QStringView trim_control(QStringView text);
