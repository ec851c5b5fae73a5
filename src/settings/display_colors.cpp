#include "settings/display_colors.h"

#include <QApplication>
#include <QPalette>

QColor to_qcolor(ColorValue value) {
    if (value == color_none)
        return QColor(Qt::transparent);
    if (!is_system_color(value))
        return QColor(color_red(value), color_green(value), color_blue(value));

    const QPalette palette = QApplication::palette();
    switch (system_color_index(value)) {
    case 0: return palette.color(QPalette::Mid);          // scroll bar
    case 1: return QColor(0x00, 0x80, 0x80);              // desktop background
    case 2: return palette.color(QPalette::Highlight);    // active caption
    case 3: return palette.color(QPalette::Mid);          // inactive caption
    case 4: return palette.color(QPalette::Window);       // menu
    case 5: return palette.color(QPalette::Base);         // window
    case 6: return palette.color(QPalette::Shadow);       // window frame
    case 7: return palette.color(QPalette::WindowText);   // menu text
    case 8: return palette.color(QPalette::Text);         // window text
    case 9: return palette.color(QPalette::HighlightedText); // caption text
    case 10:
    case 11: return palette.color(QPalette::Button);      // borders
    case 12: return palette.color(QPalette::Dark);        // application workspace
    case 13: return palette.color(QPalette::Highlight);
    case 14: return palette.color(QPalette::HighlightedText);
    case 15: return palette.color(QPalette::Button);      // button face
    case 16: return palette.color(QPalette::Dark);        // button shadow
    case 17: return palette.color(QPalette::Disabled, QPalette::Text);
    case 18: return palette.color(QPalette::ButtonText);
    case 19: return palette.color(QPalette::Disabled, QPalette::WindowText);
    case 20: return palette.color(QPalette::Light);       // button highlight
    case 21: return palette.color(QPalette::Shadow);      // 3D dark shadow
    case 22: return palette.color(QPalette::Midlight);    // 3D light
    case 23: return palette.color(QPalette::ToolTipText);
    case 24: return palette.color(QPalette::ToolTipBase);
    default: return palette.color(QPalette::WindowText);
    }
}
