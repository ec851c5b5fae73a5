#include "pictures/camera_scenes.h"

#include "pictures/picture_tools.h"
#include "sample/sample_weather.h"
#include "sample/sky_events.h"

#include <QLocale>
#include <QPainter>
#include <QPainterPath>
#include <QTimeZone>
#include <cmath>

namespace {

enum Salt : std::uint64_t { salt_skyline = 0x100, salt_stars, salt_ridge, salt_drops };

struct Sky {
    QRgb top;
    QRgb horizon;
    double light; // 0 night to 1 full day
};

Sky sky_for(double sun_altitude) {
    if (sun_altitude > 8)
        return {qRgb(60, 120, 210), qRgb(170, 205, 235), 1.0};
    if (sun_altitude > -2) {
        const double t = (sun_altitude + 2) / 10;
        return {mixed_rgb(qRgb(40, 50, 110), qRgb(60, 120, 210), t),
                mixed_rgb(qRgb(250, 140, 60), qRgb(170, 205, 235), t), 0.55 + 0.45 * t};
    }
    if (sun_altitude > -12) {
        const double t = (sun_altitude + 12) / 10;
        return {mixed_rgb(qRgb(8, 10, 30), qRgb(40, 50, 110), t),
                mixed_rgb(qRgb(30, 30, 60), qRgb(250, 140, 60), t), 0.15 + 0.4 * t};
    }
    return {qRgb(8, 10, 30), qRgb(25, 28, 55), 0.12};
}

struct WeatherLook {
    double clouds = 0.0; // share of the sky
    bool rain = false;
    bool snow = false;
    bool fog = false;
    bool storm = false;
};

WeatherLook look_of(const SampleWeather& w) {
    WeatherLook look;
    const QString& sky = w.sky;
    if (sky.contains(u"Overcast") || (sky.contains(u"Cloudy") && !sky.contains(u"Partly")))
        look.clouds = sky.contains(u"Mostly") ? 0.7 : 0.95;
    else if (sky.contains(u"Partly") || sky.contains(u"Scattered"))
        look.clouds = 0.4;
    else if (sky.contains(u"Mostly"))
        look.clouds = 0.15;
    look.rain = sky.contains(u"Rain") || sky.contains(u"Drizzle") || sky.contains(u"Shower");
    look.storm = sky.contains(u"Thunder");
    look.snow = sky.contains(u"Snow");
    look.fog = sky.contains(u"Fog") || sky.contains(u"Mist") || sky.contains(u"Haze");
    if (look.rain || look.snow || look.storm)
        look.clouds = 1.0;
    if (look.fog)
        look.clouds = std::max(look.clouds, 0.6);
    return look;
}

QRgb darker(QRgb c, double light) {
    return qRgb(static_cast<int>(qRed(c) * light), static_cast<int>(qGreen(c) * light),
                static_cast<int>(qBlue(c) * light));
}

// What a camera sees at an hour, laid out for the picture's size: everything is placed for
// 640 x 480 and scaled by sx, sy.
struct CameraView {
    const CameraSite& camera;
    long long unix_ms;
    double sun; // the sun's altitude in degrees
    SampleWeather weather;
    WeatherLook look;
    Sky sky;
    double light; // the sky's light dimmed by the clouds
    std::uint64_t seed;
    int w;
    int h;
    double sx;
    double sy;
    int horizon;
    NoiseField terrain; // the skyline of hills and peaks, the same every hour
};

CameraView camera_view(const CameraSite& camera, const QDateTime& hour, QSize size) {
    const long long unix_ms = hour.toMSecsSinceEpoch();
    const double jd = julian_day_from_unix_ms(unix_ms);
    const SampleWeather weather = sample_weather(camera.place, unix_ms / 3'600'000LL, unix_ms);
    const WeatherLook look = look_of(weather);
    const double sun = sun_altitude(jd, camera.place.latitude, camera.place.longitude);
    const Sky sky = sky_for(sun);
    const std::uint64_t seed = stable_key_hash(camera.place.seed_key);
    return {camera,
            unix_ms,
            sun,
            weather,
            look,
            sky,
            sky.light * (1.0 - 0.35 * look.clouds),
            seed,
            size.width(),
            size.height(),
            size.width() / 640.0,
            size.height() / 480.0,
            static_cast<int>(size.height() * 0.62),
            NoiseField(seed)};
}

bool scene_is(const CameraView& v, std::initializer_list<SceneKind> kinds) {
    return std::find(kinds.begin(), kinds.end(), v.camera.scene) != kinds.end();
}

// The sky: a gradient from the top to the horizon, greyed by the clouds.
void draw_sky(QImage& image, const CameraView& v) {
    const QRgb grey = darker(qRgb(165, 168, 175), std::max(0.15, v.sky.light));
    for (int y = 0; y < v.horizon; ++y) {
        const QRgb base = mixed_rgb(v.sky.top, v.sky.horizon, static_cast<double>(y) / v.horizon);
        const QRgb c = mixed_rgb(base, grey, v.look.clouds * 0.85);
        std::fill_n(reinterpret_cast<QRgb*>(image.scanLine(y)), v.w, c);
    }
}

// Clouds: a noise field over the sky, thicker with more cloud cover; stars in a clear night.
void draw_clouds_or_stars(QImage& image, const CameraView& v) {
    const NoiseField cloud_field(v.seed ^ static_cast<std::uint64_t>(v.unix_ms / 3'600'000LL));
    if (v.look.clouds > 0.05) {
        const QRgb cloud_colour = darker(qRgb(240, 240, 245), std::max(0.2, v.light));
        for (int y = 0; y < v.horizon; ++y) {
            auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < v.w; ++x) {
                const double n = cloud_field.at(x / (160.0 * v.sx), y / (70.0 * v.sy), 4);
                const double c =
                    smoothstep(0.62 - v.look.clouds * 0.3, 0.75 - v.look.clouds * 0.2, n);
                if (c > 0)
                    row[x] = mixed_rgb(row[x], cloud_colour, c * 0.9);
            }
        }
    } else if (v.sky.light < 0.2) {
        for (int i = 0; i < 120; ++i) {
            const int x = static_cast<int>(unit_random(v.seed, salt_stars, i) * v.w);
            const int y = static_cast<int>(unit_random(v.seed, salt_stars, i + 1000) * v.horizon);
            image.setPixel(x, y, qRgb(230, 230, 210));
        }
    }
}

// The sun when it is up and the sky open enough.
void draw_sun(QPainter& painter, const CameraView& v) {
    if (v.look.clouds >= 0.8 || v.sun <= 0)
        return;
    const double x = v.w * (0.2 + 0.6 * unit_random(v.seed, salt_ridge, 7));
    const double y = v.horizon - (v.horizon - 40 * v.sy) * std::min(1.0, v.sun / 60.0);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 245, 200));
    painter.drawEllipse(QPointF(x, y), 18 * v.sx, 18 * v.sx);
}

// A line of hills or peaks from the camera's terrain, filled down to the bottom edge.
QPainterPath ridge(const CameraView& v, double base_y, double height, double roughness,
                   std::uint64_t salt) {
    QPainterPath path;
    path.moveTo(0, v.h);
    for (int x = 0; x <= v.w; x += 3) {
        const double u = x / (roughness * v.sx) + static_cast<double>(salt) * 31.0;
        const double smooth = v.terrain.at(u, static_cast<double>(salt) * 7.0, 3);
        const double sharp =
            1.0 -
            std::abs(2.0 * v.terrain.at(u * 3.1, static_cast<double>(salt) * 7.0 + 50, 2) - 1.0);
        const double n = (0.7 * smooth + 0.3 * sharp) * 1.6 - 0.4;
        path.lineTo(x, base_y - height * n);
    }
    path.lineTo(v.w, v.h);
    path.closeSubpath();
    return path;
}

// The far ridge behind open land, high and snow-capped in the mountains.
void draw_far_ridge(QPainter& painter, const CameraView& v) {
    painter.setPen(Qt::NoPen);
    if (!scene_is(v, {SceneKind::Mountains, SceneKind::Lake, SceneKind::Desert, SceneKind::Sea,
                      SceneKind::City}))
        return;
    const bool mountains = v.camera.scene == SceneKind::Mountains;
    const QRgb far_colour = darker(
        v.camera.scene == SceneKind::Desert ? qRgb(170, 120, 90) : qRgb(90, 110, 130), v.light);
    const double height = mountains ? 250 * v.sy : 90 * v.sy;
    const QPainterPath far = ridge(v, v.horizon + 10 * v.sy, height, 200, 1);
    painter.setBrush(QColor(far_colour));
    painter.drawPath(far);
    if (!mountains)
        return;
    // Snow on the upper slopes: a band along the crest, above the snow line.
    QPainterPath cap = far.subtracted(far.translated(0, 28 * v.sy));
    QPainterPath above;
    above.addRect(QRectF(0, 0, v.w, v.horizon - height * 0.45));
    painter.setBrush(QColor(darker(qRgb(245, 245, 250), std::max(0.3, v.light))));
    painter.drawPath(cap.intersected(above));
    painter.setBrush(QColor(darker(qRgb(55, 80, 65), v.light)));
    painter.drawPath(ridge(v, v.horizon + 12 * v.sy, height * 0.35, 110, 2));
}

// Grass, sand, or snow when it snows or the mountains are white (winter, or below 40 F).
QRgb ground_colour(const CameraView& v) {
    const QDate local_date = QDateTime::fromMSecsSinceEpoch(v.unix_ms, QTimeZone::utc()).date();
    const bool winter =
        v.camera.place.latitude > 30 && (local_date.month() >= 11 || local_date.month() <= 4);
    if (v.look.snow ||
        (v.camera.scene == SceneKind::Mountains && (winter || v.weather.temperature_f < 40)))
        return qRgb(235, 235, 240);
    return v.camera.scene == SceneKind::Desert ? qRgb(190, 150, 100) : qRgb(70, 110, 55);
}

// Ground, or water with a shore in the foreground, from the horizon to the bottom.
void draw_ground(QPainter& painter, const CameraView& v) {
    const QRgb ground = ground_colour(v);
    const QRectF below(0, v.horizon, v.w, v.h - v.horizon);
    if (!scene_is(v, {SceneKind::Lake, SceneKind::Sea, SceneKind::Falls, SceneKind::LaunchPad})) {
        painter.fillRect(below, QColor(darker(ground, v.light)));
        return;
    }
    const QRgb sea = darker(mixed_rgb(v.sky.horizon, qRgb(20, 60, 100), 0.6), v.light);
    painter.fillRect(below, QColor(sea));
    painter.setPen(QPen(QColor(darker(qRgb(200, 220, 240), v.light)), 1));
    for (int i = 0; i < 40; ++i) {
        const double y = v.horizon + (v.h - v.horizon) * unit_random(v.seed, salt_drops, i);
        const double x = v.w * unit_random(v.seed, salt_drops, i + 100);
        painter.drawLine(QPointF(x, y), QPointF(x + 20 * v.sx, y));
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(darker(ground, v.light)));
    painter.drawPath(ridge(v, v.h - 20 * v.sy, 40 * v.sy, 300, 3));
}

// Buildings between left and right up to tallest (in 640 x 480 units), lit windows at night.
void draw_skyline(QPainter& painter, const CameraView& v, double left, double right,
                  double tallest) {
    const QColor building(darker(qRgb(70, 72, 80), v.light));
    const QColor window_light(255, 220, 120);
    for (int i = 0; i < 24; ++i) {
        const double bw = (18 + 30 * unit_random(v.seed, salt_skyline, i)) * v.sx;
        const double x = left + (right - left) * unit_random(v.seed, salt_skyline, i + 50);
        const double bh = (30 + tallest * unit_random(v.seed, salt_skyline, i + 100)) * v.sy;
        const QRectF r(x, v.horizon - bh, bw, bh + 4 * v.sy);
        painter.fillRect(r, building);
        if (v.sky.light >= 0.5)
            continue;
        for (double wy = r.top() + 6 * v.sy; wy < v.horizon - 4 * v.sy; wy += 10 * v.sy)
            for (double wx = r.left() + 4 * v.sx; wx < r.right() - 4 * v.sx; wx += 8 * v.sx)
                if (unit_random(v.seed, static_cast<std::uint64_t>(wx * 7 + wy), i) < 0.4)
                    painter.fillRect(QRectF(wx, wy, 3 * v.sx, 4 * v.sy), window_light);
    }
}

// Cacti in front of the desert town.
void draw_cacti(QPainter& painter, const CameraView& v) {
    painter.setBrush(QColor(darker(qRgb(50, 110, 60), v.light)));
    painter.drawRect(QRectF(90 * v.sx, v.horizon - 70 * v.sy, 12 * v.sx, 90 * v.sy));
    painter.drawRect(QRectF(70 * v.sx, v.horizon - 50 * v.sy, 10 * v.sx, 30 * v.sy));
    painter.drawRect(QRectF(102 * v.sx, v.horizon - 40 * v.sy, 10 * v.sx, 25 * v.sy));
}

// The steel arch beside the city.
void draw_arch(QPainter& painter, const CameraView& v) {
    QPainterPath arch;
    arch.moveTo(120 * v.sx, v.horizon);
    arch.cubicTo(150 * v.sx, v.horizon - 340 * v.sy, 300 * v.sx, v.horizon - 340 * v.sy, 330 * v.sx,
                 v.horizon);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(darker(qRgb(200, 205, 215), std::max(0.35, v.light))), 9 * v.sx));
    painter.drawPath(arch);
    painter.setPen(Qt::NoPen);
}

// The launch tower, the rocket beside it and the pad.
void draw_launch_pad(QPainter& painter, const CameraView& v) {
    const QColor steel(darker(qRgb(150, 60, 40), v.light));
    painter.fillRect(QRectF(300 * v.sx, v.horizon - 190 * v.sy, 26 * v.sx, 200 * v.sy), steel);
    painter.fillRect(QRectF(335 * v.sx, v.horizon - 150 * v.sy, 14 * v.sx, 160 * v.sy),
                     QColor(darker(qRgb(235, 235, 235), v.light)));
    painter.fillRect(QRectF(260 * v.sx, v.horizon + 4 * v.sy, 120 * v.sx, 10 * v.sy),
                     QColor(darker(qRgb(120, 120, 120), v.light)));
}

// The cliff edge and the white water going over it.
void draw_falls(QPainter& painter, const CameraView& v) {
    painter.fillRect(QRectF(0, v.horizon - 40 * v.sy, v.w, 40 * v.sy),
                     QColor(darker(qRgb(90, 90, 80), v.light)));
    painter.fillRect(QRectF(120 * v.sx, v.horizon - 40 * v.sy, 360 * v.sx, 50 * v.sy),
                     QColor(darker(qRgb(230, 240, 245), v.light)));
}

// A few dark conifers in the foreground.
void draw_conifers(QPainter& painter, const CameraView& v) {
    painter.setBrush(QColor(darker(qRgb(30, 70, 40), v.light)));
    for (int i = 0; i < 9; ++i) {
        const double x = v.w * unit_random(v.seed, salt_ridge, i);
        const double th = (50 + 70 * unit_random(v.seed, salt_ridge, i + 20)) * v.sy;
        const double base = v.h - (i % 4) * 10 * v.sy;
        painter.drawPolygon(QPolygonF(
            {QPointF(x, base - th), QPointF(x + 18 * v.sx, base), QPointF(x - 18 * v.sx, base)}));
    }
}

// The scene's own landmark.
void draw_landmark(QPainter& painter, const CameraView& v) {
    const double sx = v.sx;
    switch (v.camera.scene) {
    case SceneKind::City:
        draw_skyline(painter, v, 40 * sx, 600 * sx, 170);
        break;
    case SceneKind::Campus:
        draw_skyline(painter, v, 100 * sx, 540 * sx, 60);
        painter.fillRect(QRectF(300 * sx, v.horizon - 150 * v.sy, 40 * sx, 150 * v.sy),
                         QColor(darker(qRgb(70, 72, 80), v.light)));
        break;
    case SceneKind::Desert:
        draw_skyline(painter, v, 250 * sx, 560 * sx, 110);
        draw_cacti(painter, v);
        break;
    case SceneKind::Arch:
        draw_skyline(painter, v, 380 * sx, 630 * sx, 120);
        draw_arch(painter, v);
        break;
    case SceneKind::LaunchPad:
        draw_launch_pad(painter, v);
        break;
    case SceneKind::Falls:
        draw_falls(painter, v);
        draw_skyline(painter, v, 460 * sx, 630 * sx, 200);
        break;
    case SceneKind::Mountains:
    case SceneKind::Lake:
    case SceneKind::Sea:
        draw_conifers(painter, v);
        break;
    }
}

// Rain, lightning, snow and fog in front of everything.
void draw_weather(QPainter& painter, const CameraView& v) {
    const WeatherLook& look = v.look;
    if (look.rain || look.storm) {
        painter.setPen(QPen(QColor(200, 210, 230, 140), 1.2 * v.sx));
        for (int i = 0; i < 450; ++i) {
            const double x = v.w * unit_random(v.seed, salt_drops, i + 2000);
            const double y = v.h * unit_random(v.seed, salt_drops, i + 4000);
            painter.drawLine(QPointF(x, y), QPointF(x - 4 * v.sx, y + 14 * v.sy));
        }
    }
    if (look.storm) {
        painter.setPen(QPen(QColor(255, 255, 220), 3 * v.sx));
        const double x = v.w * (0.3 + 0.4 * unit_random(v.seed, salt_drops, 9));
        painter.drawPolyline(QPolygonF({QPointF(x, 40 * v.sy), QPointF(x - 20 * v.sx, 120 * v.sy),
                                        QPointF(x + 5 * v.sx, 130 * v.sy),
                                        QPointF(x - 15 * v.sx, v.horizon - 60 * v.sy)}));
    }
    if (look.snow) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(250, 250, 255, 220));
        for (int i = 0; i < 500; ++i)
            painter.drawEllipse(QPointF(v.w * unit_random(v.seed, salt_drops, i + 6000),
                                        v.h * unit_random(v.seed, salt_drops, i + 7000)),
                                2 * v.sx, 2 * v.sx);
    }
    if (look.fog)
        painter.fillRect(QRect(0, 0, v.w, v.h), QColor(200, 200, 205, 150));
}

// The bar along the bottom: the camera's name, the local time and the temperature.
void draw_caption(QPainter& painter, const CameraView& v) {
    const LocalClock clock = local_clock(v.camera.place.zone, v.unix_ms);
    const QDateTime local = QDateTime::fromMSecsSinceEpoch(clock.local_ms, QTimeZone::utc());
    const QString stamp = QLocale::c().toString(local, QStringLiteral("ddd MMM d yyyy  h:mm AP")) +
                          QLatin1Char(' ') + clock.zone_name;
    const int bar = static_cast<int>(26 * v.sy);
    const QRect caption(8, v.h - bar, v.w - 16, bar);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(QRect(0, v.h - bar, v.w, bar), QColor(0, 0, 0, 160));
    painter.setPen(Qt::white);
    painter.setFont(picture_font(static_cast<int>(14 * v.sy), true));
    painter.drawText(caption, Qt::AlignVCenter | Qt::AlignLeft, v.camera.name);
    painter.setFont(picture_font(static_cast<int>(13 * v.sy)));
    painter.drawText(caption, Qt::AlignVCenter | Qt::AlignRight,
                     stamp + QStringLiteral("   %1 F").arg(v.weather.temperature_f));
}

} // namespace

QImage camera_picture(const CameraSite& camera, const QDateTime& hour, QSize size) {
    const CameraView view = camera_view(camera, hour, size);
    QImage image(view.w, view.h, QImage::Format_RGB32);
    draw_sky(image, view);
    draw_clouds_or_stars(image, view);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    draw_sun(painter, view);
    draw_far_ridge(painter, view);
    draw_ground(painter, view);
    draw_landmark(painter, view);
    draw_weather(painter, view);
    draw_caption(painter, view);
    return image;
}

long long population_at(bool world, const QDateTime& moment) {
    // The census bureau's figures for 1 January 2025 and its clock's net gain: one person
    // every 21.2 seconds in the US; about 71 million a year in the world.
    const QDateTime base(QDate(2025, 1, 1), QTime(0, 0), QTimeZone::utc());
    const double seconds = static_cast<double>(base.secsTo(moment));
    if (world)
        return 8'092'034'511LL + static_cast<long long>(std::floor(seconds * 2.25));
    return 341'145'670LL + static_cast<long long>(std::floor(seconds / 21.2));
}

QImage population_picture(bool world, const QDateTime& hour) {
    const int w = 420;
    const int h = 120;
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setPen(QColor(0, 40, 110));
    painter.setFont(picture_font(16, true));
    painter.drawText(QRect(0, 6, w, 22), Qt::AlignHCenter,
                     world ? QStringLiteral("World Population")
                           : QStringLiteral("U.S. Population"));
    painter.setPen(Qt::black);
    painter.setFont(picture_font(34, true));
    painter.drawText(
        QRect(0, 30, w, 46), Qt::AlignHCenter,
        QLocale(QLocale::English, QLocale::UnitedStates).toString(population_at(world, hour)));
    painter.setPen(QColor(90, 90, 90));
    painter.setFont(picture_font(12));
    painter.drawText(QRect(0, 82, w, 18), Qt::AlignHCenter,
                     QStringLiteral("Population clock, ") +
                         QLocale::c().toString(hour.toUTC(), QStringLiteral("MMM d, yyyy hh:mm")) +
                         QStringLiteral(" UTC"));
    painter.setPen(QColor(0, 40, 110));
    painter.drawLine(20, 104, w - 20, 104);
    return image;
}
