#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QMovie>
#include <QSize>
#include <memory>

// A GIF held in memory and played by Qt's GIF reader through QMovie. It is opened only after
// the block check has passed, so Qt never sees a file beyond the caps or with broken codes.
class GifMovie {
public:
    // Null when the bytes are not a sound GIF within the caps or Qt cannot show its first
    // frame; the reason goes to *error when given.
    static std::unique_ptr<GifMovie> open(QByteArray bytes, QString* error = nullptr);

    GifMovie(const GifMovie&) = delete;
    GifMovie& operator=(const GifMovie&) = delete;

    QMovie& movie() { return movie_; }
    // The logical screen: the picture's natural size.
    QSize screen() const { return screen_; }
    int frames() const { return frames_; }

private:
    explicit GifMovie(QByteArray bytes);

    QByteArray bytes_;
    QBuffer buffer_;
    QMovie movie_;
    QSize screen_;
    int frames_ = 0;
};
