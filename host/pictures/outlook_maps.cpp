#include "pictures/weather_maps.h"

#include "pictures/map_geography.h"
#include "pictures/picture_tools.h"
#include "pictures/us_base_map.h"
#include "sample/seeded_random.h"

#include <QPainter>
#include <algorithm>
#include <array>

// The 10-day outlook maps and the seasonal outlook pages: categories over the land of a map.

namespace {

struct OutlookRegion {
    const char* name;
    double south, north, west, east;
    bool conic;
};

// The outlook host's map numbers 1 to 10.
// clang-format off
const std::array<OutlookRegion, 10> outlook_regions = {{
    {"Continental US", 24, 50, -125, -66, true},
    {"Canada & Alaska", 40, 75, -170, -50, true},
    {"Mexico & Caribbean", 5, 33, -120, -58, false},
    {"Europe", 34, 72, -12, 45, false},
    {"East Asia", 15, 55, 95, 150, false},
    {"South Asia", 0, 40, 60, 110, false},
    {"Australia", -45, -8, 110, 156, false},
    {"South America", -57, 14, -85, -32, false},
    {"MidEast", 10, 45, 25, 65, false},
    {"Africa", -36, 38, -20, 55, false},
}};
// clang-format on

// Five categories: much below, below, near, above and much above normal (temperature), or
// much drier to much wetter (precipitation).
const std::array<QRgb, 5> temperature_colours = {qRgb(40, 80, 200), qRgb(130, 180, 240),
                                                 qRgb(235, 235, 235), qRgb(250, 170, 110),
                                                 qRgb(210, 40, 30)};
const std::array<QRgb, 5> precipitation_colours = {qRgb(150, 90, 30), qRgb(220, 180, 110),
                                                   qRgb(235, 235, 235), qRgb(130, 210, 130),
                                                   qRgb(20, 130, 60)};

int category(double v) {
    return std::clamp(static_cast<int>((v - 0.2) / 0.12), 0, 4);
}

void paint_category_legend(QPainter& painter, QRect area, bool precipitation) {
    static const std::array<const char*, 5> temp_labels = {"Much Below", "Below", "Near Normal",
                                                           "Above", "Much Above"};
    static const std::array<const char*, 5> prec_labels = {"Much Drier", "Drier", "Near Normal",
                                                           "Wetter", "Much Wetter"};
    const int cell = area.width() / 5;
    painter.setFont(picture_font(11));
    for (int i = 0; i < 5; ++i) {
        const QRect r(area.left() + i * cell, area.top(), cell, area.height() / 2);
        painter.fillRect(r, QColor(precipitation ? precipitation_colours[std::size_t(i)]
                                                 : temperature_colours[std::size_t(i)]));
        painter.setPen(Qt::black);
        painter.drawRect(r.adjusted(0, 0, -1, -1));
        painter.drawText(QRect(r.left(), r.bottom() + 2, cell, area.height() / 2),
                         Qt::AlignHCenter | Qt::AlignTop,
                         QString::fromLatin1(precipitation ? prec_labels[std::size_t(i)]
                                                           : temp_labels[std::size_t(i)]));
    }
}

// A field of categories over the land of a map.
QImage category_map(const MapFrame& frame, bool precipitation, std::uint64_t seed,
                    bool state_borders) {
    QImage land(frame.width(), frame.height(), QImage::Format_RGB32);
    land.fill(Qt::black);
    {
        QPainter painter(&land);
        paint_land(painter, frame, qRgb(255, 255, 255), qRgb(0, 0, 0));
    }
    const NoiseField field(seed);
    QImage image(frame.width(), frame.height(), QImage::Format_RGB32);
    const auto& colours = precipitation ? precipitation_colours : temperature_colours;
    // US maps colour the states only; their neighbours stay grey.
    const UsBase* us =
        state_borders ? &us_base(300, frame, style_for(RadarLook::TexasAM)) : nullptr;
    for (int y = 0; y < image.height(); ++y) {
        const auto* mask = reinterpret_cast<const QRgb*>(land.constScanLine(y));
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (qRed(mask[x]) < 128) {
                row[x] = qRgb(200, 220, 240);
                continue;
            }
            if (us && us->state[static_cast<std::size_t>(y * image.width() + x)] < 0) {
                row[x] = qRgb(215, 215, 215);
                continue;
            }
            const GeoPoint g = frame.to_geo(QPointF(x + 0.5, y + 0.5));
            const double v = field.at(g.lon / 14.0, g.lat / 14.0, 3);
            row[x] = colours[static_cast<std::size_t>(category(v))];
        }
    }
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    if (us) {
        const QRgb border = style_for(RadarLook::TexasAM).border;
        for (int y = 0; y < image.height(); ++y) {
            const auto* b = reinterpret_cast<const QRgb*>(us->image.constScanLine(y));
            auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x)
                if (b[x] == border)
                    row[x] = qRgb(110, 110, 110);
        }
    }
    painter.setPen(QPen(QColor(40, 40, 40), 1));
    painter.setBrush(Qt::NoBrush);
    for (const auto& outline : land_outlines())
        painter.drawPath(frame.path(outline));
    for (const auto& outline : inland_water_outlines())
        painter.drawPath(frame.path(outline));
    return image;
}

std::uint64_t outlook_seed(const QString& what, const QDateTime& hour) {
    return mix64(stable_key_hash(what) ^ static_cast<std::uint64_t>(hour.toSecsSinceEpoch()));
}

// ---- Seasonal pages ----

QString season_letters(int first_month) {
    static const char letters[] = "JFMAMJJASOND";
    QString out;
    for (int i = 0; i < 3; ++i)
        out += QLatin1Char(letters[(first_month - 1 + i) % 12]);
    return out;
}

void paint_season_panel(QPainter& painter, QRect area, const QString& caption,
                        const QString& months, bool precipitation, std::uint64_t seed) {
    painter.fillRect(area, Qt::white);
    painter.setPen(QColor(60, 60, 60));
    painter.drawRect(area.adjusted(0, 0, -1, -1));
    int top = area.top() + 4;
    painter.setPen(Qt::black);
    painter.setFont(picture_font(11, true));
    painter.drawText(QRect(area.left(), top, area.width(), 14), Qt::AlignHCenter, caption);
    top += 16;
    if (!months.isEmpty()) {
        // The season's months: their letters above a purple bar.
        painter.setFont(picture_font(14, true));
        const int bar_w = area.width() * 2 / 3;
        const int bar_x = area.left() + (area.width() - bar_w) / 2;
        for (int i = 0; i < months.size(); ++i)
            painter.drawText(QRect(bar_x + i * bar_w / 3, top, bar_w / 3, 16), Qt::AlignHCenter,
                             months.mid(i, 1));
        painter.fillRect(QRect(bar_x, top + 18, bar_w, 6), QColor(110, 40, 150));
        top += 28;
    }
    const QRect map_area(area.left() + 4, top, area.width() - 8, area.bottom() - top - 4);
    const MapFrame frame(MapFrame::Projection::Conic, 24.5, 49.5, -124.5, -67.0, map_area.width(),
                         map_area.height());
    const QImage map = category_map(frame, precipitation, seed, true);
    // The land only, on white paper.
    QImage paper = map;
    for (int y = 0; y < paper.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(paper.scanLine(y));
        for (int x = 0; x < paper.width(); ++x)
            if (row[x] == qRgb(200, 220, 240) || row[x] == qRgb(215, 215, 215))
                row[x] = qRgb(255, 255, 255);
    }
    painter.drawImage(map_area.topLeft(), paper);
}

// A seasonal page's paper with its title at the top.
QImage titled_page(int width, int height, const QString& title) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor(235, 235, 245));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setPen(Qt::black);
    painter.setFont(picture_font(16, true));
    painter.drawText(QRect(0, 4, width, 24), Qt::AlignHCenter, title);
    return image;
}

} // namespace

QImage outlook_map(int region_number, bool precipitation, const QDateTime& hour) {
    const OutlookRegion& region =
        outlook_regions[static_cast<std::size_t>(std::clamp(region_number, 1, 10) - 1)];
    const int width = 600;
    const int height = 480;
    const int title_h = 40;
    const int legend_h = 40;
    const MapFrame frame(region.conic ? MapFrame::Projection::Conic : MapFrame::Projection::Flat,
                         region.south, region.north, region.west, region.east, width,
                         height - title_h - legend_h);
    const QImage map = category_map(
        frame, precipitation,
        outlook_seed(QStringLiteral("outlook%1%2").arg(region_number).arg(precipitation), hour),
        region_number == 1);
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.drawImage(0, title_h, map);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setPen(Qt::black);
    painter.setFont(picture_font(15, true));
    painter.drawText(
        QRect(0, 2, width, 20), Qt::AlignHCenter,
        QStringLiteral("10-Day %1 Outlook - %2")
            .arg(precipitation ? QStringLiteral("Precipitation") : QStringLiteral("Temperature"),
                 QString::fromLatin1(region.name)));
    painter.setFont(picture_font(12));
    const QDate from = hour.toUTC().date();
    painter.drawText(QRect(0, 21, width, 18), Qt::AlignHCenter,
                     QStringLiteral("Valid %1 - %2 (departure from normal)")
                         .arg(from.toString(QStringLiteral("MMM d")),
                              from.addDays(10).toString(QStringLiteral("MMM d yyyy"))));
    paint_category_legend(painter, QRect(40, height - legend_h + 4, width - 80, legend_h - 6),
                          precipitation);
    return image;
}

QImage seasonal_page(int page, const QDateTime& hour) {
    const QDate today = hour.toUTC().date();
    const int next_month = today.month() % 12 + 1;
    const std::uint64_t seed = outlook_seed(QStringLiteral("seasonal%1").arg(page), hour);
    if (page == 2) {
        const int width = 760;
        const int height = 660;
        QImage image = titled_page(
            width, height, QStringLiteral("1 and 3-Month Temperature and Precipitation Outlooks"));
        QPainter painter(&image);
        painter.setRenderHint(QPainter::TextAntialiasing);
        const QString month_name = QDate(2000, next_month, 1).toString(QStringLiteral("MMMM"));
        const QString months = season_letters(next_month);
        const int pw = (width - 30) / 2;
        const int ph = (height - 90) / 2;
        paint_season_panel(painter, QRect(10, 34, pw, ph),
                           month_name + QStringLiteral(" Temperature"), {}, false, seed);
        paint_season_panel(painter, QRect(20 + pw, 34, pw, ph),
                           month_name + QStringLiteral(" Precipitation"), {}, true, seed + 1);
        paint_season_panel(painter, QRect(10, 44 + ph, pw, ph),
                           QStringLiteral("3-Month Temperature"), months, false, seed + 2);
        paint_season_panel(painter, QRect(20 + pw, 44 + ph, pw, ph),
                           QStringLiteral("3-Month Precipitation"), months, true, seed + 3);
        paint_category_legend(painter, QRect(10, height - 40, pw, 36), false);
        paint_category_legend(painter, QRect(20 + pw, height - 40, pw, 36), true);
        return image;
    }
    const bool precipitation = page == 4;
    const int width = 840;
    const int height = 640;
    QImage image = titled_page(width, height,
                               precipitation ? QStringLiteral("12-Month US Precipitation Outlook")
                                             : QStringLiteral("12-Month US Temperature Outlook"));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setPen(Qt::black);
    const int columns = 4;
    const int rows = 3;
    const int pw = (width - 10 * (columns + 1)) / columns;
    const int ph = (height - 80 - 10 * rows) / rows;
    for (int i = 0; i < columns * rows; ++i) {
        // Months counted from year 0: the first month of this panel's season.
        const int month_number = today.year() * 12 + today.month() + i;
        const int first = month_number % 12 + 1;
        const int year = month_number / 12;
        const QRect area(10 + (i % columns) * (pw + 10), 34 + (i / columns) * (ph + 10), pw, ph);
        paint_season_panel(painter, area, QString::number(year), season_letters(first),
                           precipitation, seed + static_cast<std::uint64_t>(i));
    }
    paint_category_legend(painter, QRect(160, height - 40, width - 320, 36), precipitation);
    return image;
}
