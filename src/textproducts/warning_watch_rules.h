#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

// The warning watch's rules: where the warnings of the location shown are looked for, how the
// state's warnings page is read, what is announced, and what the settings store keeps of the
// warnings already announced. Pure; the watch (warning_watch.h) applies them.

// Where the watch looks for a place's warnings.
struct WatchPlace {
    QString state_code; // "IA": its page is /iwin/IA/allwarnings.html
    QString zone;       // "IAZ048"; empty when the place's forecast zone is not known
    QString name;       // the place in capitals ("AMES"), looked for when there is no zone
};

// The place of a location string as the main window shows it ("Ames, IA", "Ames, Iowa",
// "50010 - Ames, IA"): the zone of the catalogue's city or of the zip. Nothing for a place
// outside the US or an empty text.
std::optional<WatchPlace> watch_place(const QString& location_text);

// Whether the watch serves the location (a US place), without reading the zip table.
bool watch_serves(const QString& location_text);

// Why the watch cannot serve a location (the tray command's tooltip while it is greyed).
QString watch_unavailable_reason(const QString& location_text);

// One warning of the place: one product in the place's section of the page.
struct WatchedWarning {
    QString product;  // the product line: "URGENT - WEATHER MESSAGE", "Flood Warning"
    QString headline; // its "...HEADLINE..." lines without the dots, one per line; may be empty
    QString issued;   // the issuance line: "931 AM EDT Thu May 4 2017"
    QString county;   // the section's counties: "Dekalb"; the place's name when it has none
    QDateTime ends;   // UTC; invalid when the text names no end (in force while listed)
    QString key;      // what the seen warnings remember it by (place, product, issuance)
};

struct WarningsPage {
    // A warnings page, with or without a section for the place ("not currently available"
    // counts: nothing is in force). False for anything else: an error page, an empty body.
    bool readable = false;
    std::vector<WatchedWarning> warnings; // the place's, in page order
};

// Reads the state's warnings page (the host's Windows-1252 bytes, markup removed as the
// forecast window removes it). A place with a zone is found by the zone line that names it
// (ranges such as "GAZ041>045" included); one without by its name in capitals, as the
// forecast window's county search finds a county. now_utc places the zone line's "ddhhmm"
// end in a month.
WarningsPage read_warnings_page(const QByteArray& body, const WatchPlace& place,
                                const QDateTime& now_utc);

// A warning is in force until its end; one without an end while the page lists it.
bool in_force(const WatchedWarning& warning, const QDateTime& now_utc);

// The earliest end of the warnings in force; invalid when none has one.
QDateTime next_end(const std::vector<WatchedWarning>& warnings, const QDateTime& now_utc);

struct WarningMessage {
    QString title; // "Nimbrix - <product> for <County> county"
    QString body;  // the headline cut to 200 characters, or the product line without one
};

inline constexpr int announced_at_once = 3;
inline constexpr int headline_limit = 200;

// The messages for warnings not announced before, in page order: at most three, the last of
// them ending in a line "and N more" when there are more.
std::vector<WarningMessage> warning_announcement(const std::vector<WatchedWarning>& fresh);

// The status-bar form of a message, where neither a tray nor a notification service is there.
QString warning_status_text(const WarningMessage& message);

// The warnings already announced, kept in the settings store as one value: entries
// "<key>@<yyyyMMddHHmm UTC seen>" separated by ";". Entries seen more than 2 days ago and any
// the watch cannot read are dropped; the newest 1000 are kept.
class SeenWarnings {
public:
    static SeenWarnings decode(const QString& stored, const QDateTime& now_utc);
    QString encode() const;

    bool contains(const QString& key) const;
    void add(const QString& key, const QDateTime& now_utc);
    int size() const { return int(entries_.size()); }

private:
    struct Entry {
        QString key;
        QDateTime seen;
    };
    void trim(const QDateTime& now_utc);
    std::vector<Entry> entries_;
};

// The warnings already announced, in the "Settings" section ("WarnWatch", the watch's switch,
// is with the preferences' settings).
inline const QString warn_seen_setting = QStringLiteral("WarnSeen");
