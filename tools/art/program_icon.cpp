// The program icon: a bright sun rising behind a white cloud on a rounded sky-blue tile.
// Drawn as vectors at four times the wanted size and scaled down, which keeps edges clean.
#include "art.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>
#include <numbers>

// The pixel maps and colour tables below are laid out by hand, one row a line.
// clang-format off

namespace art {
namespace {

// Coordinates run from 0 to 1000 across the icon; path operations flatten curves to a fixed
// tolerance, so they need a large coordinate range to stay round.
constexpr double unit = 1000.0;

QPainterPath tile_path() {
    QPainterPath path;
    path.addRoundedRect(QRectF(40, 40, 920, 920), 200, 200);
    return path;
}

QPainterPath circle(double x, double y, double r) {
    QPainterPath path;
    path.addEllipse(QPointF(x, y), r, r);
    return path;
}

QPainterPath cloud_path() {
    QPainterPath path;
    path.addRoundedRect(QRectF(110, 590, 690, 230), 115, 115);
    return path.united(circle(285, 620, 130))
        .united(circle(460, 530, 185))
        .united(circle(650, 625, 135))
        .simplified();
}

void paint_icon(QPainter& p) {
    const QPainterPath tile = tile_path();

    QLinearGradient sky(0, 40, 0, 960);
    sky.setColorAt(0.0, QColor(0x86, 0xd0, 0xff));
    sky.setColorAt(1.0, QColor(0x1c, 0x5f, 0xcc));
    p.setPen(Qt::NoPen);
    p.setBrush(sky);
    p.drawPath(tile);

    p.save();
    p.setClipPath(tile);

    // Sun rays, then the disc.
    const QPointF sun(650, 350);
    const double sun_radius = 185;
    p.setPen(QPen(QColor(0xff, 0xdc, 0x4a), 58, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 12; ++i) {
        const double a = i * std::numbers::pi / 6.0 + std::numbers::pi / 12.0;
        const QPointF dir(std::cos(a), std::sin(a));
        p.drawLine(sun + dir * (sun_radius + 65), sun + dir * (sun_radius + 145));
    }
    QRadialGradient glow(sun - QPointF(55, 55), sun_radius * 1.35);
    glow.setColorAt(0.0, QColor(0xff, 0xfb, 0xd0));
    glow.setColorAt(0.45, QColor(0xff, 0xd8, 0x2e));
    glow.setColorAt(1.0, QColor(0xff, 0x98, 0x10));
    p.setPen(QPen(QColor(0xe8, 0x78, 0x00), 12));
    p.setBrush(glow);
    p.drawEllipse(sun, sun_radius, sun_radius);

    // The cloud, with a soft shadow on the sky below it.
    const QPainterPath cloud = cloud_path();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x0a, 0x2a, 0x70, 0x50));
    p.drawPath(cloud.translated(20, 35));
    QLinearGradient body(0, 345, 0, 820);
    body.setColorAt(0.0, QColor(0xff, 0xff, 0xff));
    body.setColorAt(0.6, QColor(0xf4, 0xf8, 0xfc));
    body.setColorAt(1.0, QColor(0xc8, 0xd6, 0xe8));
    p.setPen(QPen(QColor(0x8a, 0xa2, 0xc4), 12));
    p.setBrush(body);
    p.drawPath(cloud);
    p.restore();

    // A darker rim keeps the tile's edge visible on blue or grey desktops.
    p.setPen(QPen(QColor(0x12, 0x44, 0x9a), 16));
    p.setBrush(Qt::NoBrush);
    p.drawPath(tile);
}

QImage render_icon(int size) {
    const int big = size * 4;
    QImage image(big, big, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(big / unit, big / unit);
    paint_icon(p);
    p.end();
    return image.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_ARGB32);
}

// At 16 × 16 the scaled-down drawing turns to mush, so that size is placed by hand.
QImage small_icon() {
    return paint_pixel_layers(16, {{0, 0, {
        ".jCCCCCCCCCCCCj.",
        "jCAAAAAAAAooAACj",
        "CAAAAAAoAAAAAAoC",
        "CAAAAAAAAooooAAC",
        "CAAAAAAAoyyYYoAC",
        "CaaaaaoaoyYYYoaC",
        "CaaaaaWWWvYYOoaC",
        "CaaaaWWWWWvOOoaC",
        "CaWWaWWWWWWvoaaC",
        "CWWWWWWWWWWWaaaC",
        "CWWWWWWWWWWWWccC",
        "CWWWWWWWWWWWWccC",
        "CwwwwwwwwwwwwccC",
        "CcggggggggggcccC",
        "jCccccccccccccCj",
        ".jCCCCCCCCCCCCj.",
    }}});
}

} // namespace

std::vector<NamedPicture> program_icons() {
    return {
        {QStringLiteral("nimbrix"), render_icon(128)},
        {QStringLiteral("nimbrix-16"), small_icon()},
        {QStringLiteral("nimbrix-32"), render_icon(32)},
        {QStringLiteral("nimbrix-48"), render_icon(48)},
        {QStringLiteral("nimbrix-256"), render_icon(256)},
    };
}

} // namespace art
// clang-format on
