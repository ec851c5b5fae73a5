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
    // Image hosts; a web camera's role is named after its menu item.
    {"PurdueWx", "127.0.0.1:8079"},
    {"TexasAM", "127.0.0.1:8079"},
    {"Yahoo", "127.0.0.1:8079"},
    {"WeatherBank", "127.0.0.1:8079"},
    {"Meteo", "127.0.0.1:8079"},
    {"UWM", "127.0.0.1:8079"},
    {"PurdueAtmos", "127.0.0.1:8079"},
    {"CamAlaskaAnchorage", "127.0.0.1:8079"},
    {"CamArizonaPhoenix", "127.0.0.1:8079"},
    {"CamArkansasLittleRock", "127.0.0.1:8079"},
    {"CamCaliforniaHollywood", "127.0.0.1:8079"},
    {"CamCaliforniaLakeTahoeSugar", "127.0.0.1:8079"},
    {"CamCaliforniaSanFranciscoABC", "127.0.0.1:8079"},
    {"CamCaliforniaSanFranciscoCT", "127.0.0.1:8079"},
    {"CamCaliforniaYosemiteNatlParkHD", "127.0.0.1:8079"},
    {"CamCanadaAlbertaBanff", "127.0.0.1:8079"},
    {"CamCanadaAlbertaBanffBanffCtrArts", "127.0.0.1:8079"},
    {"CamCanadaOntarioNiagraFallsSheraton", "127.0.0.1:8079"},
    {"CamColoradoAspenCopperMtn", "127.0.0.1:8079"},
    {"CamColoradoAspenEldoraMtn", "127.0.0.1:8079"},
    {"CamColoradoAspenMJResort", "127.0.0.1:8079"},
    {"CamColoradoPikesPeak", "127.0.0.1:8079"},
    {"CamFloridaNASA39B", "127.0.0.1:8079"},
    {"CamHawaiiIslandofOahu", "127.0.0.1:8079"},
    {"CamHawaiiMaui", "127.0.0.1:8079"},
    {"CamMissouriStLouis", "127.0.0.1:8079"},
    {"CamTexasAustin", "127.0.0.1:8079"},
    {"CamTexasCollegeStationAM", "127.0.0.1:8079"},
    {"CamTexasDallas", "127.0.0.1:8079"},
    {"CamUtahAlta", "127.0.0.1:8079"},
    {"EarthWatch", "127.0.0.1:8079"},
    {"OutlookMaps", "127.0.0.1:8079"},
    {"ClimateOutlook", "127.0.0.1:8079"},
    {"Census", "127.0.0.1:8079"},
    {"NWS", "127.0.0.1:8079"},
    {"CensusLookup", "127.0.0.1:8079"},
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
