#include "images/gif_image.h"

#include "images/gif_check.h"
#include "images/gif_movie.h"

#include <QFile>
#include <QPainter>

TGIFImage::TGIFImage(QWidget* parent) : QLabel(parent) {}

TGIFImage::~TGIFImage() {
    Clear();
}

bool TGIFImage::LoadFromFile(const QString& path) {
    Clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > gif_max_file_size)
        return false;
    gif_ = GifMovie::open(file.readAll());
    if (!gif_)
        return false;
    QMovie& movie = gif_->movie();
    const int first = std::clamp(CurrentFrame, 1, gif_->frames()) - 1;
    for (int frame = 1; frame <= first; ++frame)
        movie.jumpToNextFrame();
    if (Animate) {
        // Looping: the movie starts over however often the file asks to be played.
        connect(&movie, &QMovie::finished, &movie, &QMovie::start);
        movie.start();
    }
    setMovie(&movie);
    resize(gif_->screen());
    return true;
}

void TGIFImage::Clear() {
    if (gif_) {
        gif_->movie().stop();
        setMovie(nullptr);
        gif_.reset();
    }
    clear();
}

QImage TGIFImage::picture() const {
    return gif_ ? gif_->movie().currentImage() : QImage();
}

QSize TGIFImage::natural_size() const {
    return gif_ ? gif_->screen() : QSize();
}

int TGIFImage::frame_count() const {
    return gif_ ? gif_->frames() : 0;
}

void TGIFImage::paintEvent(QPaintEvent* event) {
    if (!gif_ || !hasScaledContents() || size() == gif_->screen()) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(contentsRect(), gif_->movie().currentImage());
}
