#pragma once

#include <QString>
#include <optional>

struct HostPlace;

// Made-up current observations for a place and hour, read from smooth fields over coordinates
// and time: the same coordinates and hour always give the same values, neighbouring places and
// hours similar ones. Temperatures follow the place's latitude, the
// season and the time of day; the sky comes from a weighted list in which every sky word of
// the tray rule occurs, with snow only at 33 F or below, thunderstorms only at 60 F or above,
// fog and mist only below 80 F, and the humidity held under a 75 F dew point.

struct SampleWeather {
    int temperature_f = 0;
    std::optional<int> heat_index_f; // only at 80 F and above
    int humidity = 0;                // percent, 12 to 100
    QString wind;                    // "NW at 12 mph" or "Calm"
    QString pressure;                // "30.01 in"
    QString sky;                     // "Partly Cloudy", "Light Snow", ...
    QString visibility;              // at most 8 characters: "10 miles", "6 miles", "0.5 mile"
};

// hour_index counts UTC hours since 1970; observed_unix_ms is the observation moment, which
// decides day or night for the sky words.
SampleWeather sample_weather(const HostPlace& place, long long hour_index,
                             long long observed_unix_ms);

// The weather service's heat index in whole degrees F (simple formula, then the regression
// with its low- and high-humidity adjustments).
int heat_index_f(int temperature_f, int humidity);
