#pragma once

#include <QByteArray>

// Reads GIF files with giflib and JPEG files with libjpeg, as a check that nimbrix-host's
// pictures are real files of their format.

struct DecodedPicture {
    bool ok = false;
    int width = 0;
    int height = 0;
    int frames = 0;
};

DecodedPicture giflib_decode(const QByteArray& bytes);
DecodedPicture libjpeg_decode(const QByteArray& bytes);
