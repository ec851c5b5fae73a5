#pragma once

#include <QByteArray>
#include <QString>
#include <memory>

// Limits that keep a hostile or broken file from taking the machine: pictures above 100
// megapixels (or with a zero side) are refused before any pixel memory is taken, progressive
// files stop after 100 scans, and the decoder's own working memory is capped.
inline constexpr qint64 jpeg_max_pixels = 100'000'000;
inline constexpr int jpeg_max_scans = 100;
inline constexpr long jpeg_max_working_memory = 1L << 30;
inline constexpr qint64 jpeg_max_file_size = 256LL << 20;

// Memory for a decoded picture. A large picture gets memory the system may back with huge
// pages: filling fresh memory costs as much as decoding into it when the pages are small.
struct PixelMemory {
    static uchar* allocate(std::size_t bytes);
    void operator()(uchar* pixels) const;
};
using Pixels = std::unique_ptr<uchar[], PixelMemory>;

// A decoded picture: width x height pixels of four bytes, 0xffRRGGBB as 32-bit words in native
// byte order (the layout of QImage::Format_RGB32), rows top to bottom without padding.
struct JpegPicture {
    int width = 0;
    int height = 0;
    Pixels pixels;
    // Empty when the picture decoded cleanly; otherwise the decoder's reason, and no pixels.
    QString error;

    bool ok() const { return error.isEmpty(); }
};

// Decodes a whole JPEG file held in memory with libjpeg. Anything libjpeg only warns about
// (corrupt data, a file that ends early) is an error too, so a damaged file never shows as a
// half-grey picture.
JpegPicture decode_jpeg(const QByteArray& bytes);

// Reads the file and decodes it; a file that cannot be read is an error with its reason.
JpegPicture decode_jpeg_file(const QString& path);
