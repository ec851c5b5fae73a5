#include "settings/settings_store.h"

#include "platform/settings_backend.h"
#include <QDir>

namespace {

// The one notice of a run: unreadable lines in the settings file.
struct Notice {
    std::function<void(const QString&)> sink;
    bool pending = false;
    bool told = false;

    void tell() {
        if (told)
            return;
        if (!sink) {
            pending = true;
            return;
        }
        told = true;
        sink(settings_unreadable_message);
    }
};

// Installed with the store's first use, so a notice before any sink is kept for the first.
Notice& notice() {
    static Notice instance = [] {
        settings_backend::set_unreadable_lines_hook([] { notice().tell(); });
        return Notice{};
    }();
    return instance;
}

// The store as the user knows it: the home folder shown as "~".
QString shown_location() {
    const QString path = settings_backend::location();
    const QString home = QDir::homePath();
    if (!home.isEmpty() && home != QLatin1String("/") && path.startsWith(home + QLatin1Char('/')))
        return QLatin1Char('~') + path.mid(home.size());
    return path;
}

[[noreturn]] void refuse(const QString& what, const QString& reason) {
    throw SettingsError(what + QStringLiteral(" (") + shown_location() + QStringLiteral(": ") +
                        reason + QLatin1Char(')'));
}

} // namespace

void set_settings_notice(std::function<void(const QString&)> sink) {
    Notice& n = notice();
    n.sink = std::move(sink);
    if (n.sink && n.pending) {
        n.pending = false;
        n.tell();
    }
}

QString read_setting(const QString& section, const QString& name) {
    notice();
    return settings_backend::read_value(section, name).value_or(setting_absent);
}

void write_setting(const QString& section, const QString& name, const QString& value) {
    notice();
    const QString reason = settings_backend::write_value(section, name, value);
    if (!reason.isEmpty())
        refuse(QStringLiteral("Failed to set data for '%1'").arg(name), reason);
}

void delete_setting_section(const QString& section) {
    const QString reason = settings_backend::remove_section(section);
    if (!reason.isEmpty())
        refuse(QStringLiteral("Failed to delete section '%1'").arg(section), reason);
}

void replace_setting_section(const QString& section, const QList<QPair<QString, QString>>& values) {
    const QString reason = settings_backend::replace_section(section, values);
    if (!reason.isEmpty())
        refuse(QStringLiteral("Failed to set data for '%1'")
                   .arg(values.isEmpty() ? section : values.front().first),
               reason);
}
