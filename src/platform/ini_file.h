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
    // Lines under this group that could not be read, byte for byte; written back after the
    // values.
    QList<QByteArray> kept;
};

struct IniDocument {
    QList<QByteArray> kept; // lines before the first group that could not be read
    QList<IniGroup> groups;
    int unreadable_lines = 0;

    std::optional<QString> value(const QString& group, const QString& name) const;
    // Replaces a value found under any case of its name, or appends it (creating the group).
    void set_value(const QString& group, const QString& name, const QString& value);
    // Removes the group with all its values; false when there was none.
    bool remove_group(const QString& group);
};

// Reads INI text line by line. Lines are "[group]", "name=value", blank, or comments starting
// with ";" or "#". A line that is not valid UTF-8 is read as Windows-1252 (a hand-typed "ü"
// saved as Latin-1). A line of another shape, a value before the first group or a line with a
// NUL byte cannot be read: it is counted and kept as it was. Values decode only the escapes
// format_ini writes ("\x" and two hex digits), so a hand-typed "C:\temp" reads as typed.
IniDocument parse_ini(const QByteArray& text);

// Writes the document back as UTF-8 INI text that parse_ini reads to the same values, with
// every kept line unchanged.
QByteArray format_ini(const IniDocument& document);
