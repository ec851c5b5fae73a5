#pragma once

#include <QByteArray>
#include <vector>

// Picture files made on the spot for the decoder, window and fuzz tests.

// A JPEG of a colour gradient (red across, green down, blue 128); progressive with libjpeg's
// usual ten scans when asked.
QByteArray sample_jpeg(int width, int height, bool progressive = false, int quality = 85);
// A valid progressive JPEG of three components with one scan per coefficient and bit: 2,000
// and more scans.
QByteArray jpeg_with_many_scans();
// The JPEG with the width and height fields of its frame header replaced.
QByteArray with_jpeg_size(QByteArray jpeg, int width, int height);

struct GifFrame {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    // After the first pixel a code past the end of the code table is written.
    bool broken_codes = false;
};

// A GIF with a 16-colour table and the given frames (pixels in 4-pixel squares whose colour
// depends on the frame), animated and looping when it has more than one frame.
QByteArray sample_gif(int screen_width, int screen_height, const std::vector<GifFrame>& frames);
// One frame covering the whole screen.
QByteArray sample_gif(int width, int height);
