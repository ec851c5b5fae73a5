#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>

// A decoded METAR report as the observation files of the weather service's file server hold
// it: an optional first line with the UTC date and time ("2026/12/08 10:51"), then the report
// ("KORD 081051Z 27012G20KT 10SM FEW050 M02/M08 A3012 RMK AO2 T10171078"). Groups the report
// lacks stay empty; a report without its station or time group is not a report.

struct MetarWind {
    bool calm = false;
    bool variable = false;     // "VRB": no direction
    int direction_degrees = 0; // where the wind comes from, when not calm or variable
    double speed_mph = 0.0;
    std::optional<double> gust_mph;
};

enum class CloudCover { None, Clear, Few, Scattered, Broken, Overcast, Obscured };

struct MetarReport {
    QString station;        // "KORD"
    QDateTime observed_utc; // invalid when the time cannot be placed
    std::optional<double> temperature_c;
    std::optional<double> dew_point_c;
    std::optional<MetarWind> wind;
    std::optional<double> visibility_miles;
    bool cavok = false;
    std::optional<double> pressure_hpa;
    std::optional<double> pressure_in;
    QStringList weather;                 // present weather groups as written: "-SHRA", "BR"
    CloudCover cover = CloudCover::None; // the most covering layer; None when no group
};

// Decodes the report; reference_utc places a report that has only its day-of-month time group
// (the most recent such moment not after reference_utc plus a day). Nothing when the text has
// no station identifier followed by a "ddhhmmZ" group.
std::optional<MetarReport> decode_metar(const QString& text, const QDateTime& reference_utc);

// Relative humidity in whole percent (0 to 100) from temperature and dew point.
int relative_humidity(double temperature_c, double dew_point_c);

// The sky as the conditions page words it, in the words the tray picture is chosen by:
// present weather first ("Light Snow", "Thunderstorm", "Fog"), else the cloud cover ("Clear",
// "Mostly Clear", "Partly Cloudy", "Mostly Cloudy", "Overcast"); empty when the report says
// neither.
QString sky_text(const MetarReport& report);

// Whole degrees Fahrenheit from Celsius.
int fahrenheit(double celsius);
