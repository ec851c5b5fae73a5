#include "image_samples.h"
#include "images/gif_check.h"
#include "images/jpeg_decoder.h"

#include <gtest/gtest.h>

namespace {

quint32 pixel(const JpegPicture& picture, int x, int y) {
    return reinterpret_cast<const quint32*>(picture.pixels.get())[qsizetype(y) * picture.width + x];
}

bool near(quint32 rgb, int r, int g, int b) {
    auto close = [](int a, int e) { return std::abs(a - e) <= 12; };
    return (rgb >> 24) == 0xFF && close(int((rgb >> 16) & 0xFF), r) &&
           close(int((rgb >> 8) & 0xFF), g) && close(int(rgb & 0xFF), b);
}

} // namespace

TEST(JpegDecoder, SoundPicturesDecodeToTheirSizeAndColours) {
    for (const bool progressive : {false, true}) {
        const JpegPicture picture = decode_jpeg(sample_jpeg(64, 48, progressive));
        ASSERT_TRUE(picture.ok()) << picture.error.toStdString();
        EXPECT_EQ(picture.width, 64);
        EXPECT_EQ(picture.height, 48);
        ASSERT_TRUE(picture.pixels);
        EXPECT_TRUE(near(pixel(picture, 0, 0), 0, 0, 128)) << std::hex << pixel(picture, 0, 0);
        EXPECT_TRUE(near(pixel(picture, 63, 47), 255, 255, 128))
            << std::hex << pixel(picture, 63, 47);
    }
}

TEST(JpegDecoder, DamagedAndHostileFilesAreErrorsWithTheDecodersReason) {
    const QByteArray sound = sample_jpeg(64, 48);
    const struct {
        const char* name;
        QByteArray bytes;
        const char* reason;
    } rows[] = {
        {"truncated", sound.left(sound.size() / 2), "Premature end of JPEG file"},
        {"html page", "<html><body><h1>404 Not Found</h1></body></html>\n",
         "Not a JPEG file: starts with 0x3c 0x68"},
        {"empty file", QByteArray(), "Empty input file"},
        {"65500 x 65500 header", with_jpeg_size(sound, 65500, 65500),
         "Picture too large: 65500 x 65500 pixels"},
        {"one side over the pixel cap", with_jpeg_size(sound, 10001, 10000),
         "Picture too large: 10001 x 10000 pixels"},
        {"zero width", with_jpeg_size(sound, 0, 48), "Empty JPEG image"},
        {"2,000 scans", jpeg_with_many_scans(), "More than 100 scans in progressive JPEG file"},
    };
    for (const auto& row : rows) {
        const JpegPicture picture = decode_jpeg(row.bytes);
        EXPECT_FALSE(picture.ok()) << row.name;
        EXPECT_TRUE(picture.error.startsWith(QLatin1String(row.reason)))
            << row.name << ": " << picture.error.toStdString();
        EXPECT_FALSE(picture.pixels) << row.name;
    }
}

TEST(GifCheck, SoundFilesPassAndBrokenOrHostileOnesAreRefused) {
    std::vector<GifFrame> many(2001, GifFrame{0, 0, 1, 1});
    const QByteArray sound = sample_gif(40, 30);
    QByteArray bad_code_size = sound;
    bad_code_size[bad_code_size.indexOf(char(0x2C)) + 10] = char(12);
    const struct {
        const char* name;
        QByteArray bytes;
        const char* error;
        int frames;
    } rows[] = {
        {"one frame", sound, "", 1},
        {"three frames", sample_gif(40, 30, {{0, 0, 40, 30}, {4, 4, 8, 8}, {0, 0, 40, 30}}), "", 3},
        {"2,000 frames", sample_gif(2, 2, std::vector<GifFrame>(2000, GifFrame{0, 0, 1, 1})), "",
         2000},
        {"2,001 frames", sample_gif(2, 2, many), "GIF with more than 2000 frames", 0},
        {"broken LZW codes", sample_gif(40, 30, {{0, 0, 40, 30, true}}),
         "Broken LZW data in GIF frame", 0},
        {"frame larger than its screen", sample_gif(40, 30, {{0, 0, 41, 30}}),
         "GIF frame larger than its screen", 0},
        {"frame past the screen's edge", sample_gif(40, 30, {{30, 20, 20, 20}}),
         "GIF frame larger than its screen", 0},
        {"data ends early", sound.left(sound.size() - 40), "GIF file ends inside a frame", 0},
        {"LZW code size 12", bad_code_size, "Bad LZW code size in GIF frame", 0},
        {"8192 x 8192 screen", sample_gif(8192, 8192, {{0, 0, 1, 1}}), "", 1},
        {"8193 wide screen", sample_gif(8193, 1, {{0, 0, 1, 1}}),
         "GIF picture too large: 8193 x 1 pixels", 0},
        {"zero height screen", sample_gif(10, 0, {{0, 0, 0, 0}}), "GIF screen without pixels", 0},
        {"html page", "<html>Not Found</html>", "Not a GIF file", 0},
    };
    for (const auto& row : rows) {
        const GifCheck check = check_gif(row.bytes);
        EXPECT_EQ(check.error, QLatin1String(row.error)) << row.name;
        if (check.ok()) {
            EXPECT_EQ(check.frames, row.frames) << row.name;
        }
    }
}
