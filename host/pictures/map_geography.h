#pragma once

#include <QPainterPath>
#include <QPointF>
#include <QString>
#include <vector>

// Geography for nimbrix-host's weather maps: map projections, coarse outlines of the land
// (continents, large islands, inland seas) and the US states, shaded from the zip table.

struct GeoPoint {
    double lat = 0.0; // degrees north
    double lon = 0.0; // degrees east
};

// A map of a region drawn into a picture of width x height pixels: Lambert conformal conic
// (standard parallels 33 and 45 N, as US weather maps use) or a plain latitude/longitude grid
// with the longitudes shortened by the cosine of the middle latitude.
class MapFrame {
public:
    enum class Projection { Conic, Flat };
    // The region's box is fitted into the picture, centred, keeping the projection's shape.
    MapFrame(Projection projection, double south, double north, double west, double east, int width,
             int height);

    QPointF to_pixel(GeoPoint p) const;
    GeoPoint to_geo(QPointF pixel) const;
    int width() const { return width_; }
    int height() const { return height_; }

    // A closed outline as a painter path in pixels.
    QPainterPath path(const std::vector<GeoPoint>& outline) const;

private:
    QPointF project(GeoPoint p) const; // projected units, y up
    GeoPoint unproject(QPointF q) const;

    Projection projection_;
    int width_;
    int height_;
    double centre_lon_ = 0.0;
    double flat_cos_ = 1.0;
    double scale_ = 1.0; // pixels per projected unit
    QPointF origin_;     // projected point at pixel (0, 0)
};

// The land and the water inside it, coarse (a degree or two), for maps of continents.
const std::vector<std::vector<GeoPoint>>& land_outlines();
const std::vector<std::vector<GeoPoint>>& inland_water_outlines(); // lakes, inland seas

// The 48 mainland states and DC on a grid of 0.1 degree: each cell takes the state of the
// nearest zip area's centre; cells farther than about 25 km beyond the outermost zip areas
// (the sea, Canada, Mexico) belong to none.
class UsStateGrid {
public:
    static const UsStateGrid& instance();
    // Index of the state at a point (into state_codes()), or -1 outside the mainland states.
    int state_at(GeoPoint p) const;
    const std::vector<QString>& state_codes() const { return codes_; }

private:
    UsStateGrid();
    std::vector<QString> codes_;
    std::vector<short> cells_;
    int columns_ = 0;
    int rows_ = 0;
};
