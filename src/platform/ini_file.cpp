#include "platform/ini_file.h"

#include "shared/page_text.h"
#include <QStringConverter>

namespace {

IniGroup* find_group(QList<IniGroup>& groups, const QString& name) {
    for (auto& group : groups)
        if (group.name.compare(name, Qt::CaseInsensitive) == 0)
            return &group;
    return nullptr;
}

const IniGroup* find_group(const QList<IniGroup>& groups, const QString& name) {
    return find_group(const_cast<QList<IniGroup>&>(groups), name);
}

bool is_hex(QChar c) {
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

// "\x" and two hex digits at i: the one escape the file knows.
bool escape_at(QStringView text, qsizetype i) {
    return i + 3 < text.size() && text[i] == u'\\' && text[i + 1] == u'x' && is_hex(text[i + 2]) &&
           is_hex(text[i + 3]);
}

// Control characters become "\x" and two hex digits, and so does a backslash that would read
// as such an escape; every other character stays as it is. A value with blanks at either end
// is quoted so that they survive the trimming around "=".
QString escape_value(const QString& value) {
    QString out;
    out.reserve(value.size() + 2);
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c.unicode() < 32 || c.unicode() == 127 || escape_at(value, i))
            out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            out += c;
    }
    const bool quote = !value.isEmpty() &&
                       (value.front().isSpace() || value.back().isSpace() || value.front() == u'"');
    return quote ? QLatin1Char('"') + out + QLatin1Char('"') : out;
}

QString unescape_value(QStringView text) {
    if (text.size() >= 2 && text.front() == u'"' && text.back() == u'"')
        text = text.mid(1, text.size() - 2);
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (escape_at(text, i)) {
            out += QChar(char16_t(text.mid(i + 2, 2).toUShort(nullptr, 16)));
            i += 3;
        } else {
            out += text[i];
        }
    }
    return out;
}

// One line as text: UTF-8 when it is, otherwise Windows-1252.
QString decode_line(const QByteArray& line) {
    // A byte order mark inside the file is a character like any other: the decoder keeps it.
    auto decoder =
        QStringDecoder(QStringDecoder::Utf8,
                       QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    const QString text = decoder.decode(line);
    return decoder.hasError() ? decode_windows_1252(line) : text;
}

} // namespace

std::optional<QString> IniDocument::value(const QString& group, const QString& name) const {
    const IniGroup* g = find_group(groups, group);
    if (!g)
        return std::nullopt;
    for (const auto& v : g->values)
        if (v.name.compare(name, Qt::CaseInsensitive) == 0)
            return v.value;
    return std::nullopt;
}

void IniDocument::set_value(const QString& group, const QString& name, const QString& value) {
    IniGroup* g = find_group(groups, group);
    if (!g) {
        groups.append(IniGroup{group, {}, {}});
        g = &groups.back();
    }
    for (auto& v : g->values) {
        if (v.name.compare(name, Qt::CaseInsensitive) == 0) {
            v.value = value; // the stored name keeps its first spelling
            return;
        }
    }
    g->values.append(IniValue{name, value});
}

bool IniDocument::remove_group(const QString& group) {
    for (qsizetype i = 0; i < groups.size(); ++i) {
        if (groups[i].name.compare(group, Qt::CaseInsensitive) == 0) {
            groups.removeAt(i);
            return true;
        }
    }
    return false;
}

IniDocument parse_ini(const QByteArray& bytes) {
    IniDocument doc;
    // Where the lines that cannot be read go: before the first group, or under the last one.
    qsizetype current = -1;
    const auto keep = [&doc, &current](const QByteArray& raw) {
        ++doc.unreadable_lines;
        (current < 0 ? doc.kept : doc.groups[current].kept).append(raw);
    };
    bool in_group = false; // false also after a group line that cannot be read
    const QList<QByteArray> lines = bytes.split('\n');
    for (qsizetype n = 0; n < lines.size(); ++n) {
        const QByteArray& raw = lines[n];
        if (n == lines.size() - 1 && raw.isEmpty())
            break; // the end of the last line
        if (raw.contains('\0')) {
            keep(raw);
            continue;
        }
        QString text = decode_line(raw);
        // A byte order mark that an editor put before the first line is no part of it.
        if (n == 0 && text.startsWith(QChar(0xFEFF)))
            text.remove(0, 1);
        const QStringView line = QStringView(text).trimmed();
        if (line.isEmpty() || line.front() == u';' || line.front() == u'#')
            continue;
        if (line.front() == u'[') {
            const QString name = line.size() >= 3 && line.back() == u']'
                                     ? line.mid(1, line.size() - 2).trimmed().toString()
                                     : QString();
            if (name.isEmpty()) {
                keep(raw);
                in_group = false;
                continue;
            }
            IniGroup* group = find_group(doc.groups, name);
            if (!group) {
                doc.groups.append(IniGroup{name, {}, {}});
                group = &doc.groups.back();
            }
            current = group - doc.groups.data();
            in_group = true;
            continue;
        }
        const qsizetype eq = line.indexOf(u'=');
        const QString name = eq > 0 ? line.left(eq).trimmed().toString() : QString();
        if (name.isEmpty() || !in_group) {
            keep(raw);
            continue;
        }
        const QString value = unescape_value(line.mid(eq + 1).trimmed());
        bool replaced = false;
        for (auto& v : doc.groups[current].values) {
            if (v.name.compare(name, Qt::CaseInsensitive) == 0) {
                v.value = value; // a later line wins, as in any INI reader
                replaced = true;
            }
        }
        if (!replaced)
            doc.groups[current].values.append(IniValue{name, value});
    }
    return doc;
}

QByteArray format_ini(const IniDocument& document) {
    QByteArray text;
    for (const QByteArray& line : document.kept)
        text += line + '\n';
    for (const auto& group : document.groups) {
        if (!text.isEmpty())
            text += '\n';
        text += (QLatin1Char('[') + group.name + QLatin1String("]\n")).toUtf8();
        for (const auto& v : group.values)
            text +=
                (v.name + QLatin1Char('=') + escape_value(v.value) + QLatin1Char('\n')).toUtf8();
        for (const QByteArray& line : group.kept)
            text += line + '\n';
    }
    // A kept line that begins with a byte order mark must not become the file's first line,
    // where the mark is read as no part of it.
    if (text.startsWith("\xEF\xBB\xBF"))
        text.prepend('\n');
    return text;
}
