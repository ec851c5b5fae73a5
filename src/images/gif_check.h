#pragma once

#include <QByteArray>
#include <QString>

// Limits of the GIF picture control: a larger or longer GIF is refused whole.
inline constexpr int gif_max_frames = 2000;
inline constexpr int gif_max_side = 8192;
inline constexpr qint64 gif_max_file_size = 64LL << 20;

// What a walk over a GIF file's blocks found: the logical screen, the number of frames, and
// the first fault (empty when the file is sound).
struct GifCheck {
    int width = 0;
    int height = 0;
    int frames = 0;
    QString error;

    bool ok() const { return error.isEmpty(); }
};

// Walks the blocks of a GIF file and runs each frame's LZW codes without making pixels: a file
// whose codes are broken, whose data ends before the frame is full, whose frame reaches past
// its screen, or that exceeds the caps is refused before the picture decoder sees it.
GifCheck check_gif(const QByteArray& bytes);
