#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <functional>
#include <optional>

// The per-user store behind read_setting and write_setting. On Windows it is the registry key
// HKEY_CURRENT_USER\Software\Nimbrix; elsewhere the INI file
// $XDG_CONFIG_HOME/Nimbrix/Nimbrix.conf (default ~/.config/Nimbrix/Nimbrix.conf). Every call
// goes to the store itself: nothing is kept in memory between calls, so a value written by
// another process is seen at the next read.
namespace settings_backend {

// Where the store lives (file path, or the registry key's name), for messages and tests.
QString location();

// The stored text, or nothing when the section or value is missing or the store cannot be
// read. Names are compared without regard to case. Lines of the file that cannot be read are
// skipped (and kept when the file is written again).
std::optional<QString> read_value(const QString& section, const QString& name);

// The writes below return why the store refused them ("Permission denied"), or an empty text
// when they were stored; a refused write changes nothing.

// Stores the text; a value present under another case of the name is replaced.
QString write_value(const QString& section, const QString& name, const QString& value);

// Removes a section with all its values; a missing section is no error.
QString remove_section(const QString& section);

// Replaces a section's values in one write.
QString replace_section(const QString& section, const QList<QPair<QString, QString>>& values);

// Called whenever a read or write meets lines of the file that it cannot read.
void set_unreadable_lines_hook(std::function<void()> hook);

} // namespace settings_backend
