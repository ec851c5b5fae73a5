#include "settings/proxy_info.h"

#include "settings/preferences_rules.h"
#include "settings/settings_store.h"

void process_proxy_info(const ProxyProperties& client) {
    const QString section = QStringLiteral("Settings");
    if (read_setting(section, QStringLiteral("ProxyUse")) != QLatin1String("y"))
        return;
    const auto apply = [&](const char* name, const auto& set) {
        const QString value = read_setting(section, QLatin1String(name));
        if (value != setting_absent)
            set(value);
    };
    apply("Proxy", [&](const QString& v) { client.Proxy = v; });
    apply("ProxyPort", [&](const QString& v) { client.ProxyPort = whole_number_or_throw(v); });
    apply("ProxyUserid", [&](const QString& v) { client.UserId = v; });
    apply("ProxyPass", [&](const QString& v) { client.Password = v; });
}
