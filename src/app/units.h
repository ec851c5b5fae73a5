#pragma once

#include <QChar>
#include <QString>
#include <optional>

// Temperatures as the conditions window shows them. Page texts are in degrees Fahrenheit;
// "Metric" = "y" shows Celsius. temperature_f is 999 when there is no temperature.

inline constexpr QChar degree_sign{0xB0};
inline constexpr int no_temperature = 999;

// True when the "Settings"/"Metric" value selects Celsius display ("y" only).
bool metric_display(const QString& metric_setting);

// The conversion codes: FC sets temperature_f and gives the Celsius text, FX sets
// temperature_f and keeps the page's text, Empty gives the Celsius text only.
enum class TemperatureCode { FC, FX, Empty };

struct ConvertedTemperature {
    QString field_text;
    // The new temperature_f; present for FC and FX, absent for Empty (left as it was).
    std::optional<int> temperature_f;
};

// Reads the digits among the first four characters of field_text (a "-" before the first
// digit makes the number negative). Without digits the text becomes "n/a" and FC/FX give
// temperature_f 999. The Celsius text is the rounded whole number, degree sign, " C  ".
ConvertedTemperature convert_temperature(const QString& field_text, TemperatureCode code);

// The new text of lblHeatIndex2: unchanged when the page gave a heat index (2 or more
// characters, not "n/a"); otherwise the weather service's heat index from temperature_f and
// the humidity label, in fixed point with four decimals: the simple formula while its average
// with the temperature is below 80 F, the regression from there on; "n/a" below 60 F or
// without a temperature.
QString compute_heat_index(int temperature_f, const QString& lblHumid2,
                           const QString& lblHeatIndex2, const QString& metric_setting);

// The text of lblWindChill2 from temperature_f and the wind label: the temperature label's
// text without a temperature, under 5 mph or where the formula comes out above the
// temperature; "n/a" when the wind text has no digits.
QString compute_wind_chill(int temperature_f, const QString& lblWind2, const QString& lblTemp2,
                           const QString& metric_setting);
