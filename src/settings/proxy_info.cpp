#include "settings/proxy_info.h"

#include "settings/preferences_rules.h"
#include "settings/settings_store.h"

void process_proxy_info(const ProxyProperties& client) {
    const QString section = QStringLiteral("Settings");
    if (read_setting(section, QStringLiteral("ProxyUse")) != QLatin1String("y")) {
        // Switched off: the next request goes straight to its host, and the proxy's user and
        // password go nowhere.
        client.Proxy.clear();
        client.ProxyPort = 0;
        client.UserId.clear();
        client.Password.clear();
        return;
    }
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
