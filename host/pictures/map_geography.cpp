#include "pictures/map_geography.h"

#include "locations/zip_codes.h"

#include <QHash>
#include <QRectF>
#include <algorithm>
#include <cmath>
#include <deque>
#include <numbers>

namespace {

constexpr double deg = std::numbers::pi / 180.0;

// Lambert conformal conic, standard parallels 33 and 45 N.
constexpr double parallel_1 = 33.0 * deg;
constexpr double parallel_2 = 45.0 * deg;

double conic_n() {
    static const double n = std::log(std::cos(parallel_1) / std::cos(parallel_2)) /
                            std::log(std::tan(std::numbers::pi / 4 + parallel_2 / 2) /
                                     std::tan(std::numbers::pi / 4 + parallel_1 / 2));
    return n;
}

double conic_f() {
    static const double f = std::cos(parallel_1) *
                            std::pow(std::tan(std::numbers::pi / 4 + parallel_1 / 2), conic_n()) /
                            conic_n();
    return f;
}

} // namespace

MapFrame::MapFrame(Projection projection, double south, double north, double west, double east,
                   int width, int height)
    : projection_(projection), width_(width), height_(height) {
    centre_lon_ = (west + east) / 2;
    flat_cos_ = std::cos((south + north) / 2 * deg);
    QRectF box;
    bool first = true;
    for (int i = 0; i <= 40; ++i) {
        const double t = i / 40.0;
        for (const GeoPoint p :
             {GeoPoint{south, west + (east - west) * t}, GeoPoint{north, west + (east - west) * t},
              GeoPoint{south + (north - south) * t, west},
              GeoPoint{south + (north - south) * t, east}}) {
            const QPointF q = project(p);
            if (first)
                box = QRectF(q, QSizeF(0, 0));
            else
                box |= QRectF(q, QSizeF(1e-9, 1e-9));
            first = false;
        }
    }
    scale_ = std::min(width / box.width(), height / box.height());
    const double left = box.center().x() - width / 2.0 / scale_;
    const double top = box.center().y() + height / 2.0 / scale_;
    origin_ = QPointF(left, top);
}

QPointF MapFrame::project(GeoPoint p) const {
    if (projection_ == Projection::Flat)
        return {(p.lon - centre_lon_) * flat_cos_, p.lat};
    const double n = conic_n();
    const double rho = conic_f() / std::pow(std::tan(std::numbers::pi / 4 + p.lat * deg / 2), n);
    const double theta = n * (p.lon - centre_lon_) * deg;
    return {rho * std::sin(theta) / deg, -rho * std::cos(theta) / deg};
}

GeoPoint MapFrame::unproject(QPointF q) const {
    if (projection_ == Projection::Flat)
        return {q.y(), q.x() / flat_cos_ + centre_lon_};
    const double n = conic_n();
    const double x = q.x() * deg;
    const double y = -q.y() * deg;
    const double rho = std::hypot(x, y);
    const double theta = std::atan2(x, y);
    const double lat = 2 * std::atan(std::pow(conic_f() / rho, 1 / n)) - std::numbers::pi / 2;
    return {lat / deg, centre_lon_ + theta / n / deg};
}

QPointF MapFrame::to_pixel(GeoPoint p) const {
    const QPointF q = project(p);
    return {(q.x() - origin_.x()) * scale_, (origin_.y() - q.y()) * scale_};
}

GeoPoint MapFrame::to_geo(QPointF pixel) const {
    return unproject({pixel.x() / scale_ + origin_.x(), origin_.y() - pixel.y() / scale_});
}

QPainterPath MapFrame::path(const std::vector<GeoPoint>& outline) const {
    QPainterPath path;
    if (outline.empty())
        return path;
    path.moveTo(to_pixel(outline.front()));
    for (std::size_t i = 1; i < outline.size(); ++i)
        path.lineTo(to_pixel(outline[i]));
    path.closeSubpath();
    return path;
}

namespace {

// clang-format off
// Outlines as latitude, longitude pairs, a point every one or two degrees of coast.
const std::vector<std::vector<double>> land_data = {
    // North and Central America
    {65.6,-168.0, 68.9,-166.2, 70.6,-160.0, 71.3,-156.8, 70.1,-143.0, 69.6,-138.6, 69.4,-132.0,
     70.0,-128.0, 69.5,-123.0, 68.0,-115.0, 67.8,-108.0, 68.5,-98.0, 67.5,-94.0, 68.0,-90.0,
     66.5,-86.0, 64.0,-88.0, 61.0,-94.0, 58.8,-94.2, 57.0,-92.4, 55.3,-85.0, 51.5,-80.0,
     54.0,-79.3, 58.0,-77.0, 60.5,-77.5, 62.5,-78.0, 61.5,-72.0, 58.5,-68.0, 60.3,-64.5,
     56.0,-61.0, 53.5,-56.0, 52.0,-55.7, 50.2,-60.0, 50.0,-66.5, 48.6,-69.0, 47.3,-70.5,
     49.0,-66.0, 48.8,-64.2, 46.0,-64.0, 46.8,-60.4, 43.5,-65.7, 45.0,-67.0, 44.8,-66.9,
     43.6,-70.2, 42.6,-70.6, 41.7,-70.0, 41.5,-71.0, 41.0,-72.0, 40.6,-74.0, 39.5,-74.3,
     38.9,-74.9, 38.3,-75.1, 37.2,-75.9, 36.9,-76.0, 35.2,-75.5, 34.7,-76.7, 33.8,-78.5,
     32.8,-79.9, 32.0,-80.9, 30.4,-81.4, 28.5,-80.6, 26.7,-80.0, 25.4,-80.4, 25.2,-81.1,
     26.5,-82.0, 27.8,-82.7, 29.0,-82.8, 30.1,-84.0, 29.7,-85.0, 30.3,-86.5, 30.4,-88.0,
     30.2,-89.6, 29.0,-89.2, 29.5,-92.0, 29.7,-93.8, 29.3,-94.8, 27.8,-97.4, 26.0,-97.2,
     23.0,-97.8, 21.0,-97.3, 19.2,-96.1, 18.5,-94.5, 18.6,-92.0, 20.9,-90.4, 21.5,-87.0,
     18.5,-88.0, 16.0,-88.6, 15.9,-85.0, 15.0,-83.2, 12.0,-83.7, 10.0,-83.0, 9.3,-79.5,
     8.5,-77.4, 8.0,-77.2, 7.5,-78.5, 8.0,-80.5, 8.5,-83.0, 9.8,-85.5, 11.0,-85.8, 12.5,-87.6,
     13.9,-91.0, 14.5,-92.5, 16.0,-95.0, 15.7,-96.5, 17.0,-100.0, 18.2,-103.5, 19.4,-105.0,
     21.5,-105.3, 23.2,-106.5, 25.8,-109.2, 28.0,-111.0, 31.3,-113.5, 31.7,-114.8, 28.0,-112.8,
     24.0,-110.0, 22.9,-109.9, 24.5,-112.0, 27.8,-114.5, 30.0,-115.8, 32.5,-117.1, 34.0,-118.5,
     34.5,-120.5, 36.0,-121.5, 37.8,-122.5, 40.4,-124.4, 42.0,-124.2, 46.2,-124.0, 48.4,-124.7,
     50.0,-127.5, 52.0,-128.5, 54.5,-130.5, 56.0,-133.0, 58.2,-136.5, 59.8,-140.0, 60.3,-146.0,
     59.3,-151.5, 58.0,-154.0, 56.0,-159.0, 54.5,-164.0, 58.0,-158.0, 58.7,-161.8, 60.5,-165.0,
     62.0,-165.5, 64.0,-161.0, 64.5,-165.0},
    // Greenland, Baffin Island, the Arctic islands
    {60.0,-43.0, 65.0,-40.0, 70.0,-22.0, 76.0,-19.0, 81.5,-12.0, 83.5,-35.0, 82.0,-60.0,
     78.0,-72.0, 76.0,-68.0, 72.0,-55.0, 68.0,-53.0, 64.0,-51.0, 61.0,-48.0},
    {73.0,-80.0, 70.5,-68.0, 66.5,-61.8, 62.5,-64.5, 64.5,-77.0, 68.0,-73.5, 70.0,-79.0},
    {69.0,-115.0, 72.0,-118.0, 76.0,-120.0, 77.0,-95.0, 80.0,-90.0, 82.5,-70.0, 79.0,-75.0,
     76.0,-80.0, 74.0,-90.0, 71.0,-95.0, 69.0,-105.0},
    // Caribbean
    {23.1,-82.4, 22.2,-84.9, 21.8,-83.0, 22.0,-81.0, 21.6,-78.0, 20.0,-75.0, 20.2,-74.2,
     21.1,-75.6, 22.5,-79.0, 23.2,-80.5},
    {19.9,-72.8, 19.7,-70.0, 18.5,-68.4, 18.2,-71.0, 18.0,-74.4, 18.6,-74.4, 19.6,-72.5},
    {18.5,-78.3, 18.5,-76.3, 17.9,-76.3, 18.2,-78.3},
    {18.5,-67.2, 18.4,-65.6, 18.0,-65.9, 18.0,-67.2},
    // South America
    {12.2,-72.0, 11.0,-74.5, 9.5,-76.0, 8.0,-77.2, 7.0,-77.8, 4.0,-77.4, 1.5,-79.0, -1.0,-80.5,
     -4.5,-81.3, -6.0,-81.1, -9.0,-78.8, -14.0,-76.2, -17.5,-71.5, -18.5,-70.3, -23.5,-70.5,
     -30.0,-71.5, -37.0,-73.5, -42.0,-74.0, -46.0,-75.5, -50.0,-75.5, -53.0,-74.0, -55.0,-71.0,
     -55.0,-67.0, -52.5,-68.5, -50.5,-69.0, -47.5,-65.8, -45.0,-67.0, -42.5,-63.7, -41.0,-65.0,
     -39.0,-62.0, -38.5,-57.5, -36.3,-56.8, -34.9,-57.0, -34.9,-55.0, -33.5,-53.4, -29.0,-49.0,
     -25.5,-48.5, -23.0,-43.2, -22.0,-41.0, -18.0,-39.5, -13.0,-38.5, -10.0,-36.3, -7.0,-34.8,
     -5.0,-37.0, -2.8,-41.0, -1.0,-48.5, 0.0,-50.0, 2.0,-51.0, 5.5,-54.0, 6.8,-58.2, 8.5,-60.0,
     10.6,-61.7, 10.6,-64.0, 10.5,-66.5, 11.5,-69.8, 11.0,-71.5},
    // Africa
    {35.8,-5.9, 35.2,-2.0, 36.8,3.0, 37.1,10.0, 35.0,11.0, 33.5,10.5, 32.8,13.0, 30.3,19.5,
     32.5,20.5, 32.8,22.5, 31.5,25.0, 31.3,30.0, 31.5,32.0, 29.9,32.6, 27.0,33.9, 22.0,36.9,
     18.0,38.5, 15.5,39.5, 12.7,43.3, 11.5,43.5, 11.8,51.2, 10.0,50.8, 4.0,47.9, -1.5,41.5,
     -4.0,39.6, -7.0,39.5, -10.5,40.5, -15.0,40.7, -19.8,34.9, -24.5,35.5, -26.0,32.9,
     -29.0,32.2, -33.0,27.9, -34.0,25.0, -34.8,20.0, -34.4,18.5, -32.0,18.3, -28.6,16.4,
     -22.9,14.5, -17.3,11.8, -12.0,13.8, -8.8,13.2, -5.9,12.3, -1.0,9.0, 0.8,9.5, 3.8,9.5,
     4.5,7.0, 6.4,3.4, 5.3,-1.0, 4.8,-2.5, 4.4,-7.5, 6.8,-11.5, 8.5,-13.2, 10.8,-15.0,
     12.5,-16.8, 14.7,-17.5, 20.8,-17.1, 24.0,-16.0, 27.7,-13.0, 29.8,-9.8, 32.0,-9.3,
     33.6,-7.6},
    {-12.0,49.3, -15.5,50.5, -25.0,47.1, -25.3,44.5, -20.0,44.0, -16.0,45.0, -13.5,48.0},
    // Europe and Asia
    {36.0,-5.6, 37.0,-8.9, 38.7,-9.5, 41.0,-8.7, 43.2,-9.3, 43.5,-8.0, 43.4,-3.8, 43.4,-1.8,
     46.0,-1.2, 47.5,-2.8, 48.5,-4.8, 48.7,-1.5, 49.7,-1.6, 49.5,0.1, 50.5,1.6, 51.0,2.5,
     51.5,3.6, 53.0,4.7, 53.5,7.0, 54.0,8.6, 55.5,8.2, 57.0,8.6, 57.7,10.6, 56.0,10.8,
     54.4,11.0, 54.1,13.5, 54.6,18.5, 55.7,21.1, 57.5,21.6, 59.4,24.0, 59.9,30.2, 60.3,25.0,
     59.9,22.9, 61.5,21.5, 64.0,23.5, 65.8,24.2, 63.5,19.5, 61.0,17.3, 59.5,18.8, 58.0,16.6,
     56.2,16.0, 55.4,13.0, 56.5,12.8, 58.0,11.6, 59.0,11.0, 58.0,7.5, 59.0,5.5, 61.0,5.0,
     63.0,7.0, 65.0,11.5, 67.5,14.5, 69.0,16.5, 70.5,22.0, 71.1,25.8, 70.0,30.0, 69.0,33.0,
     68.4,39.5, 67.5,41.0, 68.0,44.0, 67.7,53.0, 68.8,57.0, 69.5,60.0, 70.0,67.0, 72.0,70.0,
     72.8,80.0, 76.0,98.0, 77.7,104.0, 74.0,112.0, 73.3,127.0, 71.5,140.0, 71.0,150.0,
     69.5,161.0, 69.8,170.0, 67.0,179.9, 65.0,179.9, 64.5,177.0, 62.0,179.0, 60.0,170.0,
     59.5,163.0, 56.0,163.0, 51.0,156.7, 54.0,155.5, 57.5,156.8, 59.5,155.0, 59.3,148.0,
     59.0,143.0, 54.5,137.0, 53.5,141.0, 48.0,140.0, 43.0,132.0, 40.0,128.5, 38.0,128.6,
     35.1,129.0, 34.7,126.3, 37.5,126.6, 39.0,125.2, 39.8,124.2, 40.8,121.0, 40.0,119.6,
     39.0,118.0, 38.2,117.8, 37.4,119.0, 37.4,122.6, 36.0,120.3, 34.3,119.5, 32.0,121.8,
     30.0,122.0, 27.0,120.3, 24.5,118.2, 22.5,114.2, 21.5,111.0, 21.0,109.8, 21.6,108.0,
     20.0,106.5, 17.0,107.2, 15.0,108.9, 12.0,109.2, 10.4,107.2, 8.6,104.7, 10.5,104.0,
     12.5,102.3, 13.4,100.9, 11.0,99.5, 8.5,100.3, 6.0,102.2, 3.5,103.4, 1.3,103.8, 2.5,101.5,
     5.5,100.3, 8.0,98.3, 10.0,98.5, 13.0,98.5, 16.0,97.6, 16.0,94.4, 19.5,93.6, 22.0,91.8,
     22.5,90.0, 21.6,88.0, 20.0,86.8, 17.7,83.3, 15.5,80.2, 13.0,80.3, 10.3,79.8, 8.1,77.5,
     10.0,76.2, 12.9,74.8, 15.5,73.8, 19.0,72.8, 21.0,72.6, 21.0,70.0, 22.5,68.9, 24.8,66.9,
     25.3,62.0, 25.4,59.0, 27.0,56.5, 28.8,50.8, 30.0,48.8, 29.0,48.0, 27.0,49.7, 24.2,54.0,
     25.5,56.3, 22.5,59.8, 19.0,57.8, 17.0,54.0, 15.0,50.0, 12.6,45.0, 12.7,43.3, 16.0,42.7,
     20.0,40.0, 24.0,38.0, 28.0,34.8, 29.5,34.9, 27.8,34.3, 29.9,32.6, 31.1,32.3, 31.2,33.5,
     31.5,34.4, 33.9,35.5, 36.2,35.8, 36.7,36.2, 36.2,33.0, 36.5,30.5, 37.0,27.3, 38.5,26.3,
     40.0,26.2, 40.6,22.9, 39.0,23.0, 37.0,22.7, 36.4,22.5, 38.3,21.2, 39.5,20.2, 41.8,19.5,
     42.6,18.0, 43.5,16.0, 45.3,13.6, 45.6,12.3, 44.0,12.6, 41.9,16.1, 40.5,17.6, 39.8,18.4,
     40.1,16.6, 38.0,16.0, 38.9,15.7, 40.6,14.2, 41.9,12.0, 43.7,10.3, 44.4,8.9, 43.5,7.0,
     43.3,5.3, 43.5,3.5, 42.5,3.1, 41.4,2.2, 39.5,-0.3, 38.5,-0.2, 37.6,-1.0, 36.7,-4.4},
    // Islands of Europe
    {50.1,-5.7, 50.6,-3.5, 50.8,-1.0, 51.1,1.4, 52.0,1.7, 52.9,1.5, 53.0,0.3, 54.5,-0.6,
     55.8,-2.0, 56.5,-2.6, 57.7,-1.8, 58.6,-3.0, 58.5,-5.0, 57.0,-5.8, 55.8,-5.0, 54.8,-4.8,
     54.5,-3.5, 53.3,-3.0, 52.8,-4.7, 51.7,-5.2, 51.5,-3.2, 51.2,-4.2},
    {55.3,-7.3, 54.6,-5.5, 53.3,-6.0, 52.2,-6.3, 51.5,-9.5, 52.2,-10.4, 53.5,-10.1, 54.3,-10.0,
     55.2,-8.3},
    {63.4,-20.0, 64.0,-22.7, 65.5,-24.5, 66.5,-22.5, 66.2,-15.0, 65.0,-13.6, 64.3,-15.0},
    {38.2,12.5, 38.3,15.6, 36.7,15.1, 37.5,12.5},
    {41.2,9.2, 39.1,9.6, 39.0,8.4, 40.9,8.2},
    {43.0,9.4, 41.4,9.2, 42.5,8.6},
    // Islands of Asia
    {9.8,80.0, 7.0,81.8, 6.0,80.6, 7.5,79.8},
    {33.0,129.7, 31.2,130.6, 33.5,135.8, 34.6,138.2, 35.0,140.0, 36.0,140.8, 38.3,141.5,
     40.0,142.0, 41.5,141.4, 40.5,140.0, 39.0,139.8, 37.5,138.5, 36.8,136.7, 35.5,133.0,
     34.3,131.0},
    {41.5,140.0, 43.3,145.5, 44.3,145.3, 45.5,141.9, 43.2,140.3},
    {25.2,121.5, 22.0,120.8, 23.0,120.1},
    {20.0,110.3, 18.2,109.5, 19.2,108.6},
    {18.5,120.8, 18.5,122.2, 14.0,124.0, 13.8,120.6, 16.0,120.0},
    {9.8,125.5, 7.0,126.5, 6.0,125.2, 7.0,122.0, 8.5,123.5},
    {7.0,116.8, 4.0,118.0, 1.0,119.0, -2.0,116.2, -4.0,114.5, -3.0,111.0, -1.0,110.0,
     1.5,109.0, 2.0,111.0, 4.5,114.0},
    {5.6,95.3, 3.0,99.5, 0.5,103.5, -3.0,106.0, -5.9,105.8, -4.0,102.2, -1.0,99.5, 2.5,96.0},
    {-6.0,106.0, -6.9,112.5, -8.5,114.5, -7.8,110.0, -6.9,105.3},
    {1.5,125.0, -1.0,121.5, -5.5,120.4, -4.0,119.5, 0.5,119.8},
    {-1.0,131.0, -2.5,135.0, -2.6,141.0, -6.0,147.5, -10.5,150.5, -8.0,143.5, -9.0,141.0,
     -7.5,138.0, -4.0,134.0, -2.5,133.0},
    // Australia and New Zealand
    {-10.7,142.5, -14.5,144.5, -19.0,146.5, -22.5,150.5, -25.0,153.0, -28.2,153.6, -32.5,152.5,
     -34.0,151.2, -37.5,150.0, -39.0,146.4, -38.3,141.0, -35.8,138.0, -34.8,138.5, -32.5,133.8,
     -31.5,131.0, -32.0,126.0, -33.8,123.5, -35.0,118.0, -34.4,115.0, -31.5,115.7, -27.0,113.8,
     -22.0,113.7, -20.5,117.0, -18.0,122.2, -14.5,125.5, -15.0,128.5, -12.2,131.0, -11.5,132.5,
     -12.3,136.5, -15.0,135.5, -17.5,140.8, -14.0,141.6},
    {-40.8,144.7, -41.0,148.3, -43.5,146.5, -42.0,145.0},
    {-34.5,172.7, -37.5,176.0, -37.6,178.5, -39.5,177.0, -41.6,175.2, -39.5,174.0, -37.0,174.5},
    {-40.5,172.7, -41.5,174.3, -43.8,173.0, -46.6,169.0, -46.2,166.5, -43.5,169.8},
};

const std::vector<std::vector<double>> water_data = {
    // Black Sea, Caspian Sea
    {41.2,29.0, 41.7,28.0, 43.2,27.9, 44.5,28.8, 45.3,29.7, 46.5,30.8, 46.0,32.5, 44.5,33.5,
     45.2,35.3, 45.2,36.6, 44.5,38.0, 43.0,40.5, 41.6,41.6, 41.0,39.0, 41.4,36.0, 42.0,33.5,
     41.0,31.0},
    {47.0,51.5, 46.7,49.0, 44.5,47.5, 42.0,48.5, 40.4,49.9, 38.5,48.9, 36.8,50.8, 36.9,53.8,
     38.0,53.9, 40.0,53.0, 41.5,52.5, 42.8,52.0, 44.5,50.5, 45.0,53.0, 46.8,53.1},
    // The Great Lakes
    {46.5,-84.5, 46.8,-92.1, 47.7,-90.0, 48.8,-88.5, 48.6,-86.5, 47.9,-84.9},
    {41.7,-87.0, 43.0,-87.9, 45.5,-87.0, 45.9,-85.0, 45.0,-85.6, 43.5,-86.4, 42.0,-86.6},
    {43.0,-82.4, 44.0,-83.3, 45.8,-84.0, 46.0,-82.0, 45.5,-80.5, 44.5,-81.3, 43.3,-81.7},
    {41.7,-83.4, 42.5,-81.0, 42.9,-78.9, 42.1,-80.1, 41.5,-81.7},
    {43.6,-79.6, 44.1,-77.0, 43.9,-76.2, 43.3,-77.5, 43.2,-79.0},
};
// clang-format on

std::vector<std::vector<GeoPoint>> outlines(const std::vector<std::vector<double>>& data) {
    std::vector<std::vector<GeoPoint>> out;
    for (const auto& flat : data) {
        std::vector<GeoPoint> outline;
        for (std::size_t i = 0; i + 1 < flat.size(); i += 2)
            outline.push_back({flat[i], flat[i + 1]});
        out.push_back(std::move(outline));
    }
    return out;
}

} // namespace

const std::vector<std::vector<GeoPoint>>& land_outlines() {
    static const auto land = outlines(land_data);
    return land;
}

const std::vector<std::vector<GeoPoint>>& inland_water_outlines() {
    static const auto water = outlines(water_data);
    return water;
}

// ---- US states ----

namespace {

constexpr double grid_south = 24.0;
constexpr double grid_north = 50.0;
constexpr double grid_west = -125.5;
constexpr double grid_east = -66.5;
constexpr double grid_step = 0.1;

bool mainland_state(const QString& code) {
    return code != u"AK" && code != u"HI" && code != u"PR" && code != u"VI" && code != u"GU" &&
           code != u"AS" && code != u"MP";
}

struct GridSize {
    int columns;
    int rows;
};

// A zip area's centre and its state (an index into the grid's state codes).
struct ZipCentre {
    double lat;
    double lon;
    short state;
};

// The mainland zip centres by one-degree bucket, 60 columns by 27 rows from the grid's
// south-west corner; codes gets every state in the order first met.
std::vector<std::vector<ZipCentre>> zip_centre_buckets(std::vector<QString>& codes) {
    QHash<QString, short> state_index;
    std::vector<std::vector<ZipCentre>> buckets(60 * 27);
    const auto bucket_of = [](double lat, double lon) {
        return static_cast<int>(std::floor(lat - grid_south)) * 60 +
               static_cast<int>(std::floor(lon - grid_west));
    };
    for (const ZipPlace& zip : zip_table()) {
        if (!mainland_state(zip.state_code) || zip.latitude < grid_south ||
            zip.latitude >= grid_north + 1 || zip.longitude < grid_west ||
            zip.longitude >= grid_east)
            continue;
        auto it = state_index.constFind(zip.state_code);
        if (it == state_index.constEnd()) {
            it = state_index.insert(zip.state_code, static_cast<short>(codes.size()));
            codes.push_back(zip.state_code);
        }
        const int b = bucket_of(std::min(zip.latitude, grid_north - 0.01), zip.longitude);
        buckets[static_cast<std::size_t>(b)].push_back({zip.latitude, zip.longitude, *it});
    }
    return buckets;
}

// Each cell's nearest zip centre within one degree (its state, or -1), and whether that
// centre is "near": within 0.6 degree.
struct NearestCentres {
    std::vector<short> state;
    std::vector<char> near;
};

NearestCentres nearest_centres(const std::vector<std::vector<ZipCentre>>& buckets, GridSize size) {
    NearestCentres out{std::vector<short>(static_cast<std::size_t>(size.columns * size.rows), -1),
                       std::vector<char>(static_cast<std::size_t>(size.columns * size.rows), 0)};
    for (int r = 0; r < size.rows; ++r) {
        const double lat = grid_south + (r + 0.5) * grid_step;
        const double shrink = std::cos(lat * deg);
        const int brow = static_cast<int>(std::floor(lat - grid_south));
        for (int c = 0; c < size.columns; ++c) {
            const double lon = grid_west + (c + 0.5) * grid_step;
            const int bcol = static_cast<int>(std::floor(lon - grid_west));
            double best = 1.0;
            short state = -1;
            for (int dr = -1; dr <= 1; ++dr)
                for (int dc = -1; dc <= 1; ++dc) {
                    const int br = brow + dr;
                    const int bc = bcol + dc;
                    if (br < 0 || br >= 27 || bc < 0 || bc >= 60)
                        continue;
                    for (const ZipCentre& z : buckets[static_cast<std::size_t>(br * 60 + bc)]) {
                        const double dy = z.lat - lat;
                        const double dx = (z.lon - lon) * shrink;
                        const double d2 = dx * dx + dy * dy;
                        if (d2 < best) {
                            best = d2;
                            state = z.state;
                        }
                    }
                }
            const auto i = static_cast<std::size_t>(r * size.columns + c);
            out.state[i] = state;
            out.near[i] = best < 0.6 * 0.6 ? 1 : 0;
        }
    }
    return out;
}

// Each cell's distance in steps (up, down, left, right) from the nearest cell that is not
// near, counted up to limit; cells farther keep a larger number.
std::vector<int> distance_from_far_cells(const std::vector<char>& near, GridSize size, int limit) {
    std::vector<int> distance(near.size(), 1 << 20);
    std::deque<int> queue;
    for (int i = 0; i < static_cast<int>(near.size()); ++i)
        if (!near[static_cast<std::size_t>(i)]) {
            distance[static_cast<std::size_t>(i)] = 0;
            queue.push_back(i);
        }
    while (!queue.empty()) {
        const int i = queue.front();
        queue.pop_front();
        const int r = i / size.columns;
        const int c = i % size.columns;
        const int d = distance[static_cast<std::size_t>(i)];
        if (d >= limit)
            continue;
        for (const auto& [dr, dc] : {std::pair{-1, 0}, {1, 0}, {0, -1}, {0, 1}}) {
            const int nr = r + dr;
            const int nc = c + dc;
            if (nr < 0 || nr >= size.rows || nc < 0 || nc >= size.columns)
                continue;
            const auto n = static_cast<std::size_t>(nr * size.columns + nc);
            if (distance[n] > d + 1) {
                distance[n] = d + 1;
                queue.push_back(static_cast<int>(n));
            }
        }
    }
    return distance;
}

// The empty cells the grid's edge reaches through empty cells: the sea and the land beyond.
std::vector<char> reached_from_edge(const std::vector<short>& cells, GridSize size) {
    std::vector<char> outside(cells.size(), 0);
    std::vector<int> stack;
    for (int r = 0; r < size.rows; ++r)
        for (int c = 0; c < size.columns; ++c)
            if (r == 0 || c == 0 || r == size.rows - 1 || c == size.columns - 1)
                stack.push_back(r * size.columns + c);
    while (!stack.empty()) {
        const int i = stack.back();
        stack.pop_back();
        const auto u = static_cast<std::size_t>(i);
        if (outside[u] || cells[u] >= 0)
            continue;
        outside[u] = 1;
        const int r = i / size.columns;
        const int c = i % size.columns;
        if (r > 0)
            stack.push_back(i - size.columns);
        if (r + 1 < size.rows)
            stack.push_back(i + size.columns);
        if (c > 0)
            stack.push_back(i - 1);
        if (c + 1 < size.columns)
            stack.push_back(i + 1);
    }
    return outside;
}

} // namespace

const UsStateGrid& UsStateGrid::instance() {
    static const UsStateGrid grid;
    return grid;
}

UsStateGrid::UsStateGrid() {
    columns_ = static_cast<int>(std::lround((grid_east - grid_west) / grid_step));
    rows_ = static_cast<int>(std::lround((grid_north - grid_south) / grid_step));
    const GridSize size{columns_, rows_};
    const NearestCentres nearest = nearest_centres(zip_centre_buckets(codes_), size);

    // Close the land: shrink the "near" area by 0.35 degree, which fills the gaps between
    // sparse zip areas (deserts, mountains) and leaves the coast about 25 km beyond the
    // outermost centres.
    const int shrink_cells = 4;
    const std::vector<int> distance = distance_from_far_cells(nearest.near, size, shrink_cells);
    cells_.assign(nearest.state.size(), -1);
    for (std::size_t i = 0; i < cells_.size(); ++i)
        if (distance[i] >= shrink_cells)
            cells_[i] = nearest.state[i];

    // Holes that the sea cannot reach (empty desert) are land too: every empty cell the edge
    // does not reach takes its nearest zip area's state.
    const std::vector<char> outside = reached_from_edge(cells_, size);
    for (std::size_t i = 0; i < cells_.size(); ++i)
        if (cells_[i] < 0 && !outside[i] && nearest.state[i] >= 0)
            cells_[i] = nearest.state[i];
}

int UsStateGrid::state_at(GeoPoint p) const {
    const int r = static_cast<int>(std::floor((p.lat - grid_south) / grid_step));
    const int c = static_cast<int>(std::floor((p.lon - grid_west) / grid_step));
    if (r < 0 || r >= rows_ || c < 0 || c >= columns_)
        return -1;
    return cells_[static_cast<std::size_t>(r * columns_ + c)];
}
