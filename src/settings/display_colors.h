#pragma once

#include "settings/color_text.h"
#include <QColor>

// The colour a colour value stands for on this desktop: plain colours directly, the system
// colours from the application's palette, "clNone" transparent.
QColor to_qcolor(ColorValue value);

// The colour value of a colour chosen in a dialog (0xRRGGBB).
inline ColorValue color_value_from_rgb(quint32 rgb) {
    return color_from_rgb(int((rgb >> 16) & 0xFF), int((rgb >> 8) & 0xFF), int(rgb & 0xFF));
}
