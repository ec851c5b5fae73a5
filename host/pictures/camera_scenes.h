#pragma once

#include "sample/host_places.h"

#include <QDateTime>
#include <QImage>
#include <QSize>
#include <QString>

// Web-camera views and population counters for nimbrix-host.

enum class SceneKind { City, Mountains, Lake, Sea, Desert, Falls, LaunchPad, Arch, Campus };

struct CameraSite {
    QString name;    // shown in the picture: "Anchorage, Alaska"
    HostPlace place; // position and time zone; its seed_key seeds the sample weather
    SceneKind scene = SceneKind::City;
};

// The view from a camera at a moment: the sky by the sun's height there and the place's
// sample weather of the hour (clouds, rain, snow, fog), the land and its landmark, and a
// caption with the camera's name and the local time.
QImage camera_picture(const CameraSite& camera, const QDateTime& hour, QSize size);

// A population counter: the number of people (in the US or in the world) at the hour, grown
// from a census figure at the rate of the census bureau's population clock.
QImage population_picture(bool world, const QDateTime& hour);
long long population_at(bool world, const QDateTime& moment);
