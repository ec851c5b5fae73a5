#pragma once

#include "site/types/host_reply.h"

#include <QString>
#include <optional>

// The "Maker" role's pages: the version file and the home page at "/". The maker's web host
// and the conditions host share one server, so the home page is about Nimbrix and also links
// to every state and its city pages.

// "Version#" followed by the published version, with nothing after it: the program reads the
// 8 characters behind the marker.
QByteArray version_file_text(const QString& published_version);

// The home page: what Nimbrix is, the published version, example paths, and the states with
// their city pages.
QString home_page(const QString& published_version);

// The reply for "/" and "/assets/nimbrixvs.txt"; nothing for any other path.
std::optional<HostReply> maker_answer(const HostRequest& request, const QString& published_version);
