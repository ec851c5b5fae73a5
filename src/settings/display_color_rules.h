#pragma once

#include <QString>

// The three colour commands of the main window's "&Preferences" menu: the value each stores,
// the text shown when the command fails, and whether black is refused (the value labels stand
// on the black window).
enum class DisplayColorCommand { LabelColor, LabelFontColor, StatsFontColor };

struct DisplayColorRule {
    QString setting;
    QString error_text;
    bool refuses_black;
};

inline DisplayColorRule display_color_rule(DisplayColorCommand command) {
    // The "&Label Color" text has no period; the two font commands' texts have one.
    switch (command) {
    case DisplayColorCommand::LabelColor:
        return {QStringLiteral("labelcolor"),
                QStringLiteral("Error - Color selection dialog failed to load"), false};
    case DisplayColorCommand::LabelFontColor:
        return {QStringLiteral("Labelfcolor"),
                QStringLiteral("Error - Color selection dialog failed to load."), false};
    case DisplayColorCommand::StatsFontColor:
        break;
    }
    return {QStringLiteral("statsfcolor"),
            QStringLiteral("Error - Color selection dialog failed to load."), true};
}

inline const QString black_refused_message =
    QStringLiteral("Sorry, black is the background color.  Please choose another color.");
