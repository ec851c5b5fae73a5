#include "app/conditions_parser.h"

#include "app/main_window_rules.h"
#include "app/units.h"
#include "shared/page_text.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace {

const QString not_available = QStringLiteral("n/a");

// The parser reads either the host's Windows-1252 bytes as they came (the program's way) or a
// text already decoded from them. Every marker is ASCII and every rule asks only for ASCII
// characters or for "code 32 or below", and each byte decodes to one character, so both read
// the same page alike; the values cut out are decoded one by one.
// A marker's candidates are the places of its first character, found with memchr (a capital
// letter for the long searches, rare on a page), each compared in place.
qsizetype find(QByteArrayView text, QLatin1StringView marker) {
    if (marker.isEmpty())
        return 0;
    if (text.size() < marker.size())
        return -1;
    const char* at = text.data();
    const char* const last = at + text.size() - marker.size() + 1; // the last start, plus one
    const char first = marker.front().toLatin1();
    while (at < last) {
        at = static_cast<const char*>(std::memchr(at, first, size_t(last - at)));
        if (!at)
            return -1;
        if (std::memcmp(at + 1, marker.data() + 1, size_t(marker.size() - 1)) == 0)
            return at - text.data();
        ++at;
    }
    return -1;
}
qsizetype find(QStringView text, QLatin1StringView marker) {
    return text.indexOf(marker);
}

QString text_of(QByteArrayView value) {
    return decode_windows_1252(value);
}
QString text_of(QStringView value) {
    return value.toString();
}

unsigned code(char c) {
    return static_cast<unsigned char>(c);
}
unsigned code(QChar c) {
    return c.unicode();
}

// Positions below count from 1, as the page's rules are written; 0 means "not found".
template <typename View> qsizetype pos(View text, QLatin1StringView marker) {
    return find(text, marker) + 1;
}

// `count` characters from position `from`; a count running past the end stops there.
template <typename View> View take(View text, qsizetype from, qsizetype count) {
    if (count <= 0 || from < 1 || from > text.size())
        return {};
    return text.sliced(from - 1, std::min(count, text.size() - from + 1));
}

// The characters from position `from` up to but not including position `to`.
template <typename View> View between(View text, qsizetype from, qsizetype to) {
    return take(text, from, to - from);
}

// Without the characters of code 32 or below at either end.
template <typename View> View trimmed(View text) {
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && code(text[first]) <= 32)
        ++first;
    while (last > first && code(text[last - 1]) <= 32)
        --last;
    return text.sliced(first, last - first);
}

template <typename View> bool equals(View text, QLatin1StringView word) {
    if (text.size() != word.size())
        return false;
    for (qsizetype i = 0; i < word.size(); ++i)
        if (code(text[i]) != code(word[i].toLatin1()))
            return false;
    return true;
}

// What the markup removal does with a character below 128 (clean_char's rules; "<" and "nbsp;"
// are the removal's own); every other character is copied as it is.
enum class Markup : unsigned char { Copy, Blank, Drop, Degree, Semicolon };

constexpr auto markup_actions = [] {
    std::array<Markup, 128> actions{};
    for (char16_t c = 0; c < 128; ++c) {
        const CleanedChar cleaned = clean_char(QChar(c));
        if (cleaned.skip == 4)
            actions[c] = Markup::Degree;
        else if (!cleaned.appended)
            actions[c] = Markup::Drop;
        else if (*cleaned.appended != QChar(c))
            actions[c] = Markup::Blank;
    }
    actions[';'] = Markup::Semicolon;
    return actions;
}();

const char* find_char(const char* from, const char* end, char c) {
    const void* found = std::memchr(from, c, size_t(end - from));
    return found ? static_cast<const char*>(found) : end;
}
const char16_t* find_char(const char16_t* from, const char16_t* end, char16_t c) {
    return std::find(from, end, c);
}

// The markup removal into `out`, which has room for n characters; returns the end written.
// Tags are found with a search for "<" and dropped up to the next ">"; the text between them
// is copied character by character with clean_char's changes. "nbsp;" is noticed at its ";":
// the four characters before it were copied unchanged in the same stretch, so they are taken
// back and one blank written instead. "#176;" needs nothing of its own: "#" gives the degree
// sign and swallows four characters anyway (a "#" may swallow a "<", so the next tag is looked
// for again behind it).
template <typename Char> Char* strip_markup(const Char* const s, const qsizetype n, Char* out) {
    qsizetype i = 0;
    qsizetype copied_from = 0; // every character from here to i was visited and copied as is
    while (i < n) {
        if (s[i] == Char('<')) {
            // Everything up to the next ">" goes; without one, the rest of the text.
            i = find_char(s + i + 1, s + n, Char('>')) - s + 1;
            copied_from = i;
            continue;
        }
        const qsizetype tag = find_char(s + i, s + n, Char('<')) - s;
        while (i < tag) {
            const Char c = s[i];
            const unsigned u = code(c);
            const Markup action = u < 128 ? markup_actions[u] : Markup::Copy;
            ++i;
            switch (action) {
            case Markup::Copy:
                *out++ = c;
                break;
            case Markup::Blank:
                *out++ = Char(' ');
                break;
            case Markup::Drop:
                break;
            case Markup::Degree:
                *out++ = Char(0xB0);
                i += 4;
                copied_from = i;
                break;
            case Markup::Semicolon:
                if (i - 1 - copied_from >= 4 && code(s[i - 5]) == 'n' && code(s[i - 4]) == 'b' &&
                    code(s[i - 3]) == 's' && code(s[i - 2]) == 'p') {
                    out -= 4;
                    *out++ = Char(' ');
                } else {
                    *out++ = c;
                }
                break;
            }
        }
    }
    return out;
}

// The page's working text cleaned: kept in `buffer`, the view trimmed.
QByteArrayView cleaned_view(QByteArrayView text, QByteArray& buffer) {
    buffer = QByteArray(text.size(), Qt::Uninitialized);
    char* const begin = buffer.data();
    const char* const end = strip_markup(text.data(), text.size(), begin);
    return trimmed(QByteArrayView(begin, end - begin));
}
QStringView cleaned_view(QStringView text, QString& buffer) {
    buffer = QString(text.size(), Qt::Uninitialized);
    char16_t* const begin = reinterpret_cast<char16_t*>(buffer.data());
    const char16_t* const end = strip_markup(text.utf16(), text.size(), begin);
    return trimmed(QStringView(begin, end - begin));
}

// The value behind a label up to the position of the next label, "n/a" without the label.
template <typename View>
QString field_between(View text, qsizetype label, qsizetype offset, qsizetype end) {
    if (label == 0)
        return not_available;
    return text_of(between(text, label + offset, end));
}

// The sky text runs to "Visibility", or else to the first " Up" or "Add" 11 to 30 characters
// behind the label, or else 30 characters.
template <typename View> QString sky_text(View text, qsizetype conditions, qsizetype visibility) {
    qsizetype end = visibility;
    if (end < 1) {
        end = conditions + 30;
        for (qsizetype k = 11; k <= 30; ++k) {
            const View three = take(text, conditions + k, 3);
            if (equals(three, QLatin1StringView(" Up")) ||
                equals(three, QLatin1StringView("Add"))) {
                end = conditions + k;
                break;
            }
        }
    }
    return text_of(trimmed(between(text, conditions + 11, end)));
}

template <typename View> void read_fields(View text, bool metric, ConditionsResult& result) {
    ConditionsLabels& labels = result.labels;
    const auto at = [text](const char* marker) { return pos(text, QLatin1StringView(marker)); };
    const qsizetype temperature = at("Temperature");
    const qsizetype heat_index = at("HeatIndex");
    const qsizetype humidity = at("Humidity");
    const qsizetype wind = at("Wind");
    const qsizetype pressure = at("Pressure");
    const qsizetype conditions = at("Conditions");
    const qsizetype visibility = at("Visibility");
    const qsizetype sunrise = at("Sunrise");
    const qsizetype sunset = at("Sunset");
    const qsizetype moon_rise = at("Moon Rise");
    const qsizetype moon_set = at("Moon Set");
    const qsizetype moon_phase = at("Moon Phase");

    const qsizetype temperature_end =
        (heat_index != 0 && heat_index < humidity) ? heat_index : humidity;
    const ConvertedTemperature converted =
        convert_temperature(text_of(between(text, temperature + 12, temperature_end)),
                            metric ? TemperatureCode::FC : TemperatureCode::FX);
    labels.lblTemp2 = converted.field_text;
    result.temperature_f = converted.temperature_f;
    labels.lblHeatIndex2 = not_available;

    if (heat_index != 0) {
        QString value = text_of(between(text, heat_index + 10, humidity));
        if (metric)
            value = convert_temperature(value, TemperatureCode::Empty).field_text;
        labels.lblHeatIndex2 = value;
    }

    labels.lblHumid2 = humidity != 0 ? text_of(take(text, humidity + 9, 4)) : not_available;
    labels.lblWind2 = field_between(text, wind, 5, pressure);
    labels.lblPress2 = field_between(text, pressure, 9, conditions);

    labels.lblsky2 = not_available;
    if (conditions != 0) {
        labels.lblsky2 = sky_text(text, conditions, visibility);
        result.sky = labels.lblsky2;
    }

    labels.lblVisible2 = visibility != 0 ? text_of(take(text, visibility + 11, 8)) : not_available;
    labels.lblSunrise2 = field_between(text, sunrise, 7, sunset);
    labels.lblSunset2 = field_between(text, sunset, 6, moon_rise);
    labels.lblMoonRise2 = field_between(text, moon_rise, 9, moon_set);
    labels.lblMoonSet2 = field_between(text, moon_set, 8, moon_phase);
}

template <typename View, typename Buffer>
ConditionsResult parse_page(View page, const QString& metric_setting) {
    ConditionsResult result;
    result.status_texts << parse_status_start;
    const bool metric = metric_display(metric_setting);

    View working;
    const qsizetype title = pos(page, QLatin1StringView("Underground:"));
    if (title == 0) {
        result.messages << parse_message_p1;
    } else {
        working = page.sliced(title - 1 + 12);
        qsizetype w = pos(working, QLatin1StringView("Weather")) - 1;
        const qsizetype f = pos(working, QLatin1StringView("Forecast</title")) - 1;
        if (f < w)
            w = f;
        result.place_name = text_of(trimmed(take(working, 1, w)));
    }

    bool fields_wanted = true;
    if (find(working, QLatin1StringView("Conditions at")) < 0) {
        working = working.size() > 8 ? working.sliced(8) : View();
        const qsizetype u = pos(working, QLatin1StringView("Updated:")) - 1;
        if (u < 1) {
            result.messages << parse_message_p2;
            fields_wanted = false;
        } else {
            // Position 1 is now the character before "Updated:"; the time starts at 14.
            working = working.sliced(u - 1);
            const qsizetype o = pos(working, QLatin1StringView(" on"));
            const qsizetype n = o >= 1 ? o - 14 : 13;
            result.heading =
                QStringLiteral("Conditions at ") + text_of(trimmed(take(working, 14, n)));
        }
    }

    if (fields_wanted) {
        Buffer buffer;
        const View cleaned = cleaned_view(working, buffer);
        if (pos(cleaned, QLatin1StringView("Temperature")) == 0)
            result.messages << parse_message_p3;
        else
            read_fields(cleaned, metric, result);
    }

    result.status_texts << parse_status_end;
    return result;
}

} // namespace

QString remove_markup(QStringView text) {
    QString buffer;
    const QStringView cleaned = cleaned_view(text, buffer);
    if (cleaned.size() == buffer.size())
        return buffer;
    return cleaned.toString();
}

ConditionsResult parse_conditions(const QByteArray& page, const QString& metric_setting) {
    return parse_page<QByteArrayView, QByteArray>(page, metric_setting);
}

ConditionsResult parse_conditions(const QString& page, const QString& metric_setting) {
    return parse_page<QStringView, QString>(page, metric_setting);
}

QString conditions_caption(const QString& location_text, const QString& preset_entry) {
    return caption_prefix + (location_text.size() >= 2 ? location_text : preset_entry);
}
