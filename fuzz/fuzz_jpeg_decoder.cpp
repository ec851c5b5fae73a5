// Fuzzes the JPEG decoder: any input ends in a picture within the caps or an error with a
// reason, never in a crash, an exit or a half-decoded picture.
#include "fuzz_check.h"
#include "images/jpeg_decoder.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const JpegPicture picture =
        decode_jpeg(QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size)));
    if (!picture.ok()) {
        check(!picture.pixels && picture.width == 0 && picture.height == 0);
        return 0;
    }
    check(picture.width > 0 && picture.height > 0);
    check(qint64(picture.width) * picture.height <= jpeg_max_pixels);
    check(bool(picture.pixels));
    // Every pixel is opaque: the decoder filled the whole picture.
    const auto* pixels = reinterpret_cast<const quint32*>(picture.pixels.get());
    for (qsizetype i = 0; i < qsizetype(picture.width) * picture.height; ++i)
        check((pixels[i] >> 24) == 0xFF);
    return 0;
}
