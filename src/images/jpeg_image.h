#pragma once

#include <QImage>
#include <QString>

struct JpegPicture;

// The decoded picture as a QImage that takes over its pixels without copying them.
QImage to_image(JpegPicture picture);

// Decodes a JPEG file; a file that cannot be decoded is an error with the decoder's reason.
QImage read_jpeg_image(const QString& path);
