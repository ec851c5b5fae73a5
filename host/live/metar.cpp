#include "live/metar.h"

#include <QRegularExpression>
#include <QTimeZone>
#include <algorithm>
#include <cmath>
#include <utility>

namespace {

constexpr double mph_per_knot = 1.150779;
constexpr double mph_per_metre_per_second = 2.236936;
constexpr double mph_per_kmh = 0.621371;
constexpr double metres_per_mile = 1609.344;
constexpr double hpa_per_inch = 33.8639;

bool all_digits(const QString& text) {
    return !text.isEmpty() &&
           std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

// "M05" is -5; "12" is 12.
std::optional<double> signed_temperature(const QString& text) {
    const bool minus = text.startsWith(u'M');
    const QString digits = minus ? text.mid(1) : text;
    if (digits.size() != 2 || !all_digits(digits))
        return std::nullopt;
    const double value = digits.toDouble();
    return minus ? -value : value;
}

// "1/2" -> 0.5, "3" -> 3.
std::optional<double> fraction_or_number(const QString& text) {
    const qsizetype slash = text.indexOf(u'/');
    if (slash < 0)
        return all_digits(text) ? std::optional<double>(text.toDouble()) : std::nullopt;
    const QString top = text.left(slash);
    const QString bottom = text.mid(slash + 1);
    if (!all_digits(top) || !all_digits(bottom) || bottom.toInt() == 0)
        return std::nullopt;
    return top.toDouble() / bottom.toDouble();
}

std::optional<MetarWind> wind_group(const QString& group) {
    static const QRegularExpression pattern(
        QStringLiteral("^(\\d{3}|VRB)(\\d{2,3})(?:G(\\d{2,3}))?(KT|MPS|KMH)$"));
    const QRegularExpressionMatch m = pattern.match(group);
    if (!m.hasMatch())
        return std::nullopt;
    const QString unit = m.captured(4);
    const double factor = unit == u"KT"    ? mph_per_knot
                          : unit == u"MPS" ? mph_per_metre_per_second
                                           : mph_per_kmh;
    MetarWind wind;
    const int speed = m.captured(2).toInt();
    wind.speed_mph = speed * factor;
    if (m.hasCaptured(3) && !m.captured(3).isEmpty())
        wind.gust_mph = m.captured(3).toInt() * factor;
    if (m.captured(1) == u"VRB") {
        wind.variable = true;
    } else {
        wind.direction_degrees = m.captured(1).toInt();
        if (wind.direction_degrees > 360)
            return std::nullopt;
    }
    wind.calm = speed == 0 && !wind.gust_mph;
    return wind;
}

bool is_weather_group(const QString& group) {
    static const QRegularExpression pattern(
        QStringLiteral("^(?:[-+]|VC)?(?:MI|PR|BC|DR|BL|SH|TS|FZ)?"
                       "(?:DZ|RA|SN|SG|IC|PL|GR|GS|UP|BR|FG|FU|VA|DU|SA|HZ|PY|PO|SQ|FC|SS|DS)*$"));
    // Weather in the vicinity ("VCSH") is not at the station.
    return group.size() >= 2 && !group.startsWith(QStringLiteral("VC")) &&
           pattern.match(group).hasMatch();
}

CloudCover cover_of(const QString& group) {
    if (group == u"SKC" || group == u"CLR" || group == u"NSC" || group == u"NCD")
        return CloudCover::Clear;
    static const QRegularExpression layer(
        QStringLiteral("^(FEW|SCT|BKN|OVC|VV)(\\d{3}|///)(CB|TCU|///)?$"));
    const QRegularExpressionMatch m = layer.match(group);
    if (!m.hasMatch())
        return CloudCover::None;
    const QString kind = m.captured(1);
    if (kind == u"FEW")
        return CloudCover::Few;
    if (kind == u"SCT")
        return CloudCover::Scattered;
    if (kind == u"BKN")
        return CloudCover::Broken;
    if (kind == u"OVC")
        return CloudCover::Overcast;
    return CloudCover::Obscured;
}

// The moment of a "ddhhmm" group: the latest one at or before reference + 1 day.
QDateTime place_day_time(int day, int hour, int minute, const QDateTime& reference_utc) {
    const QDate latest = reference_utc.date().addDays(1);
    for (int back = 0; back < 3; ++back) {
        QDate month = latest.addMonths(-back);
        const QDate candidate(month.year(), month.month(), day);
        if (!candidate.isValid())
            continue;
        const QDateTime moment(candidate, QTime(hour, minute), QTimeZone::utc());
        if (moment <= reference_utc.addDays(1))
            return moment;
    }
    return {};
}

// A report split into its groups, with the file's first line when it has one.
struct ReportText {
    QDateTime file_time; // invalid without the line
    QStringList groups;
};

ReportText split_report(const QString& text) {
    ReportText report;
    QString body = text;
    // The observation file's first line: "2026/12/08 10:51".
    static const QRegularExpression stamp(
        QStringLiteral("^\\s*(\\d{4})/(\\d{2})/(\\d{2}) (\\d{2}):(\\d{2})\\s*\\n"));
    if (const QRegularExpressionMatch m = stamp.match(body); m.hasMatch()) {
        report.file_time =
            QDateTime(QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt()),
                      QTime(m.captured(4).toInt(), m.captured(5).toInt()), QTimeZone::utc());
        body = body.mid(m.capturedLength());
    }
    report.groups = body.simplified().split(u' ', Qt::SkipEmptyParts);
    // The report ends at "=" when it has one.
    QStringList& groups = report.groups;
    for (qsizetype i = 0; i < groups.size(); ++i) {
        if (groups[i].endsWith(u'=')) {
            groups[i].chop(1);
            groups = groups.mid(0, i + 1);
            break;
        }
    }
    return report;
}

// The station and the "ddhhmmZ" group after an optional "METAR" or "SPECI": the report with
// its station and time, and the index of the group after them; nothing when they are missing.
std::optional<std::pair<MetarReport, qsizetype>> station_and_time(const ReportText& text,
                                                                  const QDateTime& reference_utc) {
    const QStringList& groups = text.groups;
    qsizetype i = 0;
    if (i < groups.size() && (groups[i] == u"METAR" || groups[i] == u"SPECI"))
        ++i;
    static const QRegularExpression station_pattern(QStringLiteral("^[A-Z][A-Z0-9]{3}$"));
    static const QRegularExpression time_pattern(QStringLiteral("^(\\d{2})(\\d{2})(\\d{2})Z$"));
    if (i + 1 >= groups.size() || !station_pattern.match(groups[i]).hasMatch())
        return std::nullopt;
    const QRegularExpressionMatch time = time_pattern.match(groups[i + 1]);
    if (!time.hasMatch())
        return std::nullopt;
    MetarReport report;
    report.station = groups[i];
    const int day = time.captured(1).toInt();
    const int hour = time.captured(2).toInt();
    const int minute = time.captured(3).toInt();
    if (day < 1 || day > 31 || hour > 23 || minute > 59)
        return std::nullopt;
    const QDateTime& file_time = text.file_time;
    if (file_time.isValid() && file_time.date().day() == day)
        report.observed_utc = QDateTime(file_time.date(), QTime(hour, minute), QTimeZone::utc());
    else
        report.observed_utc =
            place_day_time(day, hour, minute, file_time.isValid() ? file_time : reference_utc);
    return std::pair{report, i + 2};
}

// A remark the report is read for: temperature and dew point in tenths, "T10171078".
void read_remark(const QString& group, MetarReport& report) {
    static const QRegularExpression tenths_pattern(
        QStringLiteral("^T([01])(\\d{3})(?:([01])(\\d{3}))?$"));
    const QRegularExpressionMatch m = tenths_pattern.match(group);
    if (!m.hasMatch())
        return;
    const double t = m.captured(2).toInt() / 10.0;
    report.temperature_c = m.captured(1) == u"1" ? -t : t;
    if (!m.captured(3).isEmpty()) {
        const double d = m.captured(4).toInt() / 10.0;
        report.dew_point_c = m.captured(3) == u"1" ? -d : d;
    }
}

// The visibility at groups[i]: statute miles ("10SM", "1/2SM", "1 1/2SM" over two groups) or
// metres ("9999", "0800"). False when the group is none; i moves past a second group read.
bool read_visibility(const QStringList& groups, qsizetype& i, MetarReport& report) {
    static const QRegularExpression metres_pattern(QStringLiteral("^(\\d{4})(NDV)?$"));
    static const QRegularExpression miles_pattern(QStringLiteral("^([MP])?(\\d+/\\d+|\\d+)SM$"));
    const QString& g = groups[i];
    // "1 1/2SM": a whole number group before the fraction.
    if (all_digits(g) && g.size() == 1 && i + 1 < groups.size() &&
        groups[i + 1].endsWith(QStringLiteral("SM")) && groups[i + 1].contains(u'/')) {
        const QRegularExpressionMatch m = miles_pattern.match(groups[i + 1]);
        if (m.hasMatch())
            if (const auto part = fraction_or_number(m.captured(2))) {
                report.visibility_miles = g.toDouble() + *part;
                ++i;
                return true;
            }
    }
    if (const QRegularExpressionMatch m = miles_pattern.match(g); m.hasMatch()) {
        if (const auto miles = fraction_or_number(m.captured(2))) {
            report.visibility_miles = *miles;
            return true;
        }
    }
    if (const QRegularExpressionMatch m = metres_pattern.match(g); m.hasMatch()) {
        const int metres = m.captured(1).toInt();
        report.visibility_miles = (metres == 9999 ? 10000 : metres) / metres_per_mile;
        return true;
    }
    return false;
}

// A cloud layer, temperature and dew point ("M02/M08"), altimeter ("A3012") or QNH ("Q1008").
// False when the group is none of them.
bool read_sky_or_measurement(const QString& g, MetarReport& report) {
    static const QRegularExpression temperature_pattern(QStringLiteral("^(M?\\d{2})/(M?\\d{2})?$"));
    static const QRegularExpression altimeter_pattern(QStringLiteral("^A(\\d{4})$"));
    static const QRegularExpression qnh_pattern(QStringLiteral("^Q(\\d{3,4})$"));
    if (const CloudCover cover = cover_of(g); cover != CloudCover::None) {
        report.cover = std::max(report.cover, cover);
        return true;
    }
    if (const QRegularExpressionMatch m = temperature_pattern.match(g); m.hasMatch()) {
        report.temperature_c = signed_temperature(m.captured(1));
        if (!m.captured(2).isEmpty())
            report.dew_point_c = signed_temperature(m.captured(2));
        return true;
    }
    if (const QRegularExpressionMatch m = altimeter_pattern.match(g); m.hasMatch()) {
        report.pressure_in = m.captured(1).toInt() / 100.0;
        report.pressure_hpa = *report.pressure_in * hpa_per_inch;
        return true;
    }
    if (const QRegularExpressionMatch m = qnh_pattern.match(g); m.hasMatch()) {
        report.pressure_hpa = m.captured(1).toDouble();
        if (!report.pressure_in)
            report.pressure_in = *report.pressure_hpa / hpa_per_inch;
        return true;
    }
    return false;
}

} // namespace

int fahrenheit(double celsius) {
    return static_cast<int>(std::lround(celsius * 9.0 / 5.0 + 32.0));
}

int relative_humidity(double temperature_c, double dew_point_c) {
    // Magnus formula over water.
    const auto vapour = [](double t) { return std::exp(17.625 * t / (243.04 + t)); };
    const double rh = 100.0 * vapour(dew_point_c) / vapour(temperature_c);
    return static_cast<int>(std::clamp<long>(std::lround(rh), 0L, 100L));
}

std::optional<MetarReport> decode_metar(const QString& text, const QDateTime& reference_utc) {
    const ReportText split = split_report(text);
    std::optional<std::pair<MetarReport, qsizetype>> start = station_and_time(split, reference_utc);
    if (!start)
        return std::nullopt;
    MetarReport& report = start->first;
    const QStringList& groups = split.groups;
    bool remarks = false;
    for (qsizetype i = start->second; i < groups.size(); ++i) {
        const QString& g = groups[i];
        if (remarks) {
            read_remark(g, report);
            continue;
        }
        if (g == u"RMK") {
            remarks = true;
            continue;
        }
        if (g == u"AUTO" || g == u"COR" || g == u"NIL")
            continue;
        if (g == u"BECMG" || g == u"TEMPO" || g == u"NOSIG")
            break; // the trend part forecasts; it is not observed
        if (!report.wind)
            if (const std::optional<MetarWind> wind = wind_group(g)) {
                report.wind = wind;
                continue;
            }
        if (g == u"CAVOK") {
            report.cavok = true;
            report.visibility_miles = 10000.0 / metres_per_mile;
            report.cover = std::max(report.cover, CloudCover::Clear);
            continue;
        }
        if (!report.visibility_miles && read_visibility(groups, i, report))
            continue;
        if (read_sky_or_measurement(g, report))
            continue;
        if (is_weather_group(g))
            report.weather.append(g);
    }
    return report;
}

namespace {

QString intensity_word(const QString& group) {
    if (group.startsWith(u'-'))
        return QStringLiteral("Light ");
    if (group.startsWith(u'+'))
        return QStringLiteral("Heavy ");
    return {};
}

// One present weather group in words; empty for a group that says nothing of the sky.
QString weather_words(const QString& group) {
    const QString intensity = intensity_word(group);
    const QString g = group.startsWith(u'-') || group.startsWith(u'+') ? group.mid(1) : group;
    if (g.contains(QStringLiteral("TS")))
        return intensity + QStringLiteral("Thunderstorm");
    if (g.contains(QStringLiteral("SN")) && g.contains(QStringLiteral("RA")))
        return intensity + QStringLiteral("Rain and Snow");
    if (g.contains(QStringLiteral("BLSN")))
        return QStringLiteral("Blowing Snow");
    if (g.contains(QStringLiteral("SHSN")))
        return intensity + QStringLiteral("Snow Showers");
    if (g.contains(QStringLiteral("SN")))
        return intensity + QStringLiteral("Snow");
    if (g.contains(QStringLiteral("SG")))
        return intensity + QStringLiteral("Snow Grains");
    if (g.contains(QStringLiteral("PL")))
        return intensity + QStringLiteral("Ice Pellets");
    if (g.contains(QStringLiteral("GR")) || g.contains(QStringLiteral("GS")))
        return QStringLiteral("Hail");
    if (g.contains(QStringLiteral("FZRA")))
        return intensity + QStringLiteral("Freezing Rain");
    if (g.contains(QStringLiteral("SHRA")))
        return intensity + QStringLiteral("Rain Showers");
    if (g.contains(QStringLiteral("RA")))
        return intensity + QStringLiteral("Rain");
    if (g.contains(QStringLiteral("FZDZ")))
        return intensity + QStringLiteral("Freezing Drizzle");
    if (g.contains(QStringLiteral("DZ")))
        return intensity + QStringLiteral("Drizzle");
    if (g.contains(QStringLiteral("UP")))
        return QStringLiteral("Precipitation");
    if (g.contains(QStringLiteral("FG"))) {
        if (g.startsWith(QStringLiteral("FZ")))
            return QStringLiteral("Freezing Fog");
        if (g.startsWith(QStringLiteral("MI")))
            return QStringLiteral("Shallow Fog");
        if (g.startsWith(QStringLiteral("BC")) || g.startsWith(QStringLiteral("PR")))
            return QStringLiteral("Patches of Fog");
        return QStringLiteral("Fog");
    }
    if (g == u"BR")
        return QStringLiteral("Mist");
    if (g == u"HZ")
        return QStringLiteral("Haze");
    if (g == u"FU")
        return QStringLiteral("Smoke");
    if (g == u"VA")
        return QStringLiteral("Volcanic Ash");
    if (g.contains(QStringLiteral("DU")) || g.contains(QStringLiteral("SA")) ||
        g.contains(QStringLiteral("SS")) || g.contains(QStringLiteral("DS")))
        return QStringLiteral("Dust");
    if (g == u"SQ")
        return QStringLiteral("Squalls");
    if (g == u"FC")
        return QStringLiteral("Funnel Cloud");
    return {};
}

} // namespace

QString sky_text(const MetarReport& report) {
    for (const QString& group : report.weather) {
        const QString words = weather_words(group);
        if (!words.isEmpty())
            return words;
    }
    switch (report.cover) {
    case CloudCover::Clear:
        return QStringLiteral("Clear");
    case CloudCover::Few:
        return QStringLiteral("Mostly Clear");
    case CloudCover::Scattered:
        return QStringLiteral("Partly Cloudy");
    case CloudCover::Broken:
        return QStringLiteral("Mostly Cloudy");
    case CloudCover::Overcast:
    case CloudCover::Obscured:
        return QStringLiteral("Overcast");
    case CloudCover::None:
        break;
    }
    return {};
}
