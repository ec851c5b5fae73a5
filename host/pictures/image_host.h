#pragma once

#include "site/types/host_reply.h"

#include <QDateTime>
#include <optional>

// The image hosts' answers: the path of every row of the image catalogue
// (images/image_catalogue.h) as a real GIF or JPEG file, chosen by the row's local file name
// (".gif" GIF, ".jpg"/".jpeg" JPEG), made for the UTC hour of the request and kept in a small
// cache per path, size and hour.
//
// The Purdue weather-processor host's "/radar/rad_comp.gif" is the full composite, as is
// "/radar/previous/rad_comp-2.gif", the composite of two hours before that the program falls
// back to. With small_radar it is a small "not available" picture sent without a
// Content-Length instead, as the real host sent while its current composite was missing, so
// that the program falls back (nimbrix-host --small-radar). JPEG camera paths take
// "?size=WxH" (up to 4000 x 3000) for larger views, e.g. "/recent0.jpg?size=2560x1600" is a
// 4-megapixel JPEG.
//
// Nothing when the path is no image path.
std::optional<HostReply> image_reply(const HostRequest& request, const QDateTime& now_utc,
                                     bool small_radar = false);

// The image paths, for the index page and the help text.
QStringList image_paths();
