#include "settings/preferences_rules.h"

#include "settings/settings_store.h"

#include <QCollator>
#include <algorithm>
#include <limits>

namespace {

const QString section = QStringLiteral("Settings");

std::optional<QString> stored(const QString& name) {
    const QString value = read_setting(section, name);
    if (value == setting_absent)
        return std::nullopt;
    return value;
}

} // namespace

std::optional<int> whole_number(const QString& text) {
    if (text.isEmpty() || text.size() > 10)
        return std::nullopt;
    qint64 value = 0;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
    }
    if (value > std::numeric_limits<int>::max())
        return std::nullopt;
    return int(value);
}

int whole_number_or_throw(const QString& text) {
    const std::optional<int> value = whole_number(text);
    if (!value)
        throw ConversionError(QStringLiteral("'%1' is not a valid integer value").arg(text));
    return *value;
}

QStringList auto_wallpaper_names() {
    return {QStringLiteral("None"),
            QStringLiteral("US Radar Image - Purdue"),
            QStringLiteral("US Radar Image - Texas A&&M"),
            QStringLiteral("US Radar Image - Yahoo"),
            QStringLiteral("US Radar w/Topography - Texas A&&M"),
            QStringLiteral("Europe Satellite Image"),
            QStringLiteral("Europe Satellite Image - Meteo"),
            QStringLiteral("Global Temp/Weather Image - UW-M"),
            QStringLiteral("US Infrared Satellite Image - Purdue"),
            QStringLiteral("US Infrared/Satellite/Radar Image - Purdue"),
            QStringLiteral("U.S. StormWatch")};
}

bool list_order_less(const QString& a, const QString& b) {
    static const QCollator collator = [] {
        QCollator c;
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    return collator.compare(a, b) < 0;
}

void StartupChoices::add(const QString& item) {
    if (sorted_)
        items_.insert(std::upper_bound(items_.begin(), items_.end(), item, list_order_less), item);
    else
        items_.append(item);
}

void StartupChoices::set_sorted(bool sorted) {
    sorted_ = sorted;
    if (sorted_)
        std::stable_sort(items_.begin(), items_.end(), list_order_less);
}

void fill_startup_choices(StartupChoices& startup_choices) {
    startup_choices.clear();
    for (int n = 0; n <= 20; ++n) {
        const QString preset =
            read_setting(QStringLiteral("Locations"), QStringLiteral("loc%1").arg(n));
        if (preset == setting_absent)
            break;
        startup_choices.add(preset);
    }
    startup_choices.add(QStringLiteral("None"));
}

PreferencesView read_preferences() {
    PreferencesView view;
    const QString auto_update = read_setting(section, QStringLiteral("AutoUpdate"));
    view.auto_update_yes = auto_update == QLatin1String("y") || auto_update == setting_absent;
    view.metric = read_setting(section, QStringLiteral("Metric")) == QLatin1String("y");

    view.startup_text = stored(QStringLiteral("StartupLoc"));

    view.wallpaper_text = stored(QStringLiteral("AutoWallpaper")).value_or(QStringLiteral("None"));
    view.proxy_use = read_setting(section, QStringLiteral("ProxyUse")) == QLatin1String("y");
    view.proxy = stored(QStringLiteral("Proxy"));
    view.proxy_port = stored(QStringLiteral("ProxyPort"));
    view.proxy_userid = stored(QStringLiteral("ProxyUserid"));
    view.proxy_pass = stored(QStringLiteral("ProxyPass"));
    view.warn_watch = read_setting(section, warn_watch_setting) == QLatin1String("y");
    return view;
}

void write_preferences(const PreferencesInput& input) {
    write_setting(section, QStringLiteral("AutoUpdate"),
                  input.auto_update_yes ? QStringLiteral("y") : QStringLiteral("n"));
    write_setting(section, QStringLiteral("StartupLoc"), input.startup_text);
    if (input.proxy_ticked) {
        whole_number_or_throw(input.proxy_port);
        write_setting(section, QStringLiteral("Proxy"), input.proxy);
        write_setting(section, QStringLiteral("ProxyPort"), input.proxy_port);
        write_setting(section, QStringLiteral("ProxyUse"), QStringLiteral("y"));
        write_setting(section, QStringLiteral("ProxyUserid"), input.proxy_userid);
        write_setting(section, QStringLiteral("ProxyPass"), input.proxy_pass);
    } else {
        write_setting(section, QStringLiteral("ProxyUse"), QStringLiteral("n"));
    }
    write_setting(section, QStringLiteral("Metric"),
                  input.english ? QStringLiteral("n") : QStringLiteral("y"));
    write_setting(section, QStringLiteral("AutoWallpaper"), input.wallpaper_text);
    write_setting(section, warn_watch_setting,
                  input.warn_watch ? QStringLiteral("y") : QStringLiteral("n"));
}
