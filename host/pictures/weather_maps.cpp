#include "pictures/weather_maps.h"

#include "pictures/map_geography.h"
#include "pictures/picture_tools.h"
#include "pictures/us_base_map.h"

#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QTimeZone>
#include <cmath>
#include <memory>
#include <mutex>
#include <numbers>

namespace {

// ---- The made-up weather ----

double hours_of(const QDateTime& t) {
    return static_cast<double>(t.toMSecsSinceEpoch()) / 3'600'000.0;
}

// Clouds and precipitation over the earth at a moment: two fields, one per 18-hour knot,
// blended, drifting east about 60 km an hour.
class WeatherField {
public:
    explicit WeatherField(double hours) : hours_(hours) {
        const double knot = std::floor(hours / 18.0);
        blend_ = hours / 18.0 - knot;
        // Two independent fields blended have less contrast than either; this restores it.
        spread_ = 1.0 / std::sqrt((1 - blend_) * (1 - blend_) + blend_ * blend_);
        const auto k = static_cast<std::uint64_t>(static_cast<long long>(knot));
        a_ = fields(k);
        b_ = fields(k + 1);
    }

    // Cloud cover, 0 (clear) to 1 (thick), with fewer clouds in the subtropics.
    double cloud(GeoPoint p) const {
        const double x = (p.lon - 0.7 * hours_) / 9.0;
        const double y = p.lat / 9.0;
        const double n = mixed(a_->clouds.at(x, y), b_->clouds.at(x, y));
        const double lat = std::abs(p.lat);
        const double bias = 0.06 * std::exp(-lat * lat / 60.0) -
                            0.07 * std::exp(-(lat - 24) * (lat - 24) / 40.0) +
                            0.03 * std::exp(-(lat - 55) * (lat - 55) / 80.0);
        return smoothstep(0.47, 0.66, n + bias);
    }

    // Precipitation, 0 (none) to 1 (the heaviest cores), only under thick cloud.
    double echo(GeoPoint p) const { return echo_under(p, cloud(p)); }

    double echo_under(GeoPoint p, double c) const {
        if (c < 0.55)
            return 0.0;
        const double x = (p.lon - 0.7 * hours_) / 2.6;
        const double y = p.lat / 2.6;
        const double n = mixed(a_->cells.at(x, y, 4), b_->cells.at(x, y, 4));
        return std::clamp((n * 0.8 + c * 0.35 - 0.66) * 2.5, 0.0, 1.0);
    }

    // Cloud cover, precipitation and how cold the cloud tops are, 0 (low) to 1 (deep
    // convection), for infrared pictures.
    struct Sample {
        double cloud;
        double echo;
        double top;
    };
    Sample sample(GeoPoint p) const {
        const double c = cloud(p);
        const double e = echo_under(p, c);
        return {c, e, std::clamp(c * 0.75 + e * 0.6, 0.0, 1.0)};
    }

private:
    struct Fields {
        NoiseField clouds;
        NoiseField cells;
        explicit Fields(std::uint64_t knot)
            : clouds(mix64(knot * 2 + 0x1000)), cells(mix64(knot * 2 + 0x1001)) {}
    };

    // The fields of a knot are shared by every picture (they are a few hundred KB each).
    static std::shared_ptr<const Fields> fields(std::uint64_t knot) {
        static std::mutex mutex;
        static QHash<std::uint64_t, std::shared_ptr<const Fields>> cache;
        const std::lock_guard lock(mutex);
        auto it = cache.find(knot);
        if (it != cache.end())
            return *it;
        if (cache.size() > 16)
            cache.clear();
        auto made = std::make_shared<const Fields>(knot);
        cache.insert(knot, made);
        return made;
    }

    double mixed(double a, double b) const { return (a + (b - a) * blend_ - 0.5) * spread_ + 0.5; }

    double hours_;
    double blend_ = 0.0;
    double spread_ = 1.0;
    std::shared_ptr<const Fields> a_;
    std::shared_ptr<const Fields> b_;
};

// ---- Colours ----

// Radar reflectivity steps, light to heavy.
const std::array<QRgb, 7> echo_colours = {qRgb(120, 230, 120), qRgb(40, 190, 40), qRgb(0, 140, 0),
                                          qRgb(250, 240, 30),  qRgb(250, 150, 0), qRgb(235, 20, 20),
                                          qRgb(200, 0, 200)};
const std::array<const char*, 7> echo_labels = {"15", "25", "30", "35", "45", "55", "65"};

int echo_step(double echo) {
    if (echo <= 0.04)
        return -1;
    return std::min(6, static_cast<int>((echo - 0.04) * 8.0));
}

QString utc_stamp(const QDateTime& t) {
    return t.toUTC().toString(QStringLiteral("dd MMM yyyy HHmm")) + QStringLiteral(" UTC");
}

// Radar echoes over the states of a base map, in blocks of 2 x 2 pixels as a radar's bins.
void paint_echoes(QImage& image, const std::vector<short>& states, const MapFrame& frame,
                  const WeatherField& weather) {
    const int w = image.width();
    const int h = image.height();
    for (int by = 0; by < h; by += 2)
        for (int bx = 0; bx < w; bx += 2) {
            int step = -2; // not yet computed for this block
            for (int y = by; y < std::min(by + 2, h); ++y) {
                auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
                for (int x = bx; x < std::min(bx + 2, w); ++x) {
                    if (states[static_cast<std::size_t>(y * w + x)] < 0)
                        continue;
                    if (step == -2)
                        step = echo_step(weather.echo(frame.to_geo(QPointF(bx + 1, by + 1))));
                    if (step >= 0)
                        row[x] = echo_colours[static_cast<std::size_t>(step)];
                }
            }
        }
}

void paint_echo_legend(QPainter& painter, int x, int y, QColor text) {
    painter.setFont(picture_font(10));
    painter.setPen(text);
    painter.drawText(QPointF(x, y + 10), QStringLiteral("dBZ"));
    for (std::size_t i = 0; i < echo_colours.size(); ++i) {
        const int bx = x + 28 + static_cast<int>(i) * 26;
        painter.fillRect(QRect(bx, y, 24, 10), QColor(echo_colours[i]));
        painter.setPen(text);
        painter.drawText(QPointF(bx + 4, y + 22), QString::fromLatin1(echo_labels[i]));
    }
}

struct RadarFrameLook {
    int width;
    int height;
    QString title;
    QColor title_back;
    QColor title_text;
};

RadarFrameLook frame_look(RadarLook look) {
    switch (look) {
    case RadarLook::Purdue:
        return {640, 480, QStringLiteral("US Radar Composite"), Qt::black, Qt::white};
    case RadarLook::TexasAM:
        return {720, 540, QStringLiteral("Texas A&M Meteorology - US Radar Summary"),
                QColor(80, 0, 0), Qt::white};
    case RadarLook::TexasAMTopo:
        return {720, 540, QStringLiteral("Texas A&M Meteorology - US Radar with Topography"),
                QColor(80, 0, 0), Qt::white};
    case RadarLook::Yahoo:
        return {640, 400, QStringLiteral("National Radar"), QColor(60, 60, 140), Qt::white};
    case RadarLook::WeatherBank:
        return {640, 480, QStringLiteral("WeatherBank US Radar"), QColor(10, 30, 70),
                QColor(255, 220, 120)};
    }
    return {};
}

QImage radar_picture(RadarLook look, const QDateTime& when) {
    const RadarFrameLook fl = frame_look(look);
    const int title_h = 24;
    const int legend_h = 30;
    const MapFrame frame = us_frame(fl.width, fl.height - title_h - legend_h);
    const UsBase& base = us_base(static_cast<int>(look), frame, style_for(look));
    QImage map = base.image.copy();
    paint_echoes(map, base.state, frame, WeatherField(hours_of(when)));

    QImage image(fl.width, fl.height, QImage::Format_RGB32);
    image.fill(fl.title_back);
    QPainter painter(&image);
    painter.drawImage(0, title_h, map);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setPen(fl.title_text);
    painter.setFont(picture_font(14, true));
    painter.drawText(QRect(8, 0, fl.width - 16, title_h), Qt::AlignVCenter | Qt::AlignLeft,
                     fl.title);
    painter.setFont(picture_font(12));
    painter.drawText(QRect(8, 0, fl.width - 16, title_h), Qt::AlignVCenter | Qt::AlignRight,
                     utc_stamp(when));
    paint_echo_legend(painter, 8, fl.height - legend_h + 4, fl.title_text);
    return image;
}

// ---- Satellite pictures ----

QRgb ground_colour(GeoPoint p, const NoiseField& texture) {
    const double lat = std::abs(p.lat);
    const double t = texture.at(p.lon / 3.0, p.lat / 3.0, 3);
    const double wobble = (t - 0.5) * 8; // degrees: ragged edges between the zones
    QRgb c = qRgb(70, 110, 50);          // forest and farmland
    const double desert = smoothstep(12, 18, lat + wobble) * (1 - smoothstep(30, 36, lat + wobble));
    c = mixed_rgb(c, mixed_rgb(qRgb(195, 165, 115), qRgb(150, 130, 90), t), desert);
    c = mixed_rgb(c, qRgb(120, 120, 100), smoothstep(58, 66, lat + wobble));
    c = mixed_rgb(c, qRgb(235, 235, 240), smoothstep(68, 76, lat + wobble));
    return mixed_rgb(c, qRgb(100, 95, 60), t * 0.4);
}

QRgb temperature_colour(double temp_c) {
    if (temp_c < 0)
        return mixed_rgb(qRgb(120, 60, 200), qRgb(60, 120, 230), (temp_c + 30) / 30);
    if (temp_c < 15)
        return mixed_rgb(qRgb(60, 180, 220), qRgb(60, 200, 80), temp_c / 15);
    return mixed_rgb(qRgb(240, 220, 40), qRgb(230, 60, 30), (temp_c - 15) / 15);
}

QImage satellite_map(const MapFrame& frame, SatelliteView view, const WeatherField& weather,
                     double hours) {
    const bool infrared =
        view == SatelliteView::UsInfrared || view == SatelliteView::UsInfraredRadar;
    const bool global = view == SatelliteView::GlobalTemperature;
    const int w = frame.width();
    const int h = frame.height();
    QImage land(w, h, QImage::Format_RGB32);
    land.fill(Qt::black);
    {
        QPainter painter(&land);
        paint_land(painter, frame, qRgb(255, 255, 255), qRgb(0, 0, 0));
    }
    const NoiseField texture(0x6c616e64ULL);
    // 1 in northern summer, -1 in northern winter.
    const double season = -std::cos((hours / 24.0 - 15) / 365.25 * 2 * std::numbers::pi);

    // The weather and the ground are sampled every second pixel and blended in between.
    struct Sample {
        double cloud;
        double top;
        QRgb ground;
    };
    const int gw = w / 2 + 2;
    const int gh = h / 2 + 2;
    std::vector<Sample> grid(static_cast<std::size_t>(gw * gh));
    for (int j = 0; j < gh; ++j)
        for (int i = 0; i < gw; ++i) {
            const GeoPoint g = frame.to_geo(QPointF(i * 2.0, j * 2.0));
            const WeatherField::Sample ws = weather.sample(g);
            QRgb ground = 0;
            if (global)
                ground = temperature_colour(31 - std::abs(g.lat) * 0.6 + season * g.lat * 0.2 +
                                            (texture.at(g.lon / 6, g.lat / 6, 3) - 0.5) * 14);
            else if (!infrared)
                ground = ground_colour(g, texture);
            grid[static_cast<std::size_t>(j * gw + i)] = {ws.cloud, ws.top, ground};
        }

    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        const auto* mask = reinterpret_cast<const QRgb*>(land.constScanLine(y));
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        const int j = y / 2;
        const double fy = (y - j * 2) / 2.0;
        for (int x = 0; x < w; ++x) {
            const int i = x / 2;
            const double fx = (x - i * 2) / 2.0;
            const Sample& a = grid[static_cast<std::size_t>(j * gw + i)];
            const Sample& b = grid[static_cast<std::size_t>(j * gw + i + 1)];
            const Sample& c0 = grid[static_cast<std::size_t>((j + 1) * gw + i)];
            const Sample& d = grid[static_cast<std::size_t>((j + 1) * gw + i + 1)];
            const auto blend = [fx, fy](double p, double q, double r, double t) {
                return (p + (q - p) * fx) * (1 - fy) + (r + (t - r) * fx) * fy;
            };
            const double cloud = blend(a.cloud, b.cloud, c0.cloud, d.cloud);
            const double top = blend(a.top, b.top, c0.top, d.top);
            const QRgb ground = mixed_rgb(mixed_rgb(a.ground, b.ground, fx),
                                          mixed_rgb(c0.ground, d.ground, fx), fy);
            const double is_land = qRed(mask[x]) / 255.0;
            QRgb c;
            if (infrared) {
                // Warm ground dark, cloud tops brighter the colder, the coldest coloured.
                c = mixed_rgb(mixed_rgb(qRgb(45, 45, 45), qRgb(70, 70, 70), is_land),
                              qRgb(235, 235, 235), top);
                if (top > 0.8)
                    c = mixed_rgb(qRgb(80, 200, 255), qRgb(255, 60, 60), (top - 0.8) * 5);
            } else if (global) {
                c = mixed_rgb(qRgb(20, 30, 90), ground, is_land);
                c = mixed_rgb(c, qRgb(225, 225, 225), cloud * 0.85);
            } else {
                c = mixed_rgb(qRgb(12, 22, 60), ground, is_land);
                const int v = static_cast<int>(250 * (0.75 + 0.25 * top));
                c = mixed_rgb(c, qRgb(v, v, v), cloud);
            }
            row[x] = c;
        }
    }
    return image;
}

// How a satellite view is laid out: its map, title and coastline colour.
struct SatelliteLayout {
    MapFrame frame;
    QString title;
    QColor coast = QColor(255, 255, 0, 160);
};

SatelliteLayout satellite_layout(SatelliteView view) {
    switch (view) {
    case SatelliteView::EuropeVisible:
        return {MapFrame(MapFrame::Projection::Flat, 34, 71, -14, 42, 640, 480),
                QStringLiteral("Europe Satellite"), QColor(255, 255, 255, 60)};
    case SatelliteView::EuropeMeteo:
        return {MapFrame(MapFrame::Projection::Flat, 32, 72, -25, 45, 800, 600),
                QStringLiteral("METEOSAT - Europe"), QColor(255, 255, 255, 90)};
    case SatelliteView::UsInfrared:
    case SatelliteView::UsInfraredRadar:
        return {us_frame(640, 480), view == SatelliteView::UsInfrared
                                        ? QStringLiteral("US Infrared Satellite")
                                        : QStringLiteral("US Satellite/IR/Radar")};
    case SatelliteView::GlobalTemperature:
        break;
    }
    return {MapFrame(MapFrame::Projection::Flat, -90, 90, -180, 180, 720, 360),
            QStringLiteral("Global Temperature and Weather Composite"), QColor(0, 0, 0, 120)};
}

// The US base map's state borders and coasts over the picture.
void draw_state_borders(QImage& image, const MapFrame& frame) {
    const UsBase& base = us_base(100, frame, style_for(RadarLook::Purdue));
    const QRgb border = style_for(RadarLook::Purdue).border;
    const QRgb coast_rgb = style_for(RadarLook::Purdue).coast;
    for (int y = 0; y < image.height(); ++y) {
        const auto* b = reinterpret_cast<const QRgb*>(base.image.constScanLine(y));
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (b[x] == border || b[x] == coast_rgb)
                row[x] = qRgb(230, 200, 40);
    }
}

// Dotted lines every 10 degrees of latitude and longitude.
void draw_graticule(QPainter& painter, const MapFrame& frame) {
    painter.setPen(QPen(QColor(255, 255, 255, 70), 1, Qt::DotLine));
    for (int lat = -80; lat <= 80; lat += 10)
        painter.drawLine(frame.to_pixel({double(lat), -180}), frame.to_pixel({double(lat), 180}));
    for (int lon = -180; lon <= 180; lon += 10)
        painter.drawLine(frame.to_pixel({-85, double(lon)}), frame.to_pixel({85, double(lon)}));
}

// The dark bar along the top: the title on the left, the UTC time on the right.
void draw_title_bar(QPainter& painter, const QImage& image, const QString& title,
                    const QDateTime& hour) {
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(QRect(0, 0, image.width(), 22), QColor(0, 0, 0, 170));
    painter.setPen(Qt::white);
    painter.setFont(picture_font(13, true));
    painter.drawText(QRect(8, 0, image.width() - 16, 22), Qt::AlignVCenter | Qt::AlignLeft, title);
    painter.setFont(picture_font(12));
    painter.drawText(QRect(8, 0, image.width() - 16, 22), Qt::AlignVCenter | Qt::AlignRight,
                     utc_stamp(hour));
}

// The temperature colours from -30 to +30 C in the bottom left corner.
void draw_temperature_legend(QPainter& painter, const QImage& image) {
    const int lx = 10;
    const int ly = image.height() - 18;
    for (int i = 0; i < 120; ++i) {
        const QRgb c = temperature_colour(-30 + i * 0.5);
        painter.fillRect(QRect(lx + i * 2, ly, 2, 10), QColor(c));
    }
    painter.setFont(picture_font(10));
    painter.drawText(QPointF(lx + 246, ly + 9), QStringLiteral("-30 .. +30 C"));
}

QImage satellite_with_frame(SatelliteView view, const QDateTime& hour) {
    const WeatherField weather(hours_of(hour));
    const SatelliteLayout layout = satellite_layout(view);
    const MapFrame& frame = layout.frame;
    QImage image = satellite_map(frame, view, weather, hours_of(hour));

    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    if (view == SatelliteView::UsInfraredRadar)
        paint_echoes(image, us_base(100, frame, style_for(RadarLook::Purdue)).state, frame,
                     weather);
    if (view == SatelliteView::UsInfrared || view == SatelliteView::UsInfraredRadar)
        draw_state_borders(image, frame);
    painter.setPen(QPen(layout.coast, 1));
    painter.setBrush(Qt::NoBrush);
    for (const auto& outline : land_outlines())
        painter.drawPath(frame.path(outline));
    if (view == SatelliteView::EuropeMeteo || view == SatelliteView::GlobalTemperature)
        draw_graticule(painter, frame);
    draw_title_bar(painter, image, layout.title, hour);
    if (view == SatelliteView::GlobalTemperature)
        draw_temperature_legend(painter, image);
    return image;
}

// ---- Storm watch ----

QImage storm_watch_picture(const QDateTime& when, const QDateTime& hour) {
    const int width = 640;
    const int height = 480;
    const int title_h = 26;
    const MapFrame frame = us_frame(width, height - title_h - 30);
    const BaseStyle style{qRgb(20, 40, 90), qRgb(90, 90, 80), qRgb(205, 200, 170),
                          qRgb(120, 110, 90), qRgb(40, 50, 80)};
    const UsBase& base = us_base(200, frame, style);
    QImage map = base.image.copy();
    const WeatherField weather(hours_of(when));
    paint_echoes(map, base.state, frame, weather);

    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor(20, 20, 20));
    QPainter painter(&image);
    painter.drawImage(0, title_h, map);
    painter.setRenderHint(QPainter::Antialiasing);

    // Watch boxes where the strongest echoes of the hour are, the same in every frame.
    const WeatherField hour_weather(hours_of(hour));
    const std::uint64_t seed =
        stable_key_hash(QStringLiteral("stormwatch")) ^ static_cast<std::uint64_t>(hours_of(hour));
    int boxes = 0;
    for (int i = 0; i < 400 && boxes < 4; ++i) {
        const GeoPoint g{27 + unit_random(seed, 1, i) * 20, -105 + unit_random(seed, 2, i) * 30};
        if (hour_weather.echo(g) < 0.45)
            continue;
        const bool tornado = unit_random(seed, 3, i) < 0.4;
        const QColor colour = tornado ? QColor(230, 0, 0) : QColor(255, 200, 0);
        QPainterPath box;
        box.moveTo(frame.to_pixel({g.lat + 1.5, g.lon - 2.0}));
        box.lineTo(frame.to_pixel({g.lat + 1.8, g.lon + 2.2}));
        box.lineTo(frame.to_pixel({g.lat - 1.4, g.lon + 2.5}));
        box.lineTo(frame.to_pixel({g.lat - 1.7, g.lon - 1.7}));
        box.closeSubpath();
        box.translate(0, title_h);
        painter.setPen(QPen(colour, 2.5));
        painter.setBrush(QColor(colour.red(), colour.green(), colour.blue(), 45));
        painter.drawPath(box);
        painter.setFont(picture_font(11, true));
        painter.drawText(box.boundingRect().topLeft() + QPointF(3, -3),
                         QStringLiteral("%1 #%2")
                             .arg(tornado ? QStringLiteral("TOR") : QStringLiteral("SVR"))
                             .arg(100 + (seed >> (boxes * 8) & 0x3ff) % 800));
        ++boxes;
    }
    // Storm cells: triangles on the heaviest echoes.
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(QColor(255, 255, 255));
    for (int y = 0; y < map.height(); y += 14)
        for (int x = 0; x < width; x += 14) {
            if (base.state[static_cast<std::size_t>(y * width + x)] < 0)
                continue;
            if (weather.echo(frame.to_geo(QPointF(x, y))) < 0.8)
                continue;
            const QPointF c(x, y + title_h);
            painter.drawPolygon(
                QPolygonF({c + QPointF(0, -5), c + QPointF(5, 4), c + QPointF(-5, 4)}));
        }

    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(QRect(0, 0, width, title_h), QColor(110, 0, 0));
    painter.setPen(Qt::white);
    painter.setFont(picture_font(15, true));
    painter.drawText(QRect(8, 0, width - 16, title_h), Qt::AlignVCenter | Qt::AlignLeft,
                     QStringLiteral("U.S. StormWatch"));
    painter.setFont(picture_font(12));
    painter.drawText(QRect(8, 0, width - 16, title_h), Qt::AlignVCenter | Qt::AlignRight,
                     utc_stamp(when));
    const int ly = height - 26;
    painter.fillRect(QRect(8, ly + 4, 14, 10), QColor(230, 0, 0));
    painter.drawText(QPointF(26, ly + 14), QStringLiteral("Tornado Watch"));
    painter.fillRect(QRect(130, ly + 4, 14, 10), QColor(255, 200, 0));
    painter.drawText(QPointF(148, ly + 14), QStringLiteral("Severe T-Storm Watch"));
    painter.setBrush(Qt::white);
    painter.drawPolygon(
        QPolygonF({QPointF(306, ly + 4), QPointF(311, ly + 14), QPointF(301, ly + 14)}));
    painter.drawText(QPointF(318, ly + 14), QStringLiteral("Storm cell"));
    return image;
}

} // namespace

QList<QImage> radar_pictures(RadarLook look, const QDateTime& hour, int frames) {
    QList<QImage> out;
    for (int i = frames - 1; i >= 0; --i)
        out.append(radar_picture(look, hour.addSecs(-1200LL * i)));
    return out;
}

QImage radar_unavailable_picture(const QDateTime& hour) {
    QImage image(320, 60, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    painter.setPen(QColor(220, 220, 220));
    painter.setFont(picture_font(13, true));
    painter.drawText(QRect(0, 6, 320, 24), Qt::AlignCenter,
                     QStringLiteral("Radar composite not available"));
    painter.setFont(picture_font(11));
    painter.drawText(QRect(0, 30, 320, 22), Qt::AlignCenter,
                     QStringLiteral("Last attempt ") + utc_stamp(hour));
    return image;
}

QImage satellite_picture(SatelliteView view, const QDateTime& hour) {
    return satellite_with_frame(view, hour);
}

QList<QImage> storm_watch_pictures(const QDateTime& hour, int frames) {
    QList<QImage> out;
    for (int i = frames - 1; i >= 0; --i)
        out.append(storm_watch_picture(hour.addSecs(-1200LL * i), hour));
    return out;
}
