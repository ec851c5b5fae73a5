#include "settings/host_table.h"

#include "settings/settings_store.h"

namespace {

struct HostRole {
    const char* role;
    const char* default_address;
};

constexpr HostRole host_table[] = {
    {"Conditions", "127.0.0.1:8079"},
    {"Maker", "127.0.0.1:8079"},
};

} // namespace

QStringList host_roles() {
    QStringList roles;
    for (const auto& row : host_table)
        roles << QLatin1String(row.role);
    return roles;
}

QString default_host_address(const QString& role) {
    for (const auto& row : host_table)
        if (role.compare(QLatin1String(row.role), Qt::CaseInsensitive) == 0)
            return QLatin1String(row.default_address);
    return {};
}

QString host_address(const QString& role) {
    const QString stored = read_setting(QStringLiteral("Hosts"), role).trimmed();
    if (stored.isEmpty() || stored == setting_absent)
        return default_host_address(role);
    return stored;
}

QString host_root_url(const QString& role) {
    return QStringLiteral("http://") + host_address(role) + QLatin1Char('/');
}
