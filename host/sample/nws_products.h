#pragma once

#include "site/types/host_reply.h"

#include <QDateTime>
#include <QString>
#include <functional>
#include <optional>

// The "NWS" role: a state's bulletins under /iwin/<ST>/ (the state code in either case).
//   zone.html       zone forecast product: one section per forecast zone
//   shortterm.html  short-term forecast (nowcast): one section per forecast zone
//   public.html     public information statement: the latest observations of the larger places
//   allwarnings.html  warnings and advisories for the zones whose weather calls for one
//   special.html    special weather statements for the zones with rain, snow, storms or fog
//   hydro.html      hydrologic summary: each larger place's precipitation of the last 24 hours
// A section is the zone code line, its counties in capitals ("COOK-"), the places it includes,
// the issuance line and the text, ending in "$$". The words follow the sample weather of the
// conditions pages: the zone's place at the page hour and the hours ahead. The last four
// products exist for some states only (a fixed choice per state); for the others the page says
// the product "is not currently available". A state code the zone table lacks gets nothing.

enum class NwsProduct { Zone, ShortTerm, Public, Warnings, Special, Hydro };

// The product a page name stands for ("zone.html"); nothing for any other name.
std::optional<NwsProduct> nws_product_for_file(const QString& file);

// Whether the host carries the product for the state: the zone forecast and the nowcast for
// every state, the others for about two states in three.
bool nws_product_available(NwsProduct product, const QString& state_code);

// The page of the product for the state and the UTC hour of now_utc; nothing for a state the
// zone table lacks. notice, when given, replaces the note under the bulletin.
std::optional<QString> nws_page(NwsProduct product, const QString& state_code,
                                const QDateTime& now_utc, const QString& notice = {});

// "Illinois Zone Forecasts": the title of the product's page for the state.
QString nws_page_title(NwsProduct product, const QString& state_code);

// "ZONE FORECAST PRODUCT": the first line of the sample product of the page.
QString nws_product_heading(NwsProduct product);

// The frame every bulletin page has: title and heading, each followed by the marker that says
// where the bulletin comes from ("(live)", "(stale)", "(sample data)" as on the conditions
// pages), the bulletin inside <pre> (which must not hold a "<"), the note in italics under it.
QString nws_bulletin_page(NwsProduct product, const QString& state_code,
                          const QString& preformatted, const QString& note, const QString& marker);

struct NwsZone;

// "1100 AM EDT SUN SEP 4 2022": a moment in the local time of the zone's place, as bulletins
// write their issuance; empty when the zone has no place.
QString nws_zone_time(const NwsZone& zone, long long unix_ms);

// The page for a product that is not in force: it says "This product is not currently
// available.", which the program turns into its one-line message.
QString nws_not_available_page(NwsProduct product, const QString& state_code);

// Makes the page of a weather service bulletin for a state instead of the sample bulletins;
// nothing for a state the zone table lacks. Called from several threads at once.
using NwsPageSource = std::function<std::optional<TimedPage>(
    NwsProduct product, const QString& state_code, const QDateTime& now_utc)>;

// The reply for a request on the "NWS" role's paths (from source when it is set); nothing for
// any other path.
std::optional<HostReply> answer_nws(const HostRequest& request, const QDateTime& now_utc,
                                    const NwsPageSource& source = {});
