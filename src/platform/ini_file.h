#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

// A small INI document: groups in file order, each with its values in file order.
// Group and value names are compared without regard to case, as the store requires.
struct IniValue {
    QString name;
    QString value;
};

struct IniGroup {
    QString name;
    QList<IniValue> values;
};

struct IniDocument {
    QList<IniGroup> groups;

    std::optional<QString> value(const QString& group, const QString& name) const;
    // Replaces a value found under any case of its name, or appends it (creating the group).
    void set_value(const QString& group, const QString& name, const QString& value);
    // Removes the group with all its values; false when there was none.
    bool remove_group(const QString& group);
};

// Parses UTF-8 INI text. Lines are "[group]", "name=value", blank, or comments starting with
// ";" or "#". Returns nothing when the text is not such a file (invalid UTF-8, NUL bytes, a
// line of another shape, a value outside any group).
std::optional<IniDocument> parse_ini(const QByteArray& text);

// Writes the document back as UTF-8 INI text that parse_ini reads to the same document.
QByteArray format_ini(const IniDocument& document);
