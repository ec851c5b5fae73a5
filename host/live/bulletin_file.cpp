#include "live/bulletin_file.h"

#include <QRegularExpression>
#include <QTimeZone>
#include <algorithm>

namespace {

// A file must be plain text of a sensible size; an error page or a picture served in its place
// is not a bulletin.
QString text_problem(const QByteArray& body, qsizetype max_bytes) {
    if (body.size() > max_bytes)
        return QStringLiteral("larger than %1 bytes").arg(max_bytes);
    for (const char c : body) {
        const auto u = static_cast<unsigned char>(c);
        if ((u < 0x20 && c != '\n' && c != '\r' && c != '\t') || u == 0x7f)
            return QStringLiteral("binary bytes");
    }
    const QByteArray start = body.trimmed().left(512).toLower();
    if (start.isEmpty())
        return QStringLiteral("empty");
    if (start.startsWith('<') || start.contains("<html") || start.contains("<!doctype"))
        return QStringLiteral("an HTML page");
    return {};
}

// "Expires:202612081000;;370775": the file's product ends then.
QDateTime expires_at(const QString& line) {
    static const QRegularExpression expires(QStringLiteral("^Expires:(\\d{12})"));
    const QRegularExpressionMatch m = expires.match(line);
    if (!m.hasMatch())
        return {};
    QDateTime t = QDateTime::fromString(m.captured(1), QStringLiteral("yyyyMMddHHmm"));
    t.setTimeZone(QTimeZone::utc());
    return t;
}

bool blank(const QString& line) {
    return line.trimmed().isEmpty();
}

// A line that begins a zone line, well formed or not: "IAZ006-", "INC019-", "GAZ004>009-".
bool starts_zone_line(const QString& line) {
    static const QRegularExpression start(QStringLiteral("^[A-Z]{2}[CZ]\\w{3}[->]"));
    return start.match(line).hasMatch();
}

// "103>105-081000-": the rest of a zone line.
bool continues_zone_line(const QString& line) {
    static const QRegularExpression rest(
        QStringLiteral("^(?:[A-Z]{2}[CZ])?(?:\\d{3}|ALL)[-\\d>A-Z]*$"));
    return rest.match(line.trimmed()).hasMatch();
}

bool issuance_line(const QString& line) {
    static const QRegularExpression time(
        QStringLiteral("^\\d{1,4} (AM|PM) [A-Z]{2,5} [A-Z]{3} [A-Z]{3} \\d{1,2} \\d{4}$"),
        QRegularExpression::CaseInsensitiveOption);
    return time.match(line.trimmed()).hasMatch();
}

bool vtec_line(const QString& line) {
    const QString t = line.trimmed();
    return t.size() > 2 && t.startsWith(u'/') && t.endsWith(u'/');
}

// "NATIONAL WEATHER SERVICE DES MOINES IA" -> "National Weather Service Des Moines IA": the
// issuer in capitals would be found by the program's county search ("DES MOINES").
QString capitalised_words(const QString& line) {
    QStringList words = line.simplified().split(u' ');
    for (qsizetype w = 0; w < words.size(); ++w) {
        QString& word = words[w];
        const bool state = w == words.size() - 1 && word.size() == 2;
        if (!state && !word.isEmpty())
            word = word.left(1).toUpper() + word.mid(1).toLower();
    }
    return words.join(u' ');
}

// The product's name, issuer and issuance around its "National Weather Service" line within
// lines [from, to); the index after the issuance line, or -1 when there is none.
qsizetype read_name_block(const QStringList& lines, qsizetype from, qsizetype to,
                          BulletinFile& file) {
    for (qsizetype i = from; i < to; ++i) {
        if (!lines[i].trimmed().toUpper().startsWith(QStringLiteral("NATIONAL WEATHER SERVICE")))
            continue;
        for (qsizetype n = i - 1; n >= from; --n) {
            const QString t = lines[n].trimmed();
            if (!t.isEmpty() && !t.toUpper().startsWith(QStringLiteral("BULLETIN"))) {
                file.name = t.toUpper();
                break;
            }
        }
        file.issuer = capitalised_words(lines[i]);
        qsizetype next = i + 1;
        if (next < to && issuance_line(lines[next]))
            file.issued = lines[next++].trimmed();
        return next;
    }
    return -1;
}

// The sequence number, the WMO heading and the product's identifier; the index after them.
qsizetype read_heading(const QStringList& lines, BulletinFile& file) {
    static const QRegularExpression sequence(QStringLiteral("^\\d{3}$"));
    static const QRegularExpression wmo(
        QStringLiteral("^[A-Z]{4}\\d{2} ([A-Z]{4}) \\d{6}( [A-Z]{3})?$"));
    static const QRegularExpression awips(QStringLiteral("^[A-Z0-9]{4,6}$"));
    qsizetype i = 0;
    while (i < lines.size() && (blank(lines[i]) || sequence.match(lines[i].trimmed()).hasMatch()))
        ++i;
    if (i < lines.size()) {
        if (const QRegularExpressionMatch m = wmo.match(lines[i].trimmed()); m.hasMatch()) {
            file.office = m.captured(1);
            ++i;
            if (i < lines.size() && awips.match(lines[i].trimmed()).hasMatch() &&
                !starts_zone_line(lines[i]))
                file.awips = lines[i++].trimmed();
        }
    }
    return i;
}

// The zone line at lines[i], which may run over several lines each ending in "-"; the index
// after it, or -1 when it does not parse.
qsizetype read_zone_lines(const QStringList& lines, qsizetype i, BulletinSegment& segment) {
    QString zone_line = lines[i++].trimmed();
    for (int n = 0; n < 8; ++n) {
        segment.codes.clear();
        if (read_zone_line(zone_line, segment.codes, segment.stamp))
            return i;
        if (!zone_line.endsWith(u'-') || i >= lines.size() || !continues_zone_line(lines[i]))
            break;
        zone_line += lines[i++].trimmed();
    }
    return -1;
}

// After the zone line: VTEC lines, the zones' names ("WINNEBAGO-WORTH-"), "Including the
// cities of..." and the issuance line; the index of the segment's text.
qsizetype skip_segment_heading(const QStringList& lines, qsizetype i, BulletinSegment& segment) {
    while (i < lines.size() && vtec_line(lines[i]))
        segment.vtec.append(lines[i++].trimmed());
    while (i < lines.size() && !blank(lines[i]) && lines[i].trimmed().endsWith(u'-') &&
           !lines[i].trimmed().startsWith(QStringLiteral("$$")))
        ++i;
    if (i < lines.size() &&
        lines[i].trimmed().toUpper().startsWith(QStringLiteral("INCLUDING THE CIT"))) {
        const qsizetype end = std::min(lines.size(), i + 10);
        while (i < end && !blank(lines[i]) && !issuance_line(lines[i]))
            ++i;
    }
    qsizetype next = i;
    while (next < lines.size() && blank(lines[next]))
        ++next;
    return next < lines.size() && issuance_line(lines[next]) ? next + 1 : i;
}

void trim_blank_lines(QStringList& lines) {
    while (!lines.isEmpty() && blank(lines.last()))
        lines.removeLast();
    while (!lines.isEmpty() && blank(lines.first()))
        lines.removeFirst();
}

// The segments from lines[i] on; a problem when a zone line does not parse.
QString read_segments(const QStringList& lines, qsizetype i, BulletinFile& file) {
    while (i < lines.size()) {
        BulletinSegment segment;
        const QString zone_line = lines[i].trimmed();
        i = read_zone_lines(lines, i, segment);
        if (i < 0)
            return QStringLiteral("a zone line that does not parse (\"") + zone_line +
                   QStringLiteral("\")");
        i = skip_segment_heading(lines, i, segment);
        const qsizetype text_start = i;
        while (i < lines.size() && !lines[i].trimmed().startsWith(QStringLiteral("$$")))
            ++i;
        // Short warnings name themselves after their one zone line.
        qsizetype from = text_start;
        if (file.name.isEmpty()) {
            const qsizetype after =
                read_name_block(lines, text_start, std::min(i, from + 10), file);
            if (after >= 0)
                from = after;
        }
        segment.lines = lines.mid(from, i - from);
        trim_blank_lines(segment.lines);
        file.segments.push_back(std::move(segment));
        // The forecaster's initials after the last "$$".
        while (i < lines.size() && !starts_zone_line(lines[i]))
            ++i;
    }
    return {};
}

} // namespace

bool read_zone_line(const QString& text, QStringList& codes, QString& stamp) {
    static const QRegularExpression first(
        QStringLiteral("^([A-Z]{2}[CZ])(\\d{3}|ALL)(?:>(\\d{3}))?$"));
    static const QRegularExpression more(QStringLiteral("^(\\d{3})(?:>(\\d{3}))?$"));
    static const QRegularExpression end(QStringLiteral("^\\d{6}$"));
    QString prefix;
    for (const QString& token : text.split(u'-', Qt::SkipEmptyParts)) {
        QRegularExpressionMatch m = first.match(token);
        QString low;
        QString high;
        if (m.hasMatch()) {
            prefix = m.captured(1);
            low = m.captured(2);
            high = m.captured(3);
        } else if (m = more.match(token); m.hasMatch() && !prefix.isEmpty()) {
            low = m.captured(1);
            high = m.captured(2);
        } else if (end.match(token).hasMatch() && !prefix.isEmpty()) {
            stamp = token;
            return true;
        } else {
            return false;
        }
        if (low == u"ALL") {
            codes.append(prefix + low);
            continue;
        }
        const int from = low.toInt();
        const int to = high.isEmpty() ? from : high.toInt();
        if (to < from || to - from > 999)
            return false;
        for (int n = from; n <= to; ++n)
            codes.append(prefix + QStringLiteral("%1").arg(n, 3, 10, QChar(u'0')));
    }
    return false;
}

BulletinFile read_bulletin_file(const QByteArray& body, qsizetype max_bytes) {
    BulletinFile file;
    if (file.problem = text_problem(body, max_bytes); !file.problem.isEmpty())
        return file;
    QStringList lines = QString::fromLatin1(body).remove(u'\r').split(u'\n');
    if (lines.first().startsWith(QStringLiteral("Expires:"))) {
        file.expires = expires_at(lines.first());
        lines.removeFirst();
    }
    const qsizetype start = read_heading(lines, file);
    qsizetype first_zone = start;
    while (first_zone < lines.size() && !starts_zone_line(lines[first_zone]))
        ++first_zone;
    if (first_zone == lines.size()) {
        file.problem = QStringLiteral("no zone line");
        return file;
    }
    // Long products name themselves before their first segment; an overview may follow.
    read_name_block(lines, start, first_zone, file);
    file.problem = read_segments(lines, first_zone, file);
    return file;
}
