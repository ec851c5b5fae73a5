#pragma once

#include <QImage>
#include <QLabel>
#include <memory>

class GifMovie;

// The GIF picture control: shows the first frame of a GIF file, or plays it when Animate is
// on (looping then, and starting at CurrentFrame). It sizes itself to the picture; with scaled
// contents, made smaller, it shows each frame smoothly scaled to its size. A file that is
// missing, broken or beyond the caps leaves it empty, without a message.
class TGIFImage : public QLabel {
    Q_OBJECT
public:
    explicit TGIFImage(QWidget* parent = nullptr);
    ~TGIFImage() override;

    bool Animate = false;
    // The frame shown first, counted from 1.
    int CurrentFrame = 1;

    // False when nothing could be shown; the control is empty then.
    bool LoadFromFile(const QString& path);
    // Stops the animation and drops the frames.
    void Clear();

    bool empty() const { return !gif_; }
    // The frame on show, and the picture's natural size; null and empty without a picture.
    QImage picture() const;
    QSize natural_size() const;
    int frame_count() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::unique_ptr<GifMovie> gif_;
};
