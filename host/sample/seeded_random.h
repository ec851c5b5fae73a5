#pragma once

#include <QByteArray>
#include <QString>
#include <cmath>
#include <cstdint>

// Reproducible numbers for the sample weather: the same key, salt and index give the same
// number on every machine and in every run (no library distributions, no per-process hash
// seeds).

// FNV-1a over the UTF-8 bytes of a key ("US/IL/Chicago.html").
inline std::uint64_t stable_key_hash(const QString& key) {
    std::uint64_t h = 14695981039346656037ULL;
    for (const char c : key.toUtf8()) {
        h ^= static_cast<unsigned char>(c);
        h *= 1099511628211ULL;
    }
    return h;
}

// One round of the splitmix64 finaliser.
inline std::uint64_t mix64(std::uint64_t x) {
    x += 0x9E3779B97F4A7C15ULL;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
    return x ^ (x >> 31);
}

// A number in [0, 1) for a key hash, a salt naming the quantity and an index (an hour, a day).
inline double unit_random(std::uint64_t key_hash, std::uint64_t salt, std::int64_t index) {
    const std::uint64_t x =
        mix64(key_hash ^ mix64(salt ^ mix64(static_cast<std::uint64_t>(index))));
    return static_cast<double>(x >> 11) * (1.0 / 9007199254740992.0);
}

// A number in [-1, 1) that changes smoothly with t: random values at every multiple of
// `period`, joined by a smoothstep curve, so neighbouring hours stay close.
inline double smooth_noise(std::uint64_t key_hash, std::uint64_t salt, double t, double period) {
    const double knot = std::floor(t / period);
    const double f = t / period - knot;
    const double s = f * f * (3.0 - 2.0 * f);
    const auto k = static_cast<std::int64_t>(knot);
    const double a = unit_random(key_hash, salt, k) * 2.0 - 1.0;
    const double b = unit_random(key_hash, salt, k + 1) * 2.0 - 1.0;
    return a + (b - a) * s;
}

// A smooth field over the globe and time: random values on a lattice of `cell` degrees of
// latitude and longitude and `period` hours, joined by smoothstep curves along each of the
// three axes. Places close together, and hours close together, get close values; the same
// coordinates and hour always the same value. In [-1, 1).
inline double weather_field(std::uint64_t salt, double latitude, double longitude, double hours,
                            double cell, double period) {
    const auto smooth = [](double f) { return f * f * (3.0 - 2.0 * f); };
    const auto cells_around = static_cast<std::int64_t>(std::lround(360.0 / cell));
    const double y = (latitude + 90.0) / cell;
    const double x = (longitude + 180.0) / cell;
    const double t = hours / period;
    const double y0 = std::floor(y), x0 = std::floor(x), t0 = std::floor(t);
    const double fy = smooth(y - y0), fx = smooth(x - x0), ft = smooth(t - t0);
    const auto corner = [&](int dy, int dx, int dt) {
        const auto row = static_cast<std::uint64_t>(static_cast<std::int64_t>(y0) + dy);
        // Longitude wraps around the globe.
        const std::int64_t column =
            ((static_cast<std::int64_t>(x0) + dx) % cells_around + cells_around) % cells_around;
        const std::uint64_t key =
            mix64(row * 0x9E3779B97F4A7C15ULL ^ static_cast<std::uint64_t>(column));
        return unit_random(key, salt, static_cast<std::int64_t>(t0) + dt) * 2.0 - 1.0;
    };
    const auto lerp = [](double a, double b, double f) { return a + (b - a) * f; };
    const auto plane = [&](int dt) {
        return lerp(lerp(corner(0, 0, dt), corner(0, 1, dt), fx),
                    lerp(corner(1, 0, dt), corner(1, 1, dt), fx), fy);
    };
    return lerp(plane(0), plane(1), ft);
}
