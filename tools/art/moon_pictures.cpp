// The moon-phase pictures, computed pixel by pixel: a lit sphere seen from the Earth, with the
// terminator where the sunlight grazes the surface, the near-side maria as a soft albedo map and
// the unlit part in faint earthshine.
#include "art.h"

#include <QColor>

#include <algorithm>
#include <cmath>
#include <cstdint>

// The pixel maps and colour tables below are laid out by hand, one row a line.
// clang-format off

namespace art {
namespace {

constexpr int picture_width = 81;
constexpr int picture_height = 65;
constexpr double centre_x = picture_width / 2.0;
constexpr double centre_y = picture_height / 2.0;
constexpr double radius = 30.0; // a 60-pixel disc
constexpr int samples = 8;      // samples per pixel along each axis

struct Colour {
    double r, g, b;
};

Colour mix(Colour a, Colour b, double t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Colour scaled(Colour c, double k) { return {c.r * k, c.g * k, c.b * k}; }

double smoothstep(double edge0, double edge1, double x) {
    const double t = std::clamp((x - edge0) / (edge1 - edge0), 0.0, 1.0);
    return t * t * (3.0 - 2.0 * t);
}

// Lattice value noise from an integer hash, so the surface is the same on every machine.
double lattice(int x, int y, std::uint32_t seed) {
    std::uint32_t h = static_cast<std::uint32_t>(x) * 0x8da6b343u ^
                      static_cast<std::uint32_t>(y) * 0xd8163841u ^ seed * 0xcb1ab31fu;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    return (h & 0xffffffu) / double(0xffffff);
}

double value_noise(double x, double y, std::uint32_t seed) {
    const double fx = std::floor(x);
    const double fy = std::floor(y);
    const int ix = static_cast<int>(fx);
    const int iy = static_cast<int>(fy);
    const double tx = smoothstep(0.0, 1.0, x - fx);
    const double ty = smoothstep(0.0, 1.0, y - fy);
    const double top = lattice(ix, iy, seed) + (lattice(ix + 1, iy, seed) - lattice(ix, iy, seed)) * tx;
    const double bottom =
        lattice(ix, iy + 1, seed) + (lattice(ix + 1, iy + 1, seed) - lattice(ix, iy + 1, seed)) * tx;
    return top + (bottom - top) * ty;
}

// Fractal noise in 0 … 1 (about 0.5 on average).
double fractal_noise(double x, double y, std::uint32_t seed, int octaves) {
    double sum = 0.0;
    double weight = 0.5;
    double total = 0.0;
    for (int i = 0; i < octaves; ++i) {
        sum += value_noise(x, y, seed + static_cast<std::uint32_t>(i)) * weight;
        total += weight;
        x *= 2.03;
        y *= 2.03;
        weight *= 0.5;
    }
    return sum / total;
}

struct Patch {
    double x, y;  // centre on the disc, radius 1, y up, as seen from the northern hemisphere
    double size;  // radius of the patch
    double weight;
};

// The dark plains of the near side, each built from a few overlapping patches so that the
// outlines run together and stay irregular, roughly where they lie on the real Moon.
constexpr Patch maria[] = {
    // Ocean of Storms, a long irregular band down the western side
    {-0.74, 0.40, 0.14, 0.9}, {-0.66, 0.18, 0.18, 1.0}, {-0.60, -0.04, 0.16, 0.9},
    {-0.70, -0.20, 0.10, 0.7}, {-0.44, 0.02, 0.12, 0.7}, {-0.36, -0.14, 0.10, 0.6},
    // Sea of Rains
    {-0.30, 0.54, 0.18, 1.0}, {-0.14, 0.46, 0.12, 0.9}, {-0.44, 0.40, 0.12, 0.8},
    // Sea of Serenity, Sea of Vapours
    {0.19, 0.45, 0.15, 1.0}, {0.04, 0.28, 0.09, 0.7},
    // Sea of Tranquillity
    {0.32, 0.16, 0.16, 1.0}, {0.47, 0.06, 0.11, 0.8}, {0.24, 0.02, 0.09, 0.6},
    // Sea of Crises, near the eastern limb
    {0.74, 0.30, 0.085, 1.1},
    // Sea of Fertility, Sea of Nectar
    {0.62, -0.10, 0.10, 0.9}, {0.56, -0.24, 0.08, 0.7}, {0.40, -0.30, 0.08, 0.8},
    // Sea of Clouds, Sea of Moisture
    {-0.20, -0.36, 0.12, 0.8}, {-0.08, -0.30, 0.07, 0.5}, {-0.55, -0.40, 0.08, 0.9},
    // Sea of Cold, a thin band in the far north
    {-0.32, 0.80, 0.09, 0.45}, {-0.12, 0.81, 0.09, 0.45}, {0.08, 0.79, 0.09, 0.45},
    {0.26, 0.75, 0.08, 0.40},
};

struct Crater {
    double x, y, size, brightness;
};

// A few bright young craters that catch the eye on the real Moon.
constexpr Crater craters[] = {
    {-0.14, -0.72, 0.030, 0.16}, // the bright southern crater with rays
    {-0.33, 0.17, 0.026, 0.10},
    {-0.62, 0.14, 0.018, 0.08},
    {-0.78, 0.38, 0.016, 0.14},
    {0.55, -0.55, 0.022, 0.06},
};

struct Surface {
    double albedo; // relative brightness, about 1 for the highlands
    double mare;   // 0 … 1, how much of a dark plain this is
};

Surface surface_at(double u, double v) {
    double density = 0.0;
    for (const auto& m : maria) {
        const double d = std::hypot(u - m.x, v - m.y) / m.size;
        density += m.weight * std::exp(-d * d);
    }
    const double wobble = fractal_noise(u * 7.0 + 11.0, v * 7.0 + 3.0, 7, 4) - 0.5;
    const double mare = smoothstep(0.15, 1.0, density + 0.45 * wobble);
    const double grain = fractal_noise(u * 11.0, v * 11.0, 31, 3) - 0.5;
    double albedo = 1.0 - 0.25 * mare + 0.10 * grain * (1.0 - 0.4 * mare);
    for (const auto& c : craters) {
        const double d = std::hypot(u - c.x, v - c.y) / c.size;
        albedo += c.brightness * std::exp(-d * d);
    }
    // Faint rays from the southern crater.
    const double du = u - craters[0].x;
    const double dv = v - craters[0].y;
    const double dist = std::hypot(du, dv);
    const double angle = std::atan2(dv, du);
    const double rays = std::pow(std::max(0.0, std::sin(angle * 7.0 + 0.6) * std::sin(angle * 3.0)), 6.0);
    albedo += 0.06 * rays * std::exp(-dist * 3.0) * smoothstep(0.03, 0.08, dist);
    return {albedo, mare};
}

enum class Lit { full, none, right, left };

// lit_fraction: share of the disc in sunlight; side: which limb faces the Sun.
QImage render_moon(double lit_fraction, Lit side) {
    const Colour highland{236, 232, 220};
    const Colour plain{196, 196, 194};
    const Colour earthshine{22, 23, 27};
    const Colour rim{118, 121, 132};

    // The Sun lies at phase angle a from the viewer: cos a = 2f − 1. Seen from the Earth the
    // terminator is then the ellipse x = (1 − 2f)·sqrt(1 − y²) on the unit disc.
    const double cos_a = std::clamp(2.0 * lit_fraction - 1.0, -1.0, 1.0);
    const double sin_a = std::sqrt(1.0 - cos_a * cos_a);

    QImage image(picture_width, picture_height, QImage::Format_RGB32);
    for (int py = 0; py < picture_height; ++py) {
        for (int px = 0; px < picture_width; ++px) {
            Colour sum{0, 0, 0};
            for (int sy = 0; sy < samples; ++sy) {
                for (int sx = 0; sx < samples; ++sx) {
                    const double x = px + (sx + 0.5) / samples;
                    const double y = py + (sy + 0.5) / samples;
                    const double u = (x - centre_x) / radius;
                    const double v = (centre_y - y) / radius;
                    const double rr = u * u + v * v;
                    if (rr >= 1.0)
                        continue;
                    const double z = std::sqrt(1.0 - rr);
                    const Surface s = surface_at(u, v);
                    const Colour face = scaled(mix(highland, plain, s.mare), s.albedo);
                    const Colour dark = scaled(earthshine, 0.8 + 0.2 * s.albedo);
                    Colour c = dark;
                    if (side == Lit::none) {
                        const double from_edge = (1.0 - std::sqrt(rr)) * radius; // pixels
                        c = mix(dark, rim, std::exp(-from_edge * from_edge / 0.8));
                    } else {
                        const double su = side == Lit::left ? -u : u;
                        const double incidence = side == Lit::full ? z : su * sin_a + z * cos_a;
                        if (incidence > 0.0) {
                            // Lommel–Seeliger scattering: the full Moon looks evenly bright, a
                            // thin crescent stays bright to the limb, light fades at the terminator.
                            const double light = std::min(1.0, 2.0 * incidence / (incidence + z));
                            const double shade = std::pow(light, 0.55) * (0.92 + 0.08 * std::sqrt(z));
                            const Colour lit = scaled(face, shade);
                            c = {std::max(lit.r, dark.r), std::max(lit.g, dark.g), std::max(lit.b, dark.b)};
                        }
                    }
                    sum = {sum.r + c.r, sum.g + c.g, sum.b + c.b};
                }
            }
            const double n = samples * samples;
            auto channel = [&](double value) {
                return std::clamp(static_cast<int>(std::lround(value / n)), 0, 255);
            };
            image.setPixel(px, py, qRgb(channel(sum.r), channel(sum.g), channel(sum.b)));
        }
    }
    return image;
}

} // namespace

std::vector<NamedPicture> moon_pictures() {
    std::vector<NamedPicture> out;
    out.push_back({QStringLiteral("GIFImagenew"), render_moon(0.0, Lit::none)});
    // (QString::arg would read "%10x" as placeholder 10, so the names are joined by hand.)
    // "d0x" covers a lit share of d tenths up to just below d + 1 tenths: draw the middle of that.
    for (int d = 1; d <= 9; ++d)
        out.push_back({QStringLiteral("GIFImagel") + QString::number(d * 10) + QLatin1Char('x'), render_moon((d + 0.5) / 10.0, Lit::right)});
    out.push_back({QStringLiteral("GIFImageFull"), render_moon(1.0, Lit::full)});
    for (int d = 9; d >= 1; --d)
        out.push_back({QStringLiteral("GIFImage") + QString::number(d * 10) + QLatin1Char('x'), render_moon((d + 0.5) / 10.0, Lit::left)});
    return out;
}

} // namespace art
// clang-format on
