#pragma once

#include <QImage>
#include <QString>

#include <initializer_list>
#include <string_view>
#include <vector>

namespace art {

// One hand-placed layer of a pixel picture: rows of palette characters, '.' is transparent.
struct PixelLayer {
    int x = 0;
    int y = 0;
    std::vector<std::string_view> rows;
    // Pairs of characters "from to" swapped before painting (one shape, several colourings).
    std::string_view remap = {};
    // When set, the layer's transparent pixels that touch a painted one side by side get this
    // character first: a one-pixel outline drawn automatically around hand-placed fills.
    char outline = 0;
};

// Paints the layers in order onto a transparent size × size picture; later layers cover earlier
// ones.
QImage paint_pixel_layers(int size, std::initializer_list<PixelLayer> layers);

struct NamedPicture {
    QString name; // file name without ".png"
    QImage image;
};

// The 13 tray pictures, index 0 … 12 ("sky00" … "sky12").
std::vector<NamedPicture> tray_pictures();

// The program icon at every size it is shipped in ("nimbrix", "nimbrix-16" …).
std::vector<NamedPicture> program_icons();

// The 20 moon-phase pictures, 81 × 65 on black.
std::vector<NamedPicture> moon_pictures();

// One overview picture of everything, on light and dark backgrounds, for looking at the set.
QImage contact_sheet(const std::vector<NamedPicture>& tray, const std::vector<NamedPicture>& icons,
                     const std::vector<NamedPicture>& moons);

} // namespace art
