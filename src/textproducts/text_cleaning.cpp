#include "textproducts/text_cleaning.h"

#include <cstring>

namespace {

constexpr char16_t degree_sign = 0x00B0;

bool starts_with(const char16_t* at, const char16_t* end, const char16_t (&word)[6]) {
    if (end - at < 5)
        return false;
    return std::memcmp(at, word, 5 * sizeof(char16_t)) == 0;
}

constexpr char16_t degree_reference[6] = u"#176;";
constexpr char16_t blank_reference[6] = u"nbsp;";

// The characters at which the walk of level2_parse has something to decide.
constexpr bool is_special(char16_t c) {
    return c == u'<' || c == u'#' || c == u'n';
}

QStringView trimmed_of_controls(QStringView text) {
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text[first].unicode() <= 32)
        ++first;
    while (last > first && text[last - 1].unicode() <= 32)
        --last;
    return text.mid(first, last - first);
}

QString ascii_upper(const QString& text) {
    QString upper = text;
    for (QChar& c : upper)
        if (c >= u'a' && c <= u'z')
            c = QChar(c.unicode() - (u'a' - u'A'));
    return upper;
}

} // namespace

QString level2_parse(QStringView body) {
    QString out(body.size(), Qt::Uninitialized);
    char16_t* const start = reinterpret_cast<char16_t*>(out.data());
    char16_t* to = start;
    const char16_t* at = reinterpret_cast<const char16_t*>(body.data());
    const char16_t* const end = at + body.size();
    while (at < end) {
        // Copy the run of ordinary characters in one piece.
        const char16_t* run = at;
        while (at < end && !is_special(*at))
            ++at;
        std::memcpy(to, run, size_t(at - run) * sizeof(char16_t));
        to += at - run;
        if (at == end)
            break;
        if (*at == u'<') {
            const char16_t* close = at + 1;
            while (close < end && *close != u'>')
                ++close;
            at = close == end ? end : close + 1;
        } else if (starts_with(at, end, degree_reference)) {
            *to++ = degree_sign;
            at += 5;
        } else if (starts_with(at, end, blank_reference)) {
            *to++ = u' ';
            at += 5;
        } else {
            *to++ = *at++;
        }
    }
    const QStringView kept = trimmed_of_controls(QStringView(start, to - start));
    if (kept.utf16() != start)
        std::memmove(start, kept.utf16(), size_t(kept.size()) * sizeof(char16_t));
    out.truncate(kept.size());
    return out;
}

QString parse_text(QStringView body) {
    const qsizetype link = body.indexOf(u"http://");
    const QStringView shown = link < 0 ? body : body.first(link);
    QString out;
    out.reserve(shown.size() + shown.size() / 32 + 16);
    qsizetype from = 0;
    for (qsizetype lf = shown.indexOf(u'\n'); lf >= 0; lf = shown.indexOf(u'\n', from)) {
        out.append(shown.mid(from, lf - from));
        out.append(u"\r\n");
        from = lf + 1;
    }
    out.append(shown.mid(from));
    return out;
}

QString parse_warning_html(QStringView body, const QString& state_code) {
    const QString end_of_file = QStringLiteral("--- End of File --");
    if (body.contains(u"not currently available"))
        return QStringLiteral(" Sorry, this ") + state_code +
               QStringLiteral(" information is not currently available.") + end_of_file;
    return body.toString() + QStringLiteral("\r\n") + end_of_file;
}

CountyCut county_parse(CastKind kind, QStringView text, const QString& county_entry,
                       const QString& state_code) {
    CountyCut cut;
    if (state_code.isEmpty()) {
        cut.refused = true;
        cut.message = QStringLiteral(
            "Sorry, State code not found.  Please reselect the location under GetStats.");
        return cut;
    }
    const QString county = ascii_upper(county_entry);
    cut.status_texts << QStringLiteral("parsing data...");
    QStringView section = text;
    bool found = false;
    const bool named = county.size() >= 2;
    if (named) {
        cut.status_texts << QStringLiteral("parsing - looking for ") + county +
                                QStringLiteral(" county...");
        const qsizetype match = text.indexOf(county);
        if (match >= 0) {
            found = true;
            cut.status_texts << QStringLiteral("parsing - found ") + county +
                                    QStringLiteral(" county...");
            section = text.mid(match > 0 ? match - 1 : 0);
            const qsizetype close = section.indexOf(u"$$");
            if (close >= 0)
                section = section.first(close);
        }
    }
    cut.text = section.toString();
    cut.status_texts << QStringLiteral("parsing complete...");

    const QString what = kind == CastKind::Nowcast ? QStringLiteral("Nimbrix - Text Nowcast for ")
                                                   : QStringLiteral("Nimbrix - Text Forecast for ");
    if (found) {
        cut.caption = what + county + QStringLiteral(" county, ") + state_code;
    } else {
        cut.caption = what + state_code;
        if (named)
            cut.message = QStringLiteral("Sorry, ") + county +
                          QStringLiteral(" county was not found.  Displaying state zone info...");
    }
    return cut;
}

const QStringList& census_state_list() {
    static const QStringList list = {
        QStringLiteral("None"),
        QStringLiteral("01-Alabama"),
        QStringLiteral("02-Alaska"),
        QStringLiteral("04-Arizona"),
        QStringLiteral("05-Arkansas"),
        QStringLiteral("06-California"),
        QStringLiteral("08-Colorado"),
        QStringLiteral("09-Connecticut"),
        QStringLiteral("10-Delaware"),
        QStringLiteral("11-District of Columbia"),
        QStringLiteral("12-Florida"),
        QStringLiteral("13-Georgia"),
        QStringLiteral("15-Hawaii"),
        QStringLiteral("16-Idaho"),
        QStringLiteral("17-Illinois"),
        QStringLiteral("18-Indiana"),
        QStringLiteral("19-Iowa"),
        QStringLiteral("20-Kansas"),
        QStringLiteral("21-Kentucky"),
        QStringLiteral("22-Lousiana"),
        QStringLiteral("23-Maine"),
        QStringLiteral("24-Maryland"),
        QStringLiteral("25-Massachusetts"),
        QStringLiteral("26-Michigan"),
        QStringLiteral("27-Minnesota"),
        QStringLiteral("28-Mississippi"),
        QStringLiteral("29-Missouri"),
        QStringLiteral("30-Montana"),
        QStringLiteral("31-Nebraska"),
        QStringLiteral("32-Nevada"),
        QStringLiteral("33-New Hampshire"),
        QStringLiteral("34-New Jersey"),
        QStringLiteral("35-New Mexico"),
        QStringLiteral("36-New York"),
        QStringLiteral("37-North Carolina"),
        QStringLiteral("38-North Dakota"),
        QStringLiteral("39-Ohio"),
        QStringLiteral("40-Oklahoma"),
        QStringLiteral("41-Oregon"),
        QStringLiteral("42-Pennsylvania"),
        QStringLiteral("44-Rhode Island"),
        QStringLiteral("45-South Carolina"),
        QStringLiteral("46-South Dakota"),
        QStringLiteral("47-Tennessee"),
        QStringLiteral("48-Texas"),
        QStringLiteral("49-Utah"),
        QStringLiteral("50-Vermont"),
        QStringLiteral("51-Virginia"),
        QStringLiteral("53-Washington"),
        QStringLiteral("54-West Virginia"),
        QStringLiteral("55-Wisconsin"),
        QStringLiteral("56-Wyoming"),
    };
    return list;
}

QString census_selection(const QString& list_text) {
    return list_text.left(2) + QLatin1Char(',') + list_text.mid(3);
}
