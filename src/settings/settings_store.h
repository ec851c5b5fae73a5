#pragma once

#include "shared/app_error.h"
#include <QList>
#include <QPair>
#include <QString>
#include <functional>

// The only access to stored settings. Sections are "Settings", "Locations" and "Hosts"; every
// value is text. Value names are compared without regard to case.

// Raised when the store refuses a write: "Failed to set data for '<name>'" followed by the
// store and the reason, " (~/.config/Nimbrix/Nimbrix.conf: Permission denied)". Nothing in
// the store has changed.
class SettingsError : public AppError {
public:
    using AppError::AppError;
};

// The text absent values read as, and what callers compare against.
inline const QString setting_absent = QStringLiteral("n/a");

// Said once per run when the settings file has lines the store cannot read.
inline const QString settings_unreadable_message =
    QStringLiteral("Settings file has unreadable lines; they were left as they are");

// Where the store's notices go (the main window's status panel); nullptr: nowhere. A notice
// given before a sink is set reaches the first sink set.
void set_settings_notice(std::function<void(const QString&)> sink);

// The stored text, or "n/a" when the section or value is missing (a stored "n/a" reads the
// same). Never fails.
QString read_setting(const QString& section, const QString& name);

// Stores the text at once; throws SettingsError when the store cannot be written.
void write_setting(const QString& section, const QString& name, const QString& value);

// Replaces the section's values by these (name, value) pairs in one write: the store holds
// either the old section or the new one, never a part of each. Throws SettingsError when the
// store cannot be written.
void replace_setting_section(const QString& section, const QList<QPair<QString, QString>>& values);

// Removes the section with all its values; a missing section is no error. Throws
// SettingsError when the store cannot be written.
void delete_setting_section(const QString& section);
