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

#include "settings/display_color_rules.h"
#include <functional>

class Desktop;
struct ProgramState;

// A colour command: the colour dialog (from the colour in chosen_color when it is one), then
// chosen_color := the chosen colour's text, apply(), and the value stored. Cancel does nothing;
// black for the value labels beeps and is refused. Any error shows the command's error text;
// what was applied before it stays applied.
void run_display_color_command(DisplayColorCommand command, ProgramState& state, Desktop& desktop,
                               const std::function<void()>& apply);
