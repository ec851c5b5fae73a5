#pragma once

#include <QList>
#include <QPair>
#include <QString>
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
// read (a file that cannot be parsed reads as empty). Names are compared without regard to case.
std::optional<QString> read_value(const QString& section, const QString& name);

// Stores the text; a value present under another case of the name is replaced. Returns false
// when the store could not be written; then nothing in it has changed.
bool write_value(const QString& section, const QString& name, const QString& value);

// Removes a section with all its values; a missing section is no error. False on a failed write.
bool remove_section(const QString& section);

// Replaces a section's values in one write. False on a failed write; then nothing changed.
bool replace_section(const QString& section, const QList<QPair<QString, QString>>& values);

} // namespace settings_backend
