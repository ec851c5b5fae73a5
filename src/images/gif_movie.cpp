#include "images/gif_movie.h"

#include "images/gif_check.h"

#include <QImageReader>

namespace {

// Qt refuses pictures above its allocation limit (128 MB by default); a picture at the side
// cap needs 256 MB for one frame.
void allow_largest_gif() {
    constexpr int needed_mb = int((qint64(gif_max_side) * gif_max_side * 4) >> 20) + 1;
    if (QImageReader::allocationLimit() != 0 && QImageReader::allocationLimit() < needed_mb)
        QImageReader::setAllocationLimit(needed_mb);
}

} // namespace

GifMovie::GifMovie(QByteArray bytes) : bytes_(std::move(bytes)), buffer_(&bytes_) {}

std::unique_ptr<GifMovie> GifMovie::open(QByteArray bytes, QString* error) {
    const GifCheck check = check_gif(bytes);
    if (!check.ok()) {
        if (error)
            *error = check.error;
        return nullptr;
    }
    allow_largest_gif();
    std::unique_ptr<GifMovie> gif(new GifMovie(std::move(bytes)));
    gif->screen_ = QSize(check.width, check.height);
    gif->frames_ = check.frames;
    gif->buffer_.open(QIODevice::ReadOnly);
    gif->movie_.setDevice(&gif->buffer_);
    gif->movie_.setFormat("gif");
    gif->movie_.setCacheMode(QMovie::CacheNone); // thousands of large frames would not fit
    if (!gif->movie_.isValid() || !gif->movie_.jumpToFrame(0) ||
        gif->movie_.currentImage().isNull()) {
        if (error)
            *error = QStringLiteral("GIF picture cannot be shown");
        return nullptr;
    }
    return gif;
}
