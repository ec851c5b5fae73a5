#include "platform/ini_file.h"

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

// Escapes what a line cannot hold; a value with blanks at either end is quoted so that they
// survive the trimming around "=".
QString escape_value(const QString& value) {
    QString out;
    out.reserve(value.size() + 2);
    for (QChar c : value) {
        switch (c.unicode()) {
        case '\\': out += QLatin1String("\\\\"); break;
        case '\n': out += QLatin1String("\\n"); break;
        case '\r': out += QLatin1String("\\r"); break;
        case '\t': out += QLatin1String("\\t"); break;
        case 0: out += QLatin1String("\\0"); break;
        default:
            if (c.unicode() < 32)
                out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
            else
                out += c;
        }
    }
    const bool quote = !value.isEmpty() &&
                       (value.front().isSpace() || value.back().isSpace() || value.front() == '"');
    return quote ? QLatin1Char('"') + out + QLatin1Char('"') : out;
}

std::optional<QString> unescape_value(QStringView text) {
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
        text = text.mid(1, text.size() - 2);
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        QChar c = text[i];
        if (c != '\\') {
            out += c;
            continue;
        }
        if (++i >= text.size())
            return std::nullopt;
        switch (text[i].unicode()) {
        case '\\': out += QLatin1Char('\\'); break;
        case 'n': out += QLatin1Char('\n'); break;
        case 'r': out += QLatin1Char('\r'); break;
        case 't': out += QLatin1Char('\t'); break;
        case '0': out += QChar(0); break;
        case 'x': {
            const QStringView hex = text.mid(i + 1, 2);
            bool ok = false;
            const uint code = hex.toUInt(&ok, 16);
            if (hex.size() != 2 || !ok)
                return std::nullopt;
            out += QChar(char16_t(code));
            i += 2;
            break;
        }
        default: return std::nullopt;
        }
    }
    return out;
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
        groups.append(IniGroup{group, {}});
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

std::optional<IniDocument> parse_ini(const QByteArray& bytes) {
    if (bytes.contains('\0'))
        return std::nullopt;
    auto decoder = QStringDecoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;

    IniDocument doc;
    IniGroup* current = nullptr;
    for (QStringView line : QStringView(text).split(QLatin1Char('\n'))) {
        line = line.trimmed();
        if (line.isEmpty() || line.front() == ';' || line.front() == '#')
            continue;
        if (line.front() == '[') {
            if (line.back() != ']' || line.size() < 3)
                return std::nullopt;
            const QString name = line.mid(1, line.size() - 2).trimmed().toString();
            if (name.isEmpty())
                return std::nullopt;
            current = find_group(doc.groups, name);
            if (!current) {
                doc.groups.append(IniGroup{name, {}});
                current = &doc.groups.back();
            }
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0 || !current)
            return std::nullopt;
        const QString name = line.left(eq).trimmed().toString();
        const auto value = unescape_value(line.mid(eq + 1).trimmed());
        if (name.isEmpty() || !value)
            return std::nullopt;
        bool replaced = false;
        for (auto& v : current->values) {
            if (v.name.compare(name, Qt::CaseInsensitive) == 0) {
                v.value = *value; // a later line wins, as in any INI reader
                replaced = true;
            }
        }
        if (!replaced)
            current->values.append(IniValue{name, *value});
    }
    return doc;
}

QByteArray format_ini(const IniDocument& document) {
    QString text;
    for (const auto& group : document.groups) {
        if (!text.isEmpty())
            text += QLatin1Char('\n');
        text += QLatin1Char('[') + group.name + QLatin1String("]\n");
        for (const auto& v : group.values)
            text += v.name + QLatin1Char('=') + escape_value(v.value) + QLatin1Char('\n');
    }
    return text.toUtf8();
}
