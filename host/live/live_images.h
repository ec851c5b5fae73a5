#pragma once

#include "site/types/host_reply.h"

#include <QDateTime>
#include <QImage>
#include <QList>
#include <QString>
#include <array>
#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <span>

class UpstreamCache;
class UpstreamClient;

// Image paths answered from current pictures of public US government services: the national
// radar mosaic, the GOES-East satellite pictures and the Climate Prediction Center's outlook
// maps. Each picture is fetched through an upstream cache, checked, decoded, scaled to the width
// of the sample picture it replaces and written in the format the path's file name says (GIF
// for ".gif", JPEG otherwise). Paths not in the table (cameras, population counters, Europe and
// global satellite pictures, the storm-watch map, outlooks outside the US) are not answered
// here and stay sample pictures. Whatever goes wrong (upstream failure, a reply that is not a
// picture, a truncated, oversized or tiny one) gives the sample picture and one line on the
// log.

enum class ImageUpstream { Radar, Satellite, Outlooks };

// The service's own address; `--upstream-base` replaces all of them, keeping the path.
QString default_image_base(ImageUpstream upstream);

// One path of the image hosts and the upstream picture(s) it is made from. A row with four
// sources is a page of four maps, two by two, in the order given.
struct LiveImageRow {
    const char* path; // as the program asks for it
    ImageUpstream upstream;
    std::array<const char*, 4> sources; // upstream paths; unused ones null
    std::chrono::seconds lifetime;
    int width;        // the width of the picture served (that of the sample picture)
    const char* note; // which product stands in for the old one
};

std::span<const LiveImageRow> live_image_table();

// Pictures above these are refused before their pixels are decoded.
inline constexpr qint64 live_image_max_bytes = 50LL * 1024 * 1024;
inline constexpr qint64 live_image_max_pixels = 100'000'000;           // one frame
inline constexpr qint64 live_image_max_animation_pixels = 400'000'000; // all frames
// A picture made smaller than this (a placeholder of a few pixels) is not served: the program
// takes a download of fewer bytes for a failed one.
inline constexpr qsizetype live_image_min_bytes = 500;

// An upstream picture decoded: its frames (one for a still picture), the delay between frames
// in hundredths of a second, or why it could not be used.
struct UpstreamPicture {
    QList<QImage> frames;
    int delay_cs = 50;
    QString error;
};

// Reads a GIF or JPEG file (by its first bytes, not its name) within the caps above. A file that
// is not a picture, is cut short, is damaged or is too large gives an error and no frames.
UpstreamPicture decode_upstream_picture(const QByteArray& bytes);

class LiveImages {
public:
    // base_override: empty for each service's own address. The caches keep their copies in
    // folders under cache_dir, one per address. log: one line per failure, or null.
    LiveImages(UpstreamClient& client, const QString& base_override, const QString& cache_dir,
               std::FILE* log);
    ~LiveImages();
    LiveImages(const LiveImages&) = delete;
    LiveImages& operator=(const LiveImages&) = delete;

    // The live picture of a path in the table (the sample picture when it cannot be made);
    // nothing for any other path. Safe to call from several threads.
    std::optional<HostReply> reply(const HostRequest& request, const QDateTime& now_utc);

private:
    struct Rendered {
        QList<QByteArray> sources; // the upstream bodies it was made from
        QByteArray bytes;
    };

    HostReply fallback(const HostRequest& request, const QDateTime& now_utc, const QString& why);

    std::FILE* log_;
    std::map<QString, std::unique_ptr<UpstreamCache>> caches_; // by base address
    std::map<ImageUpstream, UpstreamCache*> cache_for_;
    std::unique_ptr<std::mutex[]> row_mutexes_; // one picture made at a time per row
    std::mutex rendered_mutex_;
    std::map<QString, Rendered> rendered_;
};
