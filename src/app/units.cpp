#include "app/units.h"

#include "app/main_window_rules.h"

#include <algorithm>
#include <cmath>

namespace {

const QString not_available = QStringLiteral("n/a");

bool is_digit(QChar c) {
    return c >= u'0' && c <= u'9';
}

// Rounds a count of ten-thousandths to a whole number, halves to the even neighbour.
qint64 round_units_half_even(qint64 units) {
    qint64 whole = units / 10000;
    qint64 rest = units % 10000;
    if (rest < 0) {
        rest += 10000;
        --whole;
    }
    if (rest > 5000 || (rest == 5000 && (whole & 1) != 0))
        ++whole;
    return whole;
}

// Adds a term computed in floating point to a four-decimal fixed-point sum, rounding the sum
// to four decimals (halves to even: the default rounding mode of nearbyint).
qint64 add_term(qint64 sum_units, double term) {
    return static_cast<qint64>(std::nearbyint(static_cast<double>(sum_units) + term * 10000.0));
}

// The heat-index regression in ten-thousandths: a fixed-point sum with four decimals that
// starts at exactly -42.379 and is rounded after each term.
qint64 regression_heat_index_units(int temperature_f, int rh) {
    const double t = temperature_f;
    const double r = rh;
    qint64 sum = -423790; // -42.379
    sum = add_term(sum, 2.04901523 * t);
    sum = add_term(sum, 10.14333127 * r);
    sum = add_term(sum, -(0.22475541 * t * r));
    sum = add_term(sum, -(0.00683783 * t * t));
    sum = add_term(sum, -(0.05481717 * r * r));
    sum = add_term(sum, 0.00122874 * t * t * r);
    sum = add_term(sum, 0.00085282 * t * r * r);
    sum = add_term(sum, -(0.00000199 * t * t * r * r));
    return sum;
}

// The simple formula 0.5 * (T + 61 + (T - 68) * 1.2 + RH * 0.094) = 1.1 T - 10.3 + 0.047 RH,
// exact in ten-thousandths.
qint64 simple_heat_index_units(int temperature_f, int rh) {
    return 11000 * static_cast<qint64>(temperature_f) - 103000 + 470 * static_cast<qint64>(rh);
}

QString fahrenheit_text(qint64 degrees) {
    return QString::number(degrees) + degree_sign + QStringLiteral(" F");
}

// The digits among the first `count` characters, in order.
QString digits_among(const QString& text, qsizetype count) {
    QString digits;
    for (qsizetype i = 0; i < std::min(count, text.size()); ++i)
        if (is_digit(text[i]))
            digits += text[i];
    return digits;
}

} // namespace

bool metric_display(const QString& metric_setting) {
    return metric_setting == u"y";
}

ConvertedTemperature convert_temperature(const QString& field_text, TemperatureCode code) {
    bool negative = false;
    int value = 0;
    int digit_count = 0;
    for (qsizetype i = 0; i < std::min<qsizetype>(4, field_text.size()); ++i) {
        const QChar c = field_text[i];
        if (is_digit(c)) {
            value = value * 10 + (c.unicode() - u'0');
            ++digit_count;
        } else if (c == u'-' && digit_count == 0) {
            negative = true;
        }
    }
    // A heat-index or wind-chill text without digits must not wipe the parsed temperature.
    if (digit_count == 0)
        return {not_available,
                code == TemperatureCode::Empty ? std::nullopt : std::optional<int>(no_temperature)};
    const int t = negative ? -value : value;
    if (code == TemperatureCode::FX)
        return {field_text, t};
    // (t - 32) * 5 / 9 is never exactly halfway between two whole numbers.
    const long celsius = std::lround((t - 32) * 5 / 9.0);
    QString text = QString::number(celsius) + degree_sign + QStringLiteral(" C  ");
    if (code == TemperatureCode::FC)
        return {text, t};
    return {text, std::nullopt};
}

QString compute_heat_index(int temperature_f, const QString& lblHumid2,
                           const QString& lblHeatIndex2, const QString& metric_setting) {
    if (lblHeatIndex2.size() >= 2 && lblHeatIndex2 != not_available)
        return lblHeatIndex2;
    if (temperature_f == no_temperature)
        return not_available;

    const QString humidity = trim_control(lblHumid2).left(3).toString();
    int rh = 0;
    for (qsizetype i = 0; i < humidity.size() && is_digit(humidity[i]); ++i)
        rh = rh * 10 + (humidity[i].unicode() - u'0');
    if (temperature_f < 60)
        return not_available;
    rh = std::clamp(rh, 0, 100);

    qint64 sum = simple_heat_index_units(temperature_f, rh);
    // The regression holds only for a heat index of about 80 F or more: the weather service
    // keeps the simple formula while its average with the temperature stays below 80.
    if (sum + static_cast<qint64>(temperature_f) * 10000 >= 1600000)
        sum = regression_heat_index_units(temperature_f, rh);
    if (sum < 0)
        sum = 0;

    const QString result = fahrenheit_text(round_units_half_even(sum));
    if (metric_display(metric_setting))
        return convert_temperature(result, TemperatureCode::Empty).field_text;
    return result;
}

QString compute_wind_chill(int temperature_f, const QString& lblWind2, const QString& lblTemp2,
                           const QString& metric_setting) {
    if (temperature_f == no_temperature)
        return lblTemp2;

    QString digits = digits_among(lblWind2, 9);
    if (digits.isEmpty())
        digits = digits_among(lblWind2, 14);
    if (digits.isEmpty())
        return not_available;
    const qint64 v = digits.toLongLong(); // at most 14 digits
    if (v < 5)
        return lblTemp2;

    const qint64 s = std::llround(std::sqrt(static_cast<double>(v)));
    const double bracket =
        0.474677 - 0.020425 * static_cast<double>(v) + 0.303107 * static_cast<double>(s);
    const qint64 difference_units = 914000 - static_cast<qint64>(temperature_f) * 10000; // 91.4 - T
    const double product_units = bracket * static_cast<double>(difference_units);

    qint64 chill = 0;
    if (std::fabs(product_units) < 9.0e15) {
        const auto product = static_cast<qint64>(std::nearbyint(product_units));
        chill = round_units_half_even(914000 - product);
    } else {
        // Absurd wind speeds leave the range of the fixed-point sum; whole degrees suffice.
        chill = static_cast<qint64>(std::nearbyint((914000.0 - product_units) / 10000.0));
    }

    // A wind never warms the air: where the whole-number root makes the formula come out above
    // the temperature, the temperature stands as it does in light wind.
    if (chill > temperature_f)
        return lblTemp2;

    const QString result = fahrenheit_text(chill);
    if (metric_display(metric_setting))
        return convert_temperature(result, TemperatureCode::Empty).field_text;
    return result;
}
