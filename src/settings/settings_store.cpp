#include "settings/settings_store.h"

#include "platform/settings_backend.h"

QString read_setting(const QString& section, const QString& name) {
    return settings_backend::read_value(section, name).value_or(setting_absent);
}

void write_setting(const QString& section, const QString& name, const QString& value) {
    if (!settings_backend::write_value(section, name, value))
        throw SettingsError(QStringLiteral("Failed to set data for '%1'").arg(name));
}

void delete_setting_section(const QString& section) {
    if (!settings_backend::remove_section(section))
        throw SettingsError(QStringLiteral("Failed to delete section '%1'").arg(section));
}

void replace_setting_section(const QString& section, const QList<QPair<QString, QString>>& values) {
    if (!settings_backend::replace_section(section, values))
        throw SettingsError(QStringLiteral("Failed to set data for '%1'")
                                .arg(values.isEmpty() ? section : values.front().first));
}
