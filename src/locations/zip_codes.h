#pragma once

#include <QString>
#include <optional>
#include <vector>

// Real US zip codes for nimbrix-host: every zip code area of the weather service's data set
// (Census ZCTAs, with the forecast zone each lies in), named after the nearest census place of
// its state. The table (":/locations/zips.tsv", about 34,000 rows) is read at the first call,
// never at program start; the program reads it only for the warning watch's check of a zip
// location (its forecast zone).

struct ZipPlace {
    QString zip;           // five digits: "60604"
    QString place_name;    // nearest census place: "Chicago"
    QString state_code;    // "IL"
    double latitude = 0.0; // the zip area's centre, degrees north
    double longitude = 0.0;
    QString forecast_zone; // the weather service's zone: "ILZ014"
};

// The zip's row; nothing for a zip the table lacks. Safe to call from any thread.
std::optional<ZipPlace> lookup_zip(const QString& zip);

// Every row, sorted by zip (nimbrix-host draws its US maps from the zip areas' centres).
const std::vector<ZipPlace>& zip_table();

// The number of rows (for tests and the host's start-up report).
int zip_count();
