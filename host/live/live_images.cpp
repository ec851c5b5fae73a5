#include "live/live_images.h"

#include "images/gif_check.h"
#include "images/image_catalogue.h"
#include "images/jpeg_decoder.h"
#include "live/upstream_cache.h"
#include "pictures/image_files.h"
#include "pictures/image_host.h"

#include <QBuffer>
#include <QHash>
#include <QImageReader>
#include <QPainter>
#include <QUrl>
#include <algorithm>
#include <limits>

namespace {

using std::chrono::hours;
using std::chrono::minutes;
using std::chrono::seconds;

constexpr seconds radar_lifetime = minutes(5);
constexpr seconds satellite_lifetime = minutes(5);
constexpr seconds outlook_lifetime = hours(6);

// The national mosaic and its loop; GOES-East (GOES-19 since April 2025, GOES-16 before) over
// the lower 48 states in the 1250 x 750 size; the outlook maps under the prediction centre's
// products folder.
constexpr const char* mosaic = "/ridge/standard/CONUS_0.gif";
constexpr const char* mosaic_loop = "/ridge/standard/CONUS_loop.gif";
constexpr const char* infrared = "/GOES19/ABI/CONUS/13/1250x750.jpg";
constexpr const char* geocolor = "/GOES19/ABI/CONUS/GEOCOLOR/1250x750.jpg";

// clang-format off
const LiveImageRow live_rows[] = {
    {"/radar/rad_comp.gif", ImageUpstream::Radar, {mosaic}, radar_lifetime, 640,
     "national radar mosaic"},
    {"/radar/previous/rad_comp-2.gif", ImageUpstream::Radar, {mosaic}, radar_lifetime, 640,
     "no older mosaic is published: the current one"},
    {"/mcsat/mcimages/MDR/MDR.GIF", ImageUpstream::Radar, {mosaic}, radar_lifetime, 720,
     "national radar mosaic"},
    {"/graphics/radar/nat_rad.wni.gif", ImageUpstream::Radar, {mosaic}, radar_lifetime, 640,
     "national radar mosaic"},
    {"/mcsat/mcimages/MDR/MDRTOPO.GIF", ImageUpstream::Radar, {mosaic}, radar_lifetime, 720,
     "national radar mosaic (no topography version is published)"},
    {"/free/hrad/hr00us.gif", ImageUpstream::Radar, {mosaic_loop}, radar_lifetime, 640,
     "national radar mosaic loop, animated"},
    {"/satellite/sat_ir_us.gif", ImageUpstream::Satellite, {infrared}, satellite_lifetime, 640,
     "GOES-East infrared (band 13, clean longwave window)"},
    {"/satellite/sat_ir_rad.gif", ImageUpstream::Satellite, {geocolor}, satellite_lifetime, 640,
     "GOES-East GeoColor (infrared clouds at night; no radar overlay is published)"},
    {"/pix/temp1.gif", ImageUpstream::Outlooks, {"/products/predictions/610day/610temp.new.gif"},
     outlook_lifetime, 600, "6-10 day temperature outlook"},
    {"/pix/prec1.gif", ImageUpstream::Outlooks, {"/products/predictions/610day/610prcp.new.gif"},
     outlook_lifetime, 600, "6-10 day precipitation outlook"},
    {"/products/predictions/multi_season/13_seasonal_outlooks/color/page2.gif",
     ImageUpstream::Outlooks,
     {"/products/predictions/30day/off15_temp.gif",
      "/products/predictions/30day/off15_prcp.gif",
      "/products/predictions/long_range/lead01/off01_temp.gif",
      "/products/predictions/long_range/lead01/off01_prcp.gif"},
     outlook_lifetime, 760,
     "next month's temperature and precipitation outlooks above the next three months'"},
    {"/products/predictions/multi_season/13_seasonal_outlooks/color/page3.gif",
     ImageUpstream::Outlooks,
     {"/products/predictions/long_range/lead01/off01_temp.gif",
      "/products/predictions/long_range/lead04/off04_temp.gif",
      "/products/predictions/long_range/lead07/off07_temp.gif",
      "/products/predictions/long_range/lead10/off10_temp.gif"},
     outlook_lifetime, 840, "the four 3-month temperature outlooks of the next 12 months"},
    {"/products/predictions/multi_season/13_seasonal_outlooks/color/page4.gif",
     ImageUpstream::Outlooks,
     {"/products/predictions/long_range/lead01/off01_prcp.gif",
      "/products/predictions/long_range/lead04/off04_prcp.gif",
      "/products/predictions/long_range/lead07/off07_prcp.gif",
      "/products/predictions/long_range/lead10/off10_prcp.gif"},
     outlook_lifetime, 840, "the four 3-month precipitation outlooks of the next 12 months"},
};
// clang-format on

const LiveImageRow* row_for(const QString& path) {
    static const QHash<QString, const LiveImageRow*> by_path = [] {
        QHash<QString, const LiveImageRow*> index;
        for (const LiveImageRow& row : live_rows)
            index.insert(QString::fromLatin1(row.path), &row);
        return index;
    }();
    return by_path.value(path, nullptr);
}

int source_count(const LiveImageRow& row) {
    return int(std::count_if(row.sources.begin(), row.sources.end(),
                             [](const char* s) { return s != nullptr; }));
}

// The file name at the end of the path decides the format, as the program's does.
bool serves_gif(const LiveImageRow& row) {
    const QString path = QString::fromLatin1(row.path);
    return is_gif_file(path.mid(path.lastIndexOf(u'/') + 1));
}

QImage fitted(const QImage& image, int width) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    return width > 0 && rgb.width() > width ? rgb.scaledToWidth(width, Qt::SmoothTransformation)
                                            : rgb;
}

// Qt refuses pictures above its allocation limit (128 MB by default); a GIF at the pixel cap
// needs more for one frame.
void allow_largest_frame() {
    constexpr int needed_mb = int((live_image_max_pixels * 4) >> 20) + 1;
    if (QImageReader::allocationLimit() != 0 && QImageReader::allocationLimit() < needed_mb)
        QImageReader::setAllocationLimit(needed_mb);
}

UpstreamPicture decode_gif(const QByteArray& bytes, int width) {
    UpstreamPicture picture;
    const GifCheck check = check_gif(bytes);
    if (!check.ok()) {
        picture.error = QStringLiteral("damaged GIF picture (") + check.error + u')';
        return picture;
    }
    const qint64 pixels = qint64(check.width) * check.height;
    if (pixels > live_image_max_pixels || pixels * check.frames > live_image_max_animation_pixels) {
        picture.error = QStringLiteral("GIF picture of %1 x %2 pixels and %3 frames is too large")
                            .arg(check.width)
                            .arg(check.height)
                            .arg(check.frames);
        return picture;
    }
    allow_largest_frame();
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "gif");
    // Each frame is scaled as it comes, so a long loop never holds its frames at full size.
    for (int i = 0; i < check.frames; ++i) {
        const QImage frame = reader.read();
        if (frame.isNull()) {
            picture.frames.clear();
            picture.error =
                QStringLiteral("GIF picture cannot be decoded (") + reader.errorString() + u')';
            return picture;
        }
        if (i == 0 && reader.nextImageDelay() > 0)
            picture.delay_cs = std::max(2, reader.nextImageDelay() / 10);
        picture.frames.append(fitted(frame, width));
    }
    return picture;
}

UpstreamPicture decode_jpeg_picture(const QByteArray& bytes, int width) {
    UpstreamPicture picture;
    const JpegPicture jpeg = decode_jpeg(bytes);
    if (!jpeg.ok()) {
        picture.error = QStringLiteral("damaged JPEG picture (") + jpeg.error + u')';
        return picture;
    }
    // The view borrows the decoder's pixels, which go when this returns: the frame kept is a
    // scaled copy or a deep one.
    const QImage view(jpeg.pixels.get(), jpeg.width, jpeg.height, qsizetype(jpeg.width) * 4,
                      QImage::Format_RGB32);
    picture.frames.append(width > 0 && view.width() > width
                              ? view.scaledToWidth(width, Qt::SmoothTransformation)
                              : view.copy());
    return picture;
}

UpstreamPicture decode_scaled(const QByteArray& bytes, int width) {
    if (bytes.size() > live_image_max_bytes) {
        UpstreamPicture picture;
        picture.error = QStringLiteral("picture of %1 bytes is too large").arg(bytes.size());
        return picture;
    }
    if (bytes.startsWith("GIF87a") || bytes.startsWith("GIF89a"))
        return decode_gif(bytes, width);
    if (bytes.startsWith("\xff\xd8\xff"))
        return decode_jpeg_picture(bytes, width);
    UpstreamPicture picture;
    picture.error = QStringLiteral("not a GIF or JPEG picture");
    return picture;
}

// Four maps two by two on white, each centred in its quarter.
QImage four_maps(const QList<QImage>& maps, int width) {
    const int cell_width = width / 2;
    int cell_height = 0;
    for (const QImage& map : maps)
        cell_height = std::max(cell_height, map.height());
    QImage page(cell_width * 2, cell_height * 2, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter painter(&page);
    for (int i = 0; i < int(maps.size()); ++i) {
        const QImage& map = maps[i];
        painter.drawImage((i % 2) * cell_width + (cell_width - map.width()) / 2,
                          (i / 2) * cell_height + (cell_height - map.height()) / 2, map);
    }
    return page;
}

// The bytes served for a row, or empty with the reason in *why.
QByteArray make_picture(const LiveImageRow& row, const QList<QByteArray>& bodies, QString* why) {
    const bool several = bodies.size() > 1;
    QList<UpstreamPicture> pictures;
    for (int i = 0; i < int(bodies.size()); ++i) {
        UpstreamPicture picture = decode_scaled(bodies[i], several ? row.width / 2 : row.width);
        if (!picture.error.isEmpty()) {
            *why = QString::fromLatin1(row.sources[std::size_t(i)]) + QStringLiteral(": ") +
                   picture.error;
            return {};
        }
        pictures.append(std::move(picture));
    }
    QList<QImage> frames;
    if (several) {
        QList<QImage> maps;
        for (const UpstreamPicture& picture : pictures)
            maps.append(picture.frames.first());
        frames.append(four_maps(maps, row.width));
    } else {
        frames = pictures.first().frames;
    }
    const QByteArray bytes = serves_gif(row) ? gif_file(frames, pictures.first().delay_cs)
                                             : jpeg_file(frames.first(), 85);
    if (bytes.isEmpty()) {
        *why = QStringLiteral("the picture could not be written");
        return {};
    }
    // The program takes a download of under 500 bytes for a failed one.
    if (bytes.size() < live_image_min_bytes) {
        *why = QStringLiteral("the picture made has %1 bytes, fewer than %2")
                   .arg(bytes.size())
                   .arg(live_image_min_bytes);
        return {};
    }
    return bytes;
}

// "radar.weather.gov", "127.0.0.1_8080": a folder name for a base address.
QString folder_name(const QString& base) {
    const QUrl url(base);
    QString name = url.host().isEmpty() ? QStringLiteral("upstream") : url.host();
    if (url.port() > 0)
        name += u'_' + QString::number(url.port());
    return QStringLiteral("images-") + name;
}

} // namespace

QString default_image_base(ImageUpstream upstream) {
    switch (upstream) {
    case ImageUpstream::Radar:
        return QStringLiteral("https://radar.weather.gov");
    case ImageUpstream::Satellite:
        return QStringLiteral("https://cdn.star.nesdis.noaa.gov");
    case ImageUpstream::Outlooks:
        return QStringLiteral("https://www.cpc.ncep.noaa.gov");
    }
    return {};
}

std::span<const LiveImageRow> live_image_table() {
    return live_rows;
}

UpstreamPicture decode_upstream_picture(const QByteArray& bytes) {
    return decode_scaled(bytes, 0);
}

LiveImages::LiveImages(UpstreamClient& client, const QString& base_override,
                       const QString& cache_dir, std::FILE* log)
    : log_(log), row_mutexes_(new std::mutex[std::size(live_rows)]) {
    for (const ImageUpstream upstream :
         {ImageUpstream::Radar, ImageUpstream::Satellite, ImageUpstream::Outlooks}) {
        const QString base = base_override.isEmpty() ? default_image_base(upstream) : base_override;
        std::unique_ptr<UpstreamCache>& cache = caches_[base];
        if (!cache)
            cache =
                std::make_unique<UpstreamCache>(client, base, cache_dir + u'/' + folder_name(base));
        cache_for_[upstream] = cache.get();
    }
}

LiveImages::~LiveImages() = default;

HostReply LiveImages::fallback(const HostRequest& request, const QDateTime& now_utc,
                               const QString& why) {
    if (log_)
        std::fprintf(log_, "nimbrix-host: live image %s: %s; sample picture served\n",
                     request.path.toUtf8().constData(), why.toUtf8().constData());
    HostReply sample = image_reply(request, now_utc).value_or(not_found_reply(request.path));
    // Upstream is asked again once the cache no longer remembers the failure.
    sample.made_ms = now_utc.toMSecsSinceEpoch();
    sample.until_ms = sample.made_ms + std::chrono::duration_cast<std::chrono::milliseconds>(
                                           UpstreamCache::failure_memory)
                                           .count();
    return sample;
}

std::optional<HostReply> LiveImages::reply(const HostRequest& request, const QDateTime& now_utc) {
    const LiveImageRow* row = row_for(request.path);
    if (!row)
        return std::nullopt;
    const std::lock_guard row_lock(row_mutexes_[std::size_t(row - live_rows)]);
    QList<QByteArray> bodies;
    // The picture is as new as its newest source and stays so until the first of them is
    // asked for again (a stale one once its failure is no longer remembered).
    const long long now_ms = now_utc.toMSecsSinceEpoch();
    const auto ms = [](auto d) {
        return std::chrono::duration_cast<std::chrono::milliseconds>(d).count();
    };
    long long made_ms = 0;
    long long until_ms = std::numeric_limits<long long>::max();
    for (int i = 0; i < source_count(*row); ++i) {
        const CachedBody cached =
            cache_for_.at(row->upstream)
                ->get(QString::fromLatin1(row->sources[std::size_t(i)]), row->lifetime);
        if (cached.freshness == Freshness::Missing)
            return fallback(request, now_utc, cached.error);
        bodies.append(cached.body);
        made_ms = std::max(made_ms, cached.fetched_unix_ms);
        until_ms = std::min(until_ms, cached.freshness == Freshness::Stale
                                          ? now_ms + ms(UpstreamCache::failure_memory)
                                          : cached.fetched_unix_ms + ms(row->lifetime));
    }
    const QByteArray content_type = serves_gif(*row) ? "image/gif" : "image/jpeg";
    const auto timed = [&](const QByteArray& bytes) {
        HostReply reply{200, content_type, bytes};
        reply.made_ms = made_ms;
        reply.until_ms = until_ms;
        return reply;
    };
    {
        const std::lock_guard lock(rendered_mutex_);
        const auto it = rendered_.find(request.path);
        if (it != rendered_.end() && it->second.sources == bodies)
            return timed(it->second.bytes);
    }
    QString why;
    const QByteArray bytes = make_picture(*row, bodies, &why);
    if (bytes.isEmpty())
        return fallback(request, now_utc, why);
    const std::lock_guard lock(rendered_mutex_);
    rendered_[request.path] = {bodies, bytes};
    return timed(bytes);
}
