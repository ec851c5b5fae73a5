#include "sample/local_zone.h"

#include <QDateTime>
#include <QFile>
#include <QHash>
#include <QTimeZone>
#include <algorithm>
#include <cmath>
#include <mutex>
#include <numbers>
#include <vector>

namespace {

struct ZoneRow {
    QString country;
    double latitude = 0.0;
    double longitude = 0.0;
    QByteArray id;
};

// "+4151" or "-08739" or "+415100": degrees, minutes and optional seconds.
double parse_angle(QStringView text, int degree_digits) {
    if (text.size() < 1 + degree_digits + 2)
        return 0.0;
    const double sign = text[0] == u'-' ? -1.0 : 1.0;
    const double degrees = text.mid(1, degree_digits).toInt();
    const double minutes = text.mid(1 + degree_digits, 2).toInt();
    const double seconds =
        text.size() >= 1 + degree_digits + 4 ? text.mid(3 + degree_digits, 2).toInt() : 0;
    return sign * (degrees + minutes / 60.0 + seconds / 3600.0);
}

std::vector<ZoneRow> read_zone_list() {
    std::vector<ZoneRow> rows;
    QString dir = qEnvironmentVariable("TZDIR");
    if (dir.isEmpty())
        dir = QStringLiteral("/usr/share/zoneinfo");
    QFile file(dir + QStringLiteral("/zone.tab"));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return rows;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        const QStringList f = line.split(u'\t');
        if (f.size() < 3)
            continue;
        const QStringView coords = f[1];
        qsizetype split = 1;
        while (split < coords.size() && coords[split] != u'+' && coords[split] != u'-')
            ++split;
        const QStringView lat = coords.left(split);
        const QStringView lon = coords.mid(split);
        rows.push_back({f[0], parse_angle(lat, 2), parse_angle(lon, 3), f[2].toLatin1()});
    }
    return rows;
}

const std::vector<ZoneRow>& zone_list() {
    static const std::vector<ZoneRow> rows = read_zone_list();
    return rows;
}

double angular_distance(double lat1, double lon1, double lat2, double lon2) {
    constexpr double deg = std::numbers::pi / 180.0;
    const double c = std::sin(lat1 * deg) * std::sin(lat2 * deg) +
                     std::cos(lat1 * deg) * std::cos(lat2 * deg) * std::cos((lon1 - lon2) * deg);
    return std::acos(std::clamp(c, -1.0, 1.0));
}

// QTimeZone objects share lazily filled caches, so every use goes through one lock.
std::mutex zone_mutex;

QTimeZone& cached_zone(const QByteArray& id) {
    static QHash<QByteArray, QTimeZone> zones;
    auto it = zones.find(id);
    if (it == zones.end())
        it = zones.insert(id, QTimeZone(id));
    return *it;
}

QString offset_name(int offset_seconds) {
    if (offset_seconds == 0)
        return QStringLiteral("GMT");
    const int minutes = std::abs(offset_seconds) / 60;
    QString text =
        QStringLiteral("GMT") + (offset_seconds < 0 ? u'-' : u'+') + QString::number(minutes / 60);
    if (minutes % 60 != 0)
        text += u':' + QStringLiteral("%1").arg(minutes % 60, 2, 10, QChar(u'0'));
    return text;
}

bool all_letters(const QString& text) {
    if (text.isEmpty())
        return false;
    for (const QChar c : text)
        if (!c.isLetter())
            return false;
    return true;
}

PlaceZone named_zone(const char* id, double longitude) {
    PlaceZone zone;
    zone.zone_id = id;
    zone.fallback_offset_seconds = static_cast<int>(std::lround(longitude / 15.0)) * 3600;
    return zone;
}

// The zone of the nearest main city of a country's zones in the system's list.
PlaceZone nearest_zone(const char* country, double latitude, double longitude) {
    PlaceZone zone = named_zone("", longitude);
    double best_distance = 0.0;
    for (const ZoneRow& row : zone_list()) {
        if (row.country != QLatin1String(country))
            continue;
        const double d = angular_distance(latitude, longitude, row.latitude, row.longitude);
        if (zone.zone_id.isEmpty() || d < best_distance) {
            zone.zone_id = row.id;
            best_distance = d;
        }
    }
    return zone;
}

} // namespace

PlaceZone zone_for_us_place(const QString& state_code, double latitude, double longitude) {
    // States split between two zones: the smaller part by a rough line of longitude/latitude.
    const auto pick = [&](bool second, const char* second_zone, const char* first_zone) {
        return named_zone(second ? second_zone : first_zone, longitude);
    };
    const QString& s = state_code;
    if (s == u"AK")
        return pick(longitude < -169.5, "America/Adak", "America/Anchorage");
    if (s == u"FL")
        return pick(longitude < -85.0 && latitude > 29.5, "America/Chicago", "America/New_York");
    if (s == u"ID")
        return pick(latitude > 45.6, "America/Los_Angeles", "America/Boise");
    if (s == u"IN")
        return pick(longitude < -86.9 && (latitude > 40.9 || latitude < 38.6), "America/Chicago",
                    "America/Indiana/Indianapolis");
    if (s == u"KS")
        return pick(longitude < -101.5, "America/Denver", "America/Chicago");
    if (s == u"KY")
        return pick(longitude < -86.0, "America/Chicago", "America/New_York");
    if (s == u"MI")
        return pick(longitude < -87.0 && latitude > 45.0, "America/Chicago", "America/Detroit");
    if (s == u"ND")
        return pick(latitude < 47.3 && longitude < -100.9, "America/Denver", "America/Chicago");
    if (s == u"NE")
        return pick(longitude < -101.4, "America/Denver", "America/Chicago");
    if (s == u"OR")
        return pick(latitude < 44.4 && longitude > -118.2, "America/Boise", "America/Los_Angeles");
    if (s == u"SD")
        return pick(longitude < -100.5, "America/Denver", "America/Chicago");
    if (s == u"TN")
        return pick(longitude > -85.4, "America/New_York", "America/Chicago");
    if (s == u"TX")
        return pick(longitude < -104.9, "America/Denver", "America/Chicago");

    static const QHash<QString, const char*> single = {
        {"AL", "America/Chicago"},     {"AR", "America/Chicago"},   {"AZ", "America/Phoenix"},
        {"CA", "America/Los_Angeles"}, {"CO", "America/Denver"},    {"CT", "America/New_York"},
        {"DC", "America/New_York"},    {"DE", "America/New_York"},  {"GA", "America/New_York"},
        {"HI", "Pacific/Honolulu"},    {"IA", "America/Chicago"},   {"IL", "America/Chicago"},
        {"LA", "America/Chicago"},     {"MA", "America/New_York"},  {"MD", "America/New_York"},
        {"ME", "America/New_York"},    {"MN", "America/Chicago"},   {"MO", "America/Chicago"},
        {"MS", "America/Chicago"},     {"MT", "America/Denver"},    {"NC", "America/New_York"},
        {"NH", "America/New_York"},    {"NJ", "America/New_York"},  {"NM", "America/Denver"},
        {"NV", "America/Los_Angeles"}, {"NY", "America/New_York"},  {"OH", "America/New_York"},
        {"OK", "America/Chicago"},     {"PA", "America/New_York"},  {"PR", "America/Puerto_Rico"},
        {"RI", "America/New_York"},    {"SC", "America/New_York"},  {"UT", "America/Denver"},
        {"VA", "America/New_York"},    {"VI", "America/St_Thomas"}, {"VT", "America/New_York"},
        {"WA", "America/Los_Angeles"}, {"WI", "America/Chicago"},   {"WV", "America/New_York"},
        {"WY", "America/Denver"},
    };
    return named_zone(single.value(s, ""), longitude);
}

PlaceZone zone_for_foreign_place(const QString& label, double latitude, double longitude) {
    QString area = label;
    if (area.endsWith(QStringLiteral(" (O)")))
        area.chop(4);
    if (area == u"Ontario")
        return named_zone(longitude < -90.0 ? "America/Winnipeg" : "America/Toronto", longitude);
    if (area == u"Spain")
        return named_zone(longitude < -12.0 ? "Atlantic/Canary" : "Europe/Madrid", longitude);
    if (area == u"Mexico")
        return nearest_zone("MX", latitude, longitude);
    if (area == u"Russia")
        return nearest_zone("RU", latitude, longitude);

    static const QHash<QString, const char*> single = {
        {"Egypt", "Africa/Cairo"},
        {"Kenya", "Africa/Nairobi"},
        {"Tanzania", "Africa/Dar_es_Salaam"},
        {"India", "Asia/Kolkata"},
        {"Japan", "Asia/Tokyo"},
        {"Malaysia", "Asia/Kuala_Lumpur"},
        {"Capital Territory", "Australia/Sydney"},
        {"New South Wales", "Australia/Sydney"},
        {"Northern Territory", "Australia/Darwin"},
        {"Queensland", "Australia/Brisbane"},
        {"South Australia", "Australia/Adelaide"},
        {"Tasmania", "Australia/Hobart"},
        {"Victoria", "Australia/Melbourne"},
        {"Western Australia", "Australia/Perth"},
        {"New Zealand", "Pacific/Auckland"},
        {"Alberta", "America/Edmonton"},
        {"British Columbia", "America/Vancouver"},
        {"Manitoba", "America/Winnipeg"},
        {"New Brunswick", "America/Moncton"},
        {"Nova Scotia", "America/Halifax"},
        {"Prince Edward Island", "America/Halifax"},
        {"Quebec", "America/Toronto"},
        {"Saskatchewan", "America/Regina"},
        {"Belize", "America/Belize"},
        {"Costa Rica", "America/Costa_Rica"},
        {"Dominica", "America/Dominica"},
        {"Dominican Republic", "America/Santo_Domingo"},
        {"El Salvador", "America/El_Salvador"},
        {"Guatemala", "America/Guatemala"},
        {"Honduras", "America/Tegucigalpa"},
        {"Nicaragua", "America/Managua"},
        {"Panama", "America/Panama"},
        {"Finland", "Europe/Helsinki"},
        {"France", "Europe/Paris"},
        {"Germany", "Europe/Berlin"},
        {"Italy", "Europe/Rome"},
        {"Netherlands", "Europe/Amsterdam"},
        {"Norway", "Europe/Oslo"},
        {"Romania", "Europe/Bucharest"},
        {"Switzerland", "Europe/Zurich"},
        {"Turkey", "Europe/Istanbul"},
        {"United Kingdom", "Europe/London"},
        {"Antigua", "America/Antigua"},
        {"Bahamas", "America/Nassau"},
        {"Barbados", "America/Barbados"},
        {"Bermuda", "Atlantic/Bermuda"},
        {"Cayman Island", "America/Cayman"},
        {"Fiji", "Pacific/Fiji"},
        {"Jamaica", "America/Jamaica"},
        {"Trinidad And Tobago", "America/Port_of_Spain"},
        {"Peru", "America/Lima"},
    };
    return named_zone(single.value(area, ""), longitude);
}

bool zone_known(const PlaceZone& zone) {
    if (zone.zone_id.isEmpty())
        return false;
    const std::lock_guard lock(zone_mutex);
    return cached_zone(zone.zone_id).isValid();
}

LocalClock local_clock(const PlaceZone& zone, long long unix_ms) {
    LocalClock clock;
    clock.offset_seconds = zone.fallback_offset_seconds;
    bool named = false;
    if (!zone.zone_id.isEmpty()) {
        const std::lock_guard lock(zone_mutex);
        const QTimeZone& tz = cached_zone(zone.zone_id);
        if (tz.isValid()) {
            const QDateTime moment = QDateTime::fromMSecsSinceEpoch(unix_ms, Qt::UTC);
            clock.offset_seconds = tz.offsetFromUtc(moment);
            const QString abbreviation = tz.abbreviation(moment);
            if (all_letters(abbreviation)) {
                clock.zone_name = abbreviation;
                named = true;
            }
        }
    }
    if (!named)
        clock.zone_name = offset_name(clock.offset_seconds);
    clock.local_ms = unix_ms + static_cast<long long>(clock.offset_seconds) * 1000;
    return clock;
}
