#include "art.h"

#include <QColor>

#include <array>
#include <cstdio>
#include <cstdlib>

namespace art {
namespace {

struct PaletteEntry {
    char key;
    QRgb colour;
};

// One palette for every hand-placed picture, so the set shares its colours.
constexpr std::array palette{
    // outline of clouds and other light shapes
    PaletteEntry{'K', qRgba(0x2b, 0x33, 0x3d, 0xff)},
    // white cloud: face, lower shade, underside
    PaletteEntry{'W', qRgba(0xff, 0xff, 0xff, 0xff)},
    PaletteEntry{'w', qRgba(0xdd, 0xe4, 0xec, 0xff)},
    PaletteEntry{'g', qRgba(0xb0, 0xbc, 0xc9, 0xff)},
    // grey rain cloud: face, lower shade, underside
    PaletteEntry{'G', qRgba(0xa4, 0xae, 0xba, 0xff)},
    PaletteEntry{'H', qRgba(0x83, 0x8e, 0x9b, 0xff)},
    PaletteEntry{'D', qRgba(0x62, 0x6c, 0x79, 0xff)},
    // storm cloud, darker still
    PaletteEntry{'E', qRgba(0x74, 0x7e, 0x8c, 0xff)},
    PaletteEntry{'F', qRgba(0x55, 0x5e, 0x6b, 0xff)},
    // sun: highlight, face, shade, rays, outline, half outline
    PaletteEntry{'y', qRgba(0xff, 0xf6, 0xb0, 0xff)},
    PaletteEntry{'Y', qRgba(0xff, 0xd4, 0x2a, 0xff)},
    PaletteEntry{'O', qRgba(0xff, 0xa8, 0x18, 0xff)},
    PaletteEntry{'o', qRgba(0xf5, 0x8c, 0x00, 0xff)},
    PaletteEntry{'R', qRgba(0x8a, 0x40, 0x00, 0xff)},
    PaletteEntry{'r', qRgba(0x8a, 0x40, 0x00, 0x80)},
    // muted sun behind haze
    PaletteEntry{'u', qRgba(0xf3, 0xdc, 0x8c, 0xff)},
    PaletteEntry{'U', qRgba(0xd9, 0xb8, 0x5a, 0xff)},
    // water: drop top, drop bottom
    PaletteEntry{'B', qRgba(0x4d, 0xa6, 0xff, 0xff)},
    PaletteEntry{'b', qRgba(0x15, 0x65, 0xd8, 0xff)},
    // snowflake arms
    PaletteEntry{'s', qRgba(0x86, 0xc4, 0xff, 0xff)},
    // thermometer liquid
    PaletteEntry{'M', qRgba(0xe8, 0x30, 0x2a, 0xff)},
    PaletteEntry{'m', qRgba(0xa8, 0x16, 0x1a, 0xff)},
    // night moon: face, shade, outline
    PaletteEntry{'P', qRgba(0xff, 0xf1, 0xbc, 0xff)},
    PaletteEntry{'p', qRgba(0xe9, 0xcb, 0x6e, 0xff)},
    PaletteEntry{'Q', qRgba(0x6e, 0x50, 0x10, 0xff)},
    // program icon tile: light to dark sky, edge
    PaletteEntry{'A', qRgba(0x74, 0xc4, 0xff, 0xff)},
    PaletteEntry{'a', qRgba(0x48, 0x9e, 0xf6, 0xff)},
    PaletteEntry{'c', qRgba(0x27, 0x72, 0xdc, 0xff)},
    PaletteEntry{'C', qRgba(0x14, 0x4c, 0xa8, 0xff)},
    PaletteEntry{'j', qRgba(0x14, 0x4c, 0xa8, 0x90)},
    // program icon: cloud rim against the sun
    PaletteEntry{'v', qRgba(0x8a, 0xa2, 0xc4, 0xff)},
};

QRgb colour_of(char key) {
    for (const auto& entry : palette)
        if (entry.key == key)
            return entry.colour;
    std::fprintf(stderr, "pixel map: no colour for '%c'\n", key);
    std::abort();
}

char remapped(char key, std::string_view remap) {
    for (std::size_t i = 0; i + 1 < remap.size(); i += 2)
        if (remap[i] == key)
            return remap[i + 1];
    return key;
}

// Source-over blend of two unpremultiplied colours, so half-covered pixels soften what lies below.
QRgb over(QRgb top, QRgb below) {
    const int ta = qAlpha(top);
    if (ta == 255)
        return top;
    const int ba = qAlpha(below) * (255 - ta) / 255;
    const int alpha = ta + ba;
    if (alpha == 0)
        return qRgba(0, 0, 0, 0);
    auto mix = [&](int t, int b) { return (t * ta + b * ba + alpha / 2) / alpha; };
    return qRgba(mix(qRed(top), qRed(below)), mix(qGreen(top), qGreen(below)),
                 mix(qBlue(top), qBlue(below)), alpha);
}

} // namespace

QImage paint_pixel_layers(int size, std::initializer_list<PixelLayer> layers) {
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    for (const auto& layer : layers) {
        auto key_at = [&](int col, int row) -> char {
            if (row < 0 || row >= static_cast<int>(layer.rows.size()))
                return '.';
            const auto& line = layer.rows[static_cast<std::size_t>(row)];
            if (col < 0 || col >= static_cast<int>(line.size()))
                return '.';
            return line[static_cast<std::size_t>(col)];
        };
        int width = 0;
        for (const auto& line : layer.rows)
            width = std::max(width, static_cast<int>(line.size()));
        const int height = static_cast<int>(layer.rows.size());
        for (int row = -1; row <= height; ++row) {
            for (int col = -1; col <= width; ++col) {
                char key = key_at(col, row);
                if (key == '.' && layer.outline != 0 &&
                    (key_at(col - 1, row) != '.' || key_at(col + 1, row) != '.' ||
                     key_at(col, row - 1) != '.' || key_at(col, row + 1) != '.'))
                    key = layer.outline;
                if (key == '.')
                    continue;
                const int x = layer.x + col;
                const int y = layer.y + row;
                if (x < 0 || y < 0 || x >= size || y >= size)
                    continue;
                image.setPixel(x, y,
                               over(colour_of(remapped(key, layer.remap)), image.pixel(x, y)));
            }
        }
    }
    return image;
}

} // namespace art
