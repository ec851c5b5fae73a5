#pragma once

#include "sample/seeded_random.h"

#include <QColor>
#include <QFont>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

// Small drawing helpers shared by nimbrix-host's pictures.

// Smooth random values on a plane: a 256 x 256 lattice of seeded values joined by smoothstep
// curves, summed over octaves (each half the size and weight of the one before). The lattice
// wraps every 256 units. Values lie in [0, 1].
class NoiseField {
public:
    explicit NoiseField(std::uint64_t seed) {
        for (int i = 0; i < 256 * 256; ++i)
            lattice_[static_cast<std::size_t>(i)] =
                static_cast<float>(unit_random(seed, 0x6e6f697365ULL, i));
    }

    double at(double x, double y, int octaves = 5) const {
        double sum = 0.0;
        double weight = 0.5;
        double total = 0.0;
        for (int o = 0; o < octaves; ++o) {
            sum += weight * plain(x, y);
            total += weight;
            // Each octave turned by about 37 degrees, so the lattice leaves no squares.
            const double turned_x = 0.8 * x - 0.6 * y;
            y = (0.6 * x + 0.8 * y) * 2.0 + 5.9;
            x = turned_x * 2.0 + 17.3;
            weight *= 0.5;
        }
        return sum / total;
    }

private:
    double plain(double x, double y) const {
        const double fx = std::floor(x);
        const double fy = std::floor(y);
        const int ix = static_cast<int>(fx) & 255;
        const int iy = static_cast<int>(fy) & 255;
        double tx = x - fx;
        double ty = y - fy;
        tx = tx * tx * (3 - 2 * tx);
        ty = ty * ty * (3 - 2 * ty);
        const auto v = [this](int cx, int cy) {
            return static_cast<double>(
                lattice_[static_cast<std::size_t>((cy & 255) * 256 + (cx & 255))]);
        };
        const double a = v(ix, iy) + (v(ix + 1, iy) - v(ix, iy)) * tx;
        const double b = v(ix, iy + 1) + (v(ix + 1, iy + 1) - v(ix, iy + 1)) * tx;
        return a + (b - a) * ty;
    }

    std::array<float, 256 * 256> lattice_{};
};

inline double smoothstep(double edge0, double edge1, double x) {
    const double t = std::clamp((x - edge0) / (edge1 - edge0), 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

inline QColor mixed(const QColor& a, const QColor& b, double t) {
    t = std::clamp(t, 0.0, 1.0);
    return QColor::fromRgbF(static_cast<float>(a.redF() + (b.redF() - a.redF()) * t),
                            static_cast<float>(a.greenF() + (b.greenF() - a.greenF()) * t),
                            static_cast<float>(a.blueF() + (b.blueF() - a.blueF()) * t));
}

inline QRgb mixed_rgb(QRgb a, QRgb b, double t) {
    t = std::clamp(t, 0.0, 1.0);
    const auto m = [t](int x, int y) { return static_cast<int>(x + (y - x) * t + 0.5); };
    return qRgb(m(qRed(a), qRed(b)), m(qGreen(a), qGreen(b)), m(qBlue(a), qBlue(b)));
}

// The pictures' lettering: DejaVu Sans at a pixel size.
inline QFont picture_font(int pixel_size, bool bold = false) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixel_size);
    font.setBold(bold);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}
