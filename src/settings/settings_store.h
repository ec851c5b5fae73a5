#pragma once

#include "shared/app_error.h"
#include <QList>
#include <QPair>
#include <QString>

// The only access to stored settings. Sections are "Settings", "Locations" and "Hosts"; every
// value is text. Value names are compared without regard to case.

// Raised when the store refuses a write: "Failed to set data for '<name>'". Nothing else in
// the store has changed.
class SettingsError : public AppError {
public:
    using AppError::AppError;
};

// The text absent values read as, and what callers compare against.
inline const QString setting_absent = QStringLiteral("n/a");

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
