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

} // namespace

QImage camera_picture(const CameraSite& camera, const QDateTime& hour, QSize size) {
    const int w = size.width();
    const int h = size.height();
    const long long unix_ms = hour.toMSecsSinceEpoch();
    const double jd = julian_day_from_unix_ms(unix_ms);
    const double sun = sun_altitude(jd, camera.place.latitude, camera.place.longitude);
    const SampleWeather weather = sample_weather(camera.place, unix_ms / 3'600'000LL, unix_ms);
    const WeatherLook look = look_of(weather);
    const Sky sky = sky_for(sun);
    const double light = sky.light * (1.0 - 0.35 * look.clouds);
    const std::uint64_t seed = stable_key_hash(camera.place.seed_key);
    const double sx = w / 640.0; // everything is laid out for 640 x 480
    const double sy = h / 480.0;
    const int horizon = static_cast<int>(h * 0.62);

    QImage image(w, h, QImage::Format_RGB32);
    // The sky: a gradient, greyed by the clouds.
    const QRgb grey = darker(qRgb(165, 168, 175), std::max(0.15, sky.light));
    for (int y = 0; y < horizon; ++y) {
        const QRgb base = mixed_rgb(sky.top, sky.horizon, static_cast<double>(y) / horizon);
        const QRgb c = mixed_rgb(base, grey, look.clouds * 0.85);
        std::fill_n(reinterpret_cast<QRgb*>(image.scanLine(y)), w, c);
    }
    // Clouds: a noise field over the sky, thicker with more cloud cover.
    const NoiseField cloud_field(seed ^ static_cast<std::uint64_t>(unix_ms / 3'600'000LL));
    if (look.clouds > 0.05) {
        const QRgb cloud_colour = darker(qRgb(240, 240, 245), std::max(0.2, light));
        for (int y = 0; y < horizon; ++y) {
            auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < w; ++x) {
                const double n = cloud_field.at(x / (160.0 * sx), y / (70.0 * sy), 4);
                const double c = smoothstep(0.62 - look.clouds * 0.3, 0.75 - look.clouds * 0.2, n);
                if (c > 0)
                    row[x] = mixed_rgb(row[x], cloud_colour, c * 0.9);
            }
        }
    } else if (sky.light < 0.2) {
        for (int i = 0; i < 120; ++i) {
            const int x = static_cast<int>(unit_random(seed, salt_stars, i) * w);
            const int y = static_cast<int>(unit_random(seed, salt_stars, i + 1000) * horizon);
            image.setPixel(x, y, qRgb(230, 230, 210));
        }
    }

    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    // The sun or the moon when the sky is open enough.
    if (look.clouds < 0.8 && sun > 0) {
        const double x = w * (0.2 + 0.6 * unit_random(seed, salt_ridge, 7));
        const double y = horizon - (horizon - 40 * sy) * std::min(1.0, sun / 60.0);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(255, 245, 200));
        painter.drawEllipse(QPointF(x, y), 18 * sx, 18 * sx);
    }

    // The land: far ridge, then the scene's own ground and landmark.
    const QRgb far_colour =
        darker(camera.scene == SceneKind::Desert ? qRgb(170, 120, 90) : qRgb(90, 110, 130), light);
    const bool snowy_peaks = camera.scene == SceneKind::Mountains;
    // The skyline of hills and peaks belongs to the camera, the same every hour.
    const NoiseField terrain(seed);
    const auto ridge = [&](double base_y, double height, double roughness, std::uint64_t salt) {
        QPainterPath path;
        path.moveTo(0, h);
        for (int x = 0; x <= w; x += 3) {
            const double u = x / (roughness * sx) + static_cast<double>(salt) * 31.0;
            const double smooth = terrain.at(u, static_cast<double>(salt) * 7.0, 3);
            const double sharp =
                1.0 -
                std::abs(2.0 * terrain.at(u * 3.1, static_cast<double>(salt) * 7.0 + 50, 2) - 1.0);
            const double n = (0.7 * smooth + 0.3 * sharp) * 1.6 - 0.4;
            path.lineTo(x, base_y - height * n);
        }
        path.lineTo(w, h);
        path.closeSubpath();
        return path;
    };
    painter.setPen(Qt::NoPen);
    if (camera.scene == SceneKind::Mountains || camera.scene == SceneKind::Lake ||
        camera.scene == SceneKind::Desert || camera.scene == SceneKind::Sea ||
        camera.scene == SceneKind::City) {
        const double height = camera.scene == SceneKind::Mountains ? 250 * sy : 90 * sy;
        const QPainterPath far = ridge(horizon + 10 * sy, height, 200, 1);
        painter.setBrush(QColor(far_colour));
        painter.drawPath(far);
        if (snowy_peaks) {
            // Snow on the upper slopes: a band along the crest, above the snow line.
            QPainterPath cap = far.subtracted(far.translated(0, 28 * sy));
            QPainterPath above;
            above.addRect(QRectF(0, 0, w, horizon - height * 0.45));
            painter.setBrush(QColor(darker(qRgb(245, 245, 250), std::max(0.3, light))));
            painter.drawPath(cap.intersected(above));
            painter.setBrush(QColor(darker(qRgb(55, 80, 65), light)));
            painter.drawPath(ridge(horizon + 12 * sy, height * 0.35, 110, 2));
        }
    }
    // Ground or water up to the bottom.
    QRgb ground = qRgb(70, 110, 55);
    if (camera.scene == SceneKind::Desert)
        ground = qRgb(190, 150, 100);
    const QDate local_date = QDateTime::fromMSecsSinceEpoch(unix_ms, QTimeZone::utc()).date();
    const bool winter =
        camera.place.latitude > 30 && (local_date.month() >= 11 || local_date.month() <= 4);
    if (look.snow || (snowy_peaks && (winter || weather.temperature_f < 40)))
        ground = qRgb(235, 235, 240);
    const bool water = camera.scene == SceneKind::Lake || camera.scene == SceneKind::Sea ||
                       camera.scene == SceneKind::Falls || camera.scene == SceneKind::LaunchPad;
    if (water) {
        const QRgb sea = darker(mixed_rgb(sky.horizon, qRgb(20, 60, 100), 0.6), light);
        painter.fillRect(QRectF(0, horizon, w, h - horizon), QColor(sea));
        painter.setPen(QPen(QColor(darker(qRgb(200, 220, 240), light)), 1));
        for (int i = 0; i < 40; ++i) {
            const double y = horizon + (h - horizon) * unit_random(seed, salt_drops, i);
            const double x = w * unit_random(seed, salt_drops, i + 100);
            painter.drawLine(QPointF(x, y), QPointF(x + 20 * sx, y));
        }
        painter.setPen(Qt::NoPen);
        // A shore in the foreground.
        painter.setBrush(QColor(darker(ground, light)));
        painter.drawPath(ridge(h - 20 * sy, 40 * sy, 300, 3));
    } else {
        painter.fillRect(QRectF(0, horizon, w, h - horizon), QColor(darker(ground, light)));
    }

    // Landmarks.
    const QColor building(darker(qRgb(70, 72, 80), light));
    const QColor window_light(255, 220, 120);
    const auto skyline = [&](double left, double right, double tallest) {
        for (int i = 0; i < 24; ++i) {
            const double bw = (18 + 30 * unit_random(seed, salt_skyline, i)) * sx;
            const double x = left + (right - left) * unit_random(seed, salt_skyline, i + 50);
            const double bh = (30 + tallest * unit_random(seed, salt_skyline, i + 100)) * sy;
            const QRectF r(x, horizon - bh, bw, bh + 4 * sy);
            painter.fillRect(r, building);
            if (sky.light < 0.5)
                for (double wy = r.top() + 6 * sy; wy < horizon - 4 * sy; wy += 10 * sy)
                    for (double wx = r.left() + 4 * sx; wx < r.right() - 4 * sx; wx += 8 * sx)
                        if (unit_random(seed, static_cast<std::uint64_t>(wx * 7 + wy), i) < 0.4)
                            painter.fillRect(QRectF(wx, wy, 3 * sx, 4 * sy), window_light);
        }
    };
    switch (camera.scene) {
    case SceneKind::City:
        skyline(40 * sx, 600 * sx, 170);
        break;
    case SceneKind::Campus:
        skyline(100 * sx, 540 * sx, 60);
        painter.fillRect(QRectF(300 * sx, horizon - 150 * sy, 40 * sx, 150 * sy), building);
        break;
    case SceneKind::Desert: {
        skyline(250 * sx, 560 * sx, 110);
        painter.setBrush(QColor(darker(qRgb(50, 110, 60), light)));
        painter.drawRect(QRectF(90 * sx, horizon - 70 * sy, 12 * sx, 90 * sy));
        painter.drawRect(QRectF(70 * sx, horizon - 50 * sy, 10 * sx, 30 * sy));
        painter.drawRect(QRectF(102 * sx, horizon - 40 * sy, 10 * sx, 25 * sy));
        break;
    }
    case SceneKind::Arch: {
        skyline(380 * sx, 630 * sx, 120);
        QPainterPath arch;
        arch.moveTo(120 * sx, horizon);
        arch.cubicTo(150 * sx, horizon - 340 * sy, 300 * sx, horizon - 340 * sy, 330 * sx, horizon);
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(QColor(darker(qRgb(200, 205, 215), std::max(0.35, light))), 9 * sx));
        painter.drawPath(arch);
        painter.setPen(Qt::NoPen);
        break;
    }
    case SceneKind::LaunchPad: {
        const QColor steel(darker(qRgb(150, 60, 40), light));
        painter.fillRect(QRectF(300 * sx, horizon - 190 * sy, 26 * sx, 200 * sy), steel);
        painter.fillRect(QRectF(335 * sx, horizon - 150 * sy, 14 * sx, 160 * sy),
                         QColor(darker(qRgb(235, 235, 235), light)));
        painter.fillRect(QRectF(260 * sx, horizon + 4 * sy, 120 * sx, 10 * sy),
                         QColor(darker(qRgb(120, 120, 120), light)));
        break;
    }
    case SceneKind::Falls: {
        painter.fillRect(QRectF(0, horizon - 40 * sy, w, 40 * sy),
                         QColor(darker(qRgb(90, 90, 80), light)));
        painter.fillRect(QRectF(120 * sx, horizon - 40 * sy, 360 * sx, 50 * sy),
                         QColor(darker(qRgb(230, 240, 245), light)));
        skyline(460 * sx, 630 * sx, 200);
        break;
    }
    case SceneKind::Mountains:
    case SceneKind::Lake:
    case SceneKind::Sea: {
        // A few dark conifers in the foreground.
        painter.setBrush(QColor(darker(qRgb(30, 70, 40), light)));
        for (int i = 0; i < 9; ++i) {
            const double x = w * unit_random(seed, salt_ridge, i);
            const double th = (50 + 70 * unit_random(seed, salt_ridge, i + 20)) * sy;
            const double base = h - (i % 4) * 10 * sy;
            painter.drawPolygon(QPolygonF(
                {QPointF(x, base - th), QPointF(x + 18 * sx, base), QPointF(x - 18 * sx, base)}));
        }
        break;
    }
    }

    // Weather in front of everything.
    if (look.rain || look.storm) {
        painter.setPen(QPen(QColor(200, 210, 230, 140), 1.2 * sx));
        for (int i = 0; i < 450; ++i) {
            const double x = w * unit_random(seed, salt_drops, i + 2000);
            const double y = h * unit_random(seed, salt_drops, i + 4000);
            painter.drawLine(QPointF(x, y), QPointF(x - 4 * sx, y + 14 * sy));
        }
    }
    if (look.storm) {
        painter.setPen(QPen(QColor(255, 255, 220), 3 * sx));
        const double x = w * (0.3 + 0.4 * unit_random(seed, salt_drops, 9));
        painter.drawPolyline(
            QPolygonF({QPointF(x, 40 * sy), QPointF(x - 20 * sx, 120 * sy),
                       QPointF(x + 5 * sx, 130 * sy), QPointF(x - 15 * sx, horizon - 60 * sy)}));
    }
    if (look.snow) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(250, 250, 255, 220));
        for (int i = 0; i < 500; ++i)
            painter.drawEllipse(QPointF(w * unit_random(seed, salt_drops, i + 6000),
                                        h * unit_random(seed, salt_drops, i + 7000)),
                                2 * sx, 2 * sx);
    }
    if (look.fog)
        painter.fillRect(QRect(0, 0, w, h), QColor(200, 200, 205, 150));

    // Caption: the camera's name and the local time.
    const LocalClock clock = local_clock(camera.place.zone, unix_ms);
    const QDateTime local = QDateTime::fromMSecsSinceEpoch(clock.local_ms, QTimeZone::utc());
    const QString stamp = QLocale::c().toString(local, QStringLiteral("ddd MMM d yyyy  h:mm AP")) +
                          QLatin1Char(' ') + clock.zone_name;
    const int bar = static_cast<int>(26 * sy);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(QRect(0, h - bar, w, bar), QColor(0, 0, 0, 160));
    painter.setPen(Qt::white);
    painter.setFont(picture_font(static_cast<int>(14 * sy), true));
    painter.drawText(QRect(8, h - bar, w - 16, bar), Qt::AlignVCenter | Qt::AlignLeft, camera.name);
    painter.setFont(picture_font(static_cast<int>(13 * sy)));
    painter.drawText(QRect(8, h - bar, w - 16, bar), Qt::AlignVCenter | Qt::AlignRight,
                     stamp + QStringLiteral("   %1 F").arg(weather.temperature_f));
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
