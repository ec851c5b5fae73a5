#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// The about box's texts and figures and the version check's comparison, without the windows.

// The program's own version, the about box's "lblCurrVs" (eight characters).
inline const QString built_in_version = QStringLiteral(NIMBRIX_VERSION);

// Where the version check finds the published version on the maker's web host.
inline const QString version_file_path = QStringLiteral("/assets/nimbrixvs.txt");
inline const QString version_marker = QStringLiteral("Version#");

// The address the about box's "Send me E-mail" writes to.
inline const QString maker_contact_address = QStringLiteral("corvalen@nimbrix.example");

// The message of the version check for the downloaded version file: no "Version#" in it is
// an error; else the 8 characters after the first marker (fewer where the body ends) compared
// with built_in in plain character order ("1.30.7.10" reads as "1.30.7.1", which comes before
// "1.30.7.2").
QString version_check_message(const QByteArray& body, const QString& built_in);

// The memory figures of the about box from total and available physical memory in bytes:
// the free share in per cent as available / (total / 100), both divisions truncating; the
// gauge is red below 5 per cent; 1000 bytes to the K.
struct MemoryFigures {
    int free_percent = 0;
    bool low = false;
    QString free_text;  // "Free RAM: 4000000 K bytes"
    QString total_text; // "Total RAM: 16000000 K bytes"
};
MemoryFigures memory_figures(quint64 total, quint64 available);

// Memo1: the credits, then the attributions the place and station data ask for.
QString about_credits_text();
