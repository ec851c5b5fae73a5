#pragma once

#include <QString>
#include <QStringList>

// The request header lines of the HTTP client, each of the form name, colon, blank, value.
class TExStringList {
public:
    // Index of the first line whose text before its first colon equals name, compared
    // without regard to case; lines without a colon never match; -1 when none does.
    int index_of_name(const QString& name) const;
    // A non-empty value replaces the found line by name + ": " + value, or is appended as a
    // new line; an empty value deletes the found line.
    void set_header(const QString& name, const QString& value);

    void append(const QString& line) { lines_.append(line); }
    void clear() { lines_.clear(); }
    int count() const { return static_cast<int>(lines_.size()); }
    const QStringList& lines() const { return lines_; }
    bool operator==(const TExStringList& other) const = default;

private:
    QStringList lines_;
};
