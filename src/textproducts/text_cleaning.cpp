#include "textproducts/text_cleaning.h"

#include <cstring>
#include <string_view>

namespace {

constexpr char degree_sign = char(176); // Windows-1252

std::string_view view(QByteArrayView bytes) {
    return {bytes.data(), size_t(bytes.size())};
}

const char* find_byte(const char* from, const char* end, char c) {
    const void* found = std::memchr(from, c, size_t(end - from));
    return found ? static_cast<const char*>(found) : end;
}

// Copies a run of text between tags, turning "#176;" into the degree sign and "nbsp;" into a
// blank. Both end in their only ";", so they never overlap and a search for ";" finds them all.
char* copy_text_run(const char* from, const char* end, char* to) {
    const char* run_start = from;
    for (const char* semicolon = find_byte(from, end, ';'); semicolon != end;
         semicolon = find_byte(semicolon + 1, end, ';')) {
        if (semicolon - run_start < 4)
            continue;
        const char* word = semicolon - 4;
        char replacement;
        if (std::memcmp(word, "#176", 4) == 0)
            replacement = degree_sign;
        else if (std::memcmp(word, "nbsp", 4) == 0)
            replacement = ' ';
        else
            continue;
        std::memmove(to, from, size_t(word - from));
        to += word - from;
        *to++ = replacement;
        from = semicolon + 1;
    }
    std::memmove(to, from, size_t(end - from));
    return to + (end - from);
}

QByteArrayView trimmed_of_controls(QByteArrayView text) {
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && quint8(text[first]) <= 32)
        ++first;
    while (last > first && quint8(text[last - 1]) <= 32)
        --last;
    return text.sliced(first, last - first);
}

QString ascii_upper(const QString& text) {
    QString upper = text;
    for (QChar& c : upper)
        if (c >= u'a' && c <= u'z')
            c = QChar(c.unicode() - (u'a' - u'A'));
    return upper;
}

bool is_latin1(const QString& text) {
    for (QChar c : text)
        if (c.unicode() > 0xFF)
            return false;
    return true;
}

} // namespace

QByteArray level2_parse(QByteArray body) {
    char* const start = body.data(); // detaches: the body is cleaned in its own bytes
    const char* at = start;
    const char* const end = start + body.size();
    char* to = start;
    while (at < end) {
        const char* tag = find_byte(at, end, '<');
        to = copy_text_run(at, tag, to);
        if (tag == end)
            break;
        // The tag runs to the next ">"; without one, the rest is a cut-off tag.
        const char* close = find_byte(tag + 1, end, '>');
        at = close == end ? end : close + 1;
    }
    const QByteArrayView kept = trimmed_of_controls(QByteArrayView(start, to - start));
    if (kept.data() != start)
        std::memmove(start, kept.data(), size_t(kept.size()));
    body.truncate(kept.size());
    return body;
}

QByteArray parse_text(QByteArrayView body) {
    const size_t link = view(body).find("http://");
    const QByteArrayView shown =
        link == std::string_view::npos ? body : body.first(qsizetype(link));
    // One pass into room for the worst case (every byte a line feed); only the pages written
    // are touched, and the rest is given back at the end.
    QByteArray out(2 * shown.size(), Qt::Uninitialized);
    const char* at = shown.data();
    const char* const end = at + shown.size();
    char* to = out.data();
    for (const char* lf = find_byte(at, end, '\n'); lf != end; lf = find_byte(at, end, '\n')) {
        std::memcpy(to, at, size_t(lf - at));
        to += lf - at;
        *to++ = '\r';
        *to++ = '\n';
        at = lf + 1;
    }
    std::memcpy(to, at, size_t(end - at));
    to += end - at;
    out.truncate(to - out.constData());
    out.squeeze();
    return out;
}

QByteArray parse_warning_html(QByteArrayView body, const QString& state_code) {
    const QByteArray end_of_file = "--- End of File --";
    if (view(body).find("not currently available") != std::string_view::npos)
        return " Sorry, this " + state_code.toLatin1() +
               " information is not currently available." + end_of_file;
    return body.toByteArray() + "\r\n" + end_of_file;
}

CountyCut county_parse(CastKind kind, QByteArrayView text, const QString& county_entry,
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
    QByteArrayView section = text;
    bool found = false;
    const bool named = county.size() >= 2;
    if (named) {
        cut.status_texts << QStringLiteral("parsing - looking for ") + county +
                                QStringLiteral(" county...");
        const QByteArray name = county.toLatin1();
        const size_t match =
            is_latin1(county) ? view(text).find(view(name)) : std::string_view::npos;
        if (match != std::string_view::npos) {
            found = true;
            cut.status_texts << QStringLiteral("parsing - found ") + county +
                                    QStringLiteral(" county...");
            section = text.sliced(match > 0 ? qsizetype(match) - 1 : 0);
            const size_t close = view(section).find("$$");
            if (close != std::string_view::npos)
                section = section.first(qsizetype(close));
        }
    }
    cut.text = section.toByteArray();
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
