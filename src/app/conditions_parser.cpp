#include "app/conditions_parser.h"

#include "app/main_window_rules.h"
#include "app/units.h"

#include <algorithm>
#include <array>

namespace {

const QString not_available = QStringLiteral("n/a");

// Positions below count from 1, as the page's rules are written; 0 means "not found".
qsizetype pos(QStringView text, QStringView marker) {
    return text.indexOf(marker) + 1;
}

// `count` characters from position `from`; a count running past the end stops there.
QStringView take(QStringView text, qsizetype from, qsizetype count) {
    if (count <= 0 || from < 1 || from > text.size())
        return {};
    return text.sliced(from - 1, std::min(count, text.size() - from + 1));
}

// The characters from position `from` up to but not including position `to`.
QStringView between(QStringView text, qsizetype from, qsizetype to) {
    return take(text, from, to - from);
}

bool starts_with_at(const char16_t* s, const char16_t* word) {
    for (; *word != 0; ++s, ++word)
        if (*s != *word)
            return false;
    return true;
}

// The characters the markup removal looks at; every other one is copied as it is.
constexpr auto markup_special = [] {
    std::array<bool, 128> special{};
    for (const char16_t c :
         {u'<', u'n', u'#', u'&', u'_', u'\0', u'\b', u'\t', u'\n', u'\v', u'\f', u'\r'})
        special[c] = true;
    return special;
}();

// The value behind a label up to the position of the next label, "n/a" without the label.
QString field_between(QStringView text, qsizetype label, qsizetype offset, qsizetype end) {
    if (label == 0)
        return not_available;
    return between(text, label + offset, end).toString();
}

// The sky text runs to "Visibility", or else to the first " Up" or "Add" 11 to 30 characters
// behind the label, or else 30 characters.
QString sky_text(QStringView text, qsizetype conditions, qsizetype visibility) {
    qsizetype end = visibility;
    if (end < 1) {
        end = conditions + 30;
        for (qsizetype k = 11; k <= 30; ++k) {
            const QStringView three = take(text, conditions + k, 3);
            if (three == u" Up" || three == u"Add") {
                end = conditions + k;
                break;
            }
        }
    }
    return trim_control(between(text, conditions + 11, end)).toString();
}

void read_fields(QStringView text, bool metric, ConditionsResult& result) {
    ConditionsLabels& labels = result.labels;
    const qsizetype temperature = pos(text, u"Temperature");
    const qsizetype heat_index = pos(text, u"HeatIndex");
    const qsizetype humidity = pos(text, u"Humidity");
    const qsizetype wind = pos(text, u"Wind");
    const qsizetype pressure = pos(text, u"Pressure");
    const qsizetype conditions = pos(text, u"Conditions");
    const qsizetype visibility = pos(text, u"Visibility");
    const qsizetype sunrise = pos(text, u"Sunrise");
    const qsizetype sunset = pos(text, u"Sunset");
    const qsizetype moon_rise = pos(text, u"Moon Rise");
    const qsizetype moon_set = pos(text, u"Moon Set");
    const qsizetype moon_phase = pos(text, u"Moon Phase");

    const qsizetype temperature_end =
        (heat_index != 0 && heat_index < humidity) ? heat_index : humidity;
    const ConvertedTemperature converted =
        convert_temperature(between(text, temperature + 12, temperature_end).toString(),
                            metric ? TemperatureCode::FC : TemperatureCode::FX);
    labels.lblTemp2 = converted.field_text;
    result.temperature_f = converted.temperature_f;
    labels.lblHeatIndex2 = not_available;

    if (heat_index != 0) {
        QString value = between(text, heat_index + 10, humidity).toString();
        if (metric)
            value = convert_temperature(value, TemperatureCode::Empty).field_text;
        labels.lblHeatIndex2 = value;
    }

    labels.lblHumid2 = humidity != 0 ? take(text, humidity + 9, 4).toString() : not_available;
    labels.lblWind2 = field_between(text, wind, 5, pressure);
    labels.lblPress2 = field_between(text, pressure, 9, conditions);

    labels.lblsky2 = not_available;
    if (conditions != 0) {
        labels.lblsky2 = sky_text(text, conditions, visibility);
        result.sky = labels.lblsky2;
    }

    labels.lblVisible2 =
        visibility != 0 ? take(text, visibility + 11, 8).toString() : not_available;
    labels.lblSunrise2 = field_between(text, sunrise, 7, sunset);
    labels.lblSunset2 = field_between(text, sunset, 6, moon_rise);
    labels.lblMoonRise2 = field_between(text, moon_rise, 9, moon_set);
    labels.lblMoonSet2 = field_between(text, moon_set, 8, moon_phase);
}

} // namespace

QString remove_markup(QStringView text) {
    const char16_t* const s = text.utf16();
    const qsizetype n = text.size();
    QString cleaned(n, Qt::Uninitialized);
    char16_t* const begin = reinterpret_cast<char16_t*>(cleaned.data());
    char16_t* out = begin;
    qsizetype i = 0;
    while (i < n) {
        const char16_t c = s[i];
        if (c >= 128 || !markup_special[c]) {
            *out++ = c;
            ++i;
            continue;
        }
        if (c == u'<') {
            // Everything up to the next ">" goes; without one, the rest of the text.
            ++i;
            while (i < n && s[i] != u'>')
                ++i;
            ++i;
            continue;
        }
        // "#176;" gives the degree sign and skips four characters, exactly what clean_char
        // does with any other "#".
        if (c == u'n' && n - i >= 5 && starts_with_at(s + i, u"nbsp;")) {
            *out++ = u' ';
            i += 5;
            continue;
        }
        const CleanedChar cleaned_char = clean_char(QChar(c));
        if (cleaned_char.appended)
            *out++ = cleaned_char.appended->unicode();
        i += 1 + cleaned_char.skip;
    }
    cleaned.truncate(out - begin);
    const QStringView trimmed = trim_control(cleaned);
    if (trimmed.size() == cleaned.size())
        return cleaned;
    return trimmed.toString();
}

ConditionsResult parse_conditions(const QString& page, const QString& metric_setting) {
    ConditionsResult result;
    result.status_texts << parse_status_start;
    const bool metric = metric_display(metric_setting);

    QStringView working;
    const qsizetype title = pos(page, u"Underground:");
    if (title == 0) {
        result.messages << parse_message_p1;
    } else {
        working = QStringView(page).sliced(title - 1 + 12);
        qsizetype w = pos(working, u"Weather") - 1;
        const qsizetype f = pos(working, u"Forecast</title") - 1;
        if (f < w)
            w = f;
        result.place_name = trim_control(take(working, 1, w)).toString();
    }

    bool fields_wanted = true;
    if (!working.contains(u"Conditions at")) {
        working = working.size() > 8 ? working.sliced(8) : QStringView();
        const qsizetype u = pos(working, u"Updated:") - 1;
        if (u < 1) {
            result.messages << parse_message_p2;
            fields_wanted = false;
        } else {
            // Position 1 is now the character before "Updated:"; the time starts at 14.
            working = working.sliced(u - 1);
            const qsizetype o = pos(working, u" on");
            const qsizetype n = o >= 1 ? o - 14 : 13;
            result.heading =
                QStringLiteral("Conditions at ") + trim_control(take(working, 14, n)).toString();
        }
    }

    if (fields_wanted) {
        const QString cleaned = remove_markup(working);
        if (pos(cleaned, u"Temperature") == 0)
            result.messages << parse_message_p3;
        else
            read_fields(cleaned, metric, result);
    }

    result.status_texts << parse_status_end;
    return result;
}

QString conditions_caption(const QString& location_text, const QString& preset_entry) {
    return caption_prefix + (location_text.size() >= 2 ? location_text : preset_entry);
}
