#pragma once

#include <QDateTime>
#include <QImage>
#include <QList>
#include <QString>

// nimbrix-host's weather maps, made up but alike in every map of the same hour: one cloud and
// precipitation field covers the earth and drifts east with time, so the radar, satellite,
// infrared and storm-watch pictures of an hour agree. Every picture depends only on its
// arguments (the hour is the start of a UTC hour).

enum class RadarLook {
    Purdue,      // black background, grey states, white borders
    TexasAM,     // white states on blue water
    TexasAMTopo, // states shaded by height
    Yahoo,       // tan states, light blue water
    WeatherBank, // dark states, animated
};

// US radar composites: echoes in green, yellow and red over the mainland states. `frames`
// pictures, 20 minutes apart, the last at `hour`.
QList<QImage> radar_pictures(RadarLook look, const QDateTime& hour, int frames);

// The small picture the Purdue host serves while its current composite is missing.
QImage radar_unavailable_picture(const QDateTime& hour);

enum class SatelliteView {
    EuropeVisible,     // Yahoo's Europe picture
    EuropeMeteo,       // the Meteo host's Europe picture, larger, with a frame and a grid
    UsInfrared,        // infrared, cold cloud tops bright and coloured
    UsInfraredRadar,   // infrared with the radar echoes over it
    GlobalTemperature, // the whole earth: surface temperature colours under the clouds
};
QImage satellite_picture(SatelliteView view, const QDateTime& hour);

// The storm-watch map: echoes, storm cells and watch boxes; `frames` pictures.
QList<QImage> storm_watch_pictures(const QDateTime& hour, int frames);

// A 10-day outlook map of a region (the outlook host's map number 1 to 10) with its legend.
QImage outlook_map(int region_number, bool precipitation, const QDateTime& hour);

// Seasonal outlook pages: 2 holds the 1- and 3-month temperature and precipitation maps,
// 3 the 12-month temperature maps, 4 the 12-month precipitation maps. Each 3-month map has
// its months' letters above a purple bar.
QImage seasonal_page(int page, const QDateTime& hour);
