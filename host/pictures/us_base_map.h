#pragma once

#include "pictures/map_geography.h"
#include "pictures/weather_maps.h"

#include <QImage>
#include <QRgb>
#include <vector>

class QPainter;

// The US base maps under the radar and outlook pictures: the mainland states over their
// neighbours and the sea, in the colours of each radar look, with the state of every pixel.

struct BaseStyle {
    QRgb water;
    QRgb foreign;
    QRgb us;
    QRgb border;
    QRgb coast;
    bool topography = false;
};

BaseStyle style_for(RadarLook look);

struct UsBase {
    QImage image;
    std::vector<short> state; // per pixel; -1 outside the mainland states
};

// The mainland's frame at a picture size.
MapFrame us_frame(int width, int height);

// The land of the world in one colour and its inland water in another.
void paint_land(QPainter& painter, const MapFrame& frame, QRgb land, QRgb water);

// Base maps are the same every hour; they are made once per key (a look), style and size.
// Safe to call from several threads.
const UsBase& us_base(int key, const MapFrame& frame, const BaseStyle& style);
