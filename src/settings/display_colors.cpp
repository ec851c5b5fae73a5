#include "settings/display_colors.h"

#include "platform/desktop.h"
#include "settings/settings_store.h"
#include "shared/program_state.h"

#include <QApplication>
#include <QPalette>

QColor to_qcolor(ColorValue value) {
    if (value == color_none)
        return QColor(Qt::transparent);
    if (!is_system_color(value))
        return QColor(color_red(value), color_green(value), color_blue(value));

    const QPalette palette = QApplication::palette();
    switch (system_color_index(value)) {
    case 0:
        return palette.color(QPalette::Mid); // scroll bar
    case 1:
        return QColor(0x00, 0x80, 0x80); // desktop background
    case 2:
        return palette.color(QPalette::Highlight); // active caption
    case 3:
        return palette.color(QPalette::Mid); // inactive caption
    case 4:
        return palette.color(QPalette::Window); // menu
    case 5:
        return palette.color(QPalette::Base); // window
    case 6:
        return palette.color(QPalette::Shadow); // window frame
    case 7:
        return palette.color(QPalette::WindowText); // menu text
    case 8:
        return palette.color(QPalette::Text); // window text
    case 9:
        return palette.color(QPalette::HighlightedText); // caption text
    case 10:
    case 11:
        return palette.color(QPalette::Button); // borders
    case 12:
        return palette.color(QPalette::Dark); // application workspace
    case 13:
        return palette.color(QPalette::Highlight);
    case 14:
        return palette.color(QPalette::HighlightedText);
    case 15:
        return palette.color(QPalette::Button); // button face
    case 16:
        return palette.color(QPalette::Dark); // button shadow
    case 17:
        return palette.color(QPalette::Disabled, QPalette::Text);
    case 18:
        return palette.color(QPalette::ButtonText);
    case 19:
        return palette.color(QPalette::Disabled, QPalette::WindowText);
    case 20:
        return palette.color(QPalette::Light); // button highlight
    case 21:
        return palette.color(QPalette::Shadow); // 3D dark shadow
    case 22:
        return palette.color(QPalette::Midlight); // 3D light
    case 23:
        return palette.color(QPalette::ToolTipText);
    case 24:
        return palette.color(QPalette::ToolTipBase);
    default:
        return palette.color(QPalette::WindowText);
    }
}

void run_display_color_command(DisplayColorCommand command, ProgramState& state, Desktop& desktop,
                               const std::function<void()>& apply) {
    const DisplayColorRule rule = display_color_rule(command);
    try {
        quint32 initial = 0xFFFFFF;
        if (const auto current = text_to_color(state.chosen_color);
            current && !is_system_color(*current))
            initial = (quint32(color_red(*current)) << 16) | (quint32(color_green(*current)) << 8) |
                      quint32(color_blue(*current));
        const std::optional<quint32> rgb = desktop.choose_color(initial);
        if (!rgb)
            return;
        state.chosen_color = color_to_text(color_value_from_rgb(*rgb));
        if (rule.refuses_black && state.chosen_color == QLatin1String("clBlack")) {
            desktop.beep();
            desktop.message(black_refused_message);
            return;
        }
        apply();
        write_setting(QStringLiteral("Settings"), rule.setting, state.chosen_color);
    } catch (const std::exception&) {
        desktop.message(rule.error_text, Desktop::Box::Error);
    }
}
