#include "pictures/us_base_map.h"

#include "pictures/picture_tools.h"

#include <QHash>
#include <QPainter>
#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <mutex>

namespace {

// A rough height above the sea in metres: the western mountains and plateaus, the plains
// rising to the west, the Appalachians.
double height_m(GeoPoint p) {
    const auto ridge = [&p](GeoPoint a, GeoPoint b, double width, double height) {
        const double ax = a.lon, ay = a.lat, bx = b.lon, by = b.lat;
        const double t = std::clamp(((p.lon - ax) * (bx - ax) + (p.lat - ay) * (by - ay)) /
                                        ((bx - ax) * (bx - ax) + (by - ay) * (by - ay)),
                                    0.0, 1.0);
        const double dx = p.lon - (ax + (bx - ax) * t);
        const double dy = p.lat - (ay + (by - ay) * t);
        return height * std::exp(-(dx * dx + dy * dy) / (width * width));
    };
    double h = std::clamp((-p.lon - 95.0) * 180.0, 100.0, 1500.0);
    if (p.lon < -112)
        h = std::max(200.0, h - (-112 - p.lon) * 120);
    h = std::max(h, ridge({49, -114}, {35.5, -106}, 3.4, 2600));
    h = std::max(h, ridge({49, -121}, {35.5, -118.3}, 1.0, 2200));
    h = std::max(h, ridge({41, -118}, {38, -113}, 2.5, 1600));
    h = std::max(h, ridge({38, -112}, {36, -108}, 2.0, 1900));
    h = std::max(h, ridge({34.5, -84.5}, {44, -72}, 1.3, 900));
    if (p.lon > -95)
        h = std::max(h, 150.0 + (p.lat - 30) * 12);
    return h;
}

QRgb topo_colour(double h) {
    static const std::array<std::pair<double, QRgb>, 6> ramp = {{{0, qRgb(60, 140, 60)},
                                                                 {400, qRgb(120, 175, 80)},
                                                                 {900, qRgb(200, 195, 120)},
                                                                 {1500, qRgb(180, 140, 90)},
                                                                 {2300, qRgb(140, 100, 70)},
                                                                 {3000, qRgb(225, 225, 225)}}};
    for (std::size_t i = 1; i < ramp.size(); ++i)
        if (h <= ramp[i].first)
            return mixed_rgb(ramp[i - 1].second, ramp[i].second,
                             (h - ramp[i - 1].first) / (ramp[i].first - ramp[i - 1].first));
    return ramp.back().second;
}

UsBase make_us_base(const MapFrame& frame, const BaseStyle& style) {
    UsBase base;
    base.image = QImage(frame.width(), frame.height(), QImage::Format_RGB32);
    base.image.fill(style.water);
    {
        QPainter painter(&base.image);
        paint_land(painter, frame, style.foreign, style.water);
    }
    const UsStateGrid& grid = UsStateGrid::instance();
    const int w = frame.width();
    const int h = frame.height();
    base.state.assign(static_cast<std::size_t>(w * h), -1);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            base.state[static_cast<std::size_t>(y * w + x)] =
                static_cast<short>(grid.state_at(frame.to_geo(QPointF(x + 0.5, y + 0.5))));
    const NoiseField texture(0x746f706fULL);
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<QRgb*>(base.image.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const int s = base.state[static_cast<std::size_t>(y * w + x)];
            if (s < 0)
                continue;
            QRgb colour = style.us;
            if (style.topography) {
                const GeoPoint g = frame.to_geo(QPointF(x + 0.5, y + 0.5));
                colour = topo_colour(height_m(g) + (texture.at(g.lon, g.lat, 4) - 0.5) * 700);
            }
            const int right = x + 1 < w ? base.state[static_cast<std::size_t>(y * w + x + 1)] : s;
            const int down = y + 1 < h ? base.state[static_cast<std::size_t>((y + 1) * w + x)] : s;
            const int left = x > 0 ? base.state[static_cast<std::size_t>(y * w + x - 1)] : s;
            const int up = y > 0 ? base.state[static_cast<std::size_t>((y - 1) * w + x)] : s;
            if (right < 0 || down < 0 || left < 0 || up < 0)
                colour = style.coast;
            else if (right != s || down != s)
                colour = style.border;
            row[x] = colour;
        }
    }
    return base;
}

} // namespace

BaseStyle style_for(RadarLook look) {
    switch (look) {
    case RadarLook::Purdue:
        return {qRgb(0, 0, 0), qRgb(28, 28, 28), qRgb(70, 70, 70), qRgb(200, 200, 200),
                qRgb(230, 230, 230)};
    case RadarLook::TexasAM:
        return {qRgb(40, 70, 140), qRgb(170, 170, 170), qRgb(245, 245, 240), qRgb(120, 120, 120),
                qRgb(20, 20, 60)};
    case RadarLook::TexasAMTopo:
        return {qRgb(30, 60, 130), qRgb(150, 150, 140), qRgb(0, 0, 0),
                qRgb(40, 40, 40),  qRgb(10, 10, 40),    true};
    case RadarLook::Yahoo:
        return {qRgb(170, 200, 230), qRgb(215, 215, 205), qRgb(238, 228, 200), qRgb(150, 140, 160),
                qRgb(90, 110, 150)};
    case RadarLook::WeatherBank:
        return {qRgb(10, 30, 70), qRgb(60, 60, 60), qRgb(95, 95, 90), qRgb(170, 170, 170),
                qRgb(200, 200, 210)};
    }
    return {};
}

MapFrame us_frame(int width, int height) {
    return MapFrame(MapFrame::Projection::Conic, 24.0, 49.5, -124.5, -67.0, width, height);
}

void paint_land(QPainter& painter, const MapFrame& frame, QRgb land, QRgb water) {
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(land));
    for (const auto& outline : land_outlines())
        painter.drawPath(frame.path(outline));
    painter.setBrush(QColor(water));
    for (const auto& outline : inland_water_outlines())
        painter.drawPath(frame.path(outline));
}

const UsBase& us_base(int key, const MapFrame& frame, const BaseStyle& style) {
    static std::mutex mutex;
    static QHash<int, std::shared_ptr<const UsBase>> cache;
    const int full_key = key * 1'000'000 + frame.width() * 1000 + frame.height();
    {
        const std::lock_guard lock(mutex);
        const auto it = cache.constFind(full_key);
        if (it != cache.constEnd())
            return **it;
    }
    auto made = std::make_shared<const UsBase>(make_us_base(frame, style));
    const std::lock_guard lock(mutex);
    const auto it = cache.constFind(full_key);
    if (it != cache.constEnd())
        return **it;
    cache.insert(full_key, made);
    return *made;
}
