#pragma once

#include "site/types/host_reply.h"

#include <QString>
#include <optional>

// The "Census" and "CensusLookup" roles, with sample figures that say so in their headings.
//   Census        /statab/ranks/pg20.txt  median household income by state, in rank order
//                 /statab/ranks/pg18.txt  average annual pay by state, in rank order
//                 Plain-text tables with aligned columns; the last line holds the "http://"
//                 link of the table's source.
//   CensusLookup  /cdrom/lookup/.../LEV=STATE/SEL=<nn>,<State>/T=... and
//                 /cdrom/lookup/.../LEV=ZIP/SEL=<zip>/T=...: an HTML table with one row per
//                 requested table item for a state of the census state list ("17,Illinois")
//                 or a real zip code; any other selection gets a page that says it has no data.

inline constexpr char census_text_content_type[] = "text/plain; charset=windows-1252";

// The reply for a request on the two roles' paths; nothing for any other path.
std::optional<HostReply> answer_census(const HostRequest& request);
