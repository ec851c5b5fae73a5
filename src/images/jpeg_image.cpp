#include "images/jpeg_image.h"

#include "images/jpeg_decoder.h"
#include "shared/app_error.h"

QImage to_image(JpegPicture picture) {
    if (!picture.ok())
        return QImage();
    uchar* pixels = picture.pixels.release();
    return QImage(
        pixels, picture.width, picture.height, qsizetype(picture.width) * 4, QImage::Format_RGB32,
        [](void* owner) { PixelMemory()(static_cast<uchar*>(owner)); }, pixels);
}

QImage read_jpeg_image(const QString& path) {
    JpegPicture picture = decode_jpeg_file(path);
    if (!picture.ok())
        throw AppError(QStringLiteral("JPEG error: ") + picture.error);
    return to_image(std::move(picture));
}
