#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <vector>

// One file of the weather service's file server: the line "Expires:YYYYMMDDhhmm;;NNNNNN" the
// server adds, then a product as issued:
//
//   030                                     the feed's sequence number (may be missing)
//   WWUS53 KDMX 040331                      WMO heading: the issuing office KDMX
//   SVSDMX                                  the product's identifier
//   [zone line, VTEC lines]                 short warnings put their one segment first
//   BULLETIN - EAS ACTIVATION REQUESTED     (may be missing)
//   Severe Weather Statement                the product's name
//   National Weather Service Des Moines IA  the issuer
//   1031 PM CDT TUE JUN 3 2014              the issuance
//   [overview paragraphs]
//   IAC173-040341-                          a segment: zone line (zone "Z" or county "C"
//   /O.CAN.KDMX.SV.W.0143.../               codes, ranges "025>028", the end as "ddhhmm"),
//   TAYLOR IA-                              VTEC lines, the names of its zones, "Including the
//   1031 PM CDT TUE JUN 3 2014              cities of...", the issuance again, then its text,
//   ...text...                              ending in "$$"
//   $$
//
// Upper and mixed case are read alike. Pure: no I/O.

struct BulletinSegment {
    QStringList codes; // every zone and county code its zone line names: "IAZ025", "INC019"
    QString stamp;     // "040341": its end, day, hour and minute in UT
    QStringList vtec;  // its VTEC lines, "/O.CAN.KDMX.SV.W.0143.000000T0000Z-140604T0345Z/"
    QStringList lines; // its text, from the first line after its names and issuance to "$$"
};

struct BulletinFile {
    QString problem;   // why the file cannot be read as a product; empty when it can
    QDateTime expires; // the "Expires:" line in UT; invalid when the file has none
    QString office;    // "KDMX", from the WMO heading; empty when it has none
    QString awips;     // the product's identifier, "SVSDMX"; empty when it has none
    QString name;      // the product's name in capitals, "SEVERE WEATHER STATEMENT"
    QString issuer;    // "National Weather Service Des Moines IA", words capitalised
    QString issued;    // "1031 PM CDT TUE JUN 3 2014", as the product writes it
    std::vector<BulletinSegment> segments;
};

// Reads a file. A file that is larger than max_bytes, holds binary bytes, is an HTML page, is
// empty, has no zone line or a zone line that does not parse gets a problem.
BulletinFile read_bulletin_file(const QByteArray& body, qsizetype max_bytes);

// The codes a zone line names and its end: "IAZ025>028-037-270515-" names IAZ025 to IAZ028 and
// IAZ037 until the 27th at 05:15 UT; "ILZALL" every zone of the state. False when the text is
// not a whole zone line.
bool read_zone_line(const QString& text, QStringList& codes, QString& stamp);
