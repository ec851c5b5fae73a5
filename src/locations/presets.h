#pragma once

#include <QString>
#include <QStringList>

class Desktop;
class StartupChoices;
struct ProgramState;

// The preset locations: up to 20 location strings kept in the settings section "Locations"
// as loc0 ... loc19 and shown as the items of the "&Get Stats" menu. The store is the truth;
// the menu mirrors it.

inline constexpr int preset_slots = 20;

inline const QString presets_full_message = QStringLiteral(
    "Sorry, you can only have up to 20 preset locations. Please use the Clear option under "
    "Get_Stats to clear the locations and start over.");
inline const QString preset_invalid_message =
    QStringLiteral("Error - invalid location (titlex=n/a)");
inline const QString preset_added_message = QStringLiteral("Location added to Get_Stats presets: ");
inline const QString remove_confirm_message =
    QStringLiteral("Are you sure you want to select and delete a location from the GetStats menu?");
inline const QString remove_select_message = QStringLiteral(
    "Please select (click) the location you would like to remove (from the GetStats menu).");

// The menu side of the presets; the main window implements it.
class PresetMenu {
public:
    virtual ~PresetMenu() = default;
    // Item n (0 to 19) shows text and is visible; any other n does nothing.
    virtual void set_preset_item(int n, const QString& text) = 0;
    // Items 0 to 19 get an empty caption and are hidden.
    virtual void clear_preset_items() = 0;
    virtual void repaint_menu() = 0;
};

// The stored presets in slot order, from loc0 up to the first missing one (never past loc20).
QStringList stored_presets();

// Fills the menu from the store (the main window does this each time it is shown).
void load_presets(PresetMenu& menu);

// After a parse: adds the location just fetched (current_location) unless the request was
// unattended, the store is full, the entry names no place, or it is stored already.
// Leaves the entry it built in state.preset_entry.
void add_preset(ProgramState& state, Desktop& desktop, PresetMenu& menu);

// "Clear all locations": deletes the section, beeps, empties and hides every item.
void clear_presets(Desktop& desktop, PresetMenu& menu);

// "Sort locations", and the removal of the preset equal to current_location.location_text
// while remove_mode is "Y": the presets are stored again in case-insensitive alphabetical
// order from loc0, in one write. The working list is the preferences' start-up list, which
// stays in sorted order for the rest of the run.
void rebuild_presets(ProgramState& state, Desktop& desktop, PresetMenu& menu,
                     StartupChoices& working);

// "Remove a specific location": asks, and on Yes arms remove_mode for the next preset click.
void remove_specific_location(ProgramState& state, Desktop& desktop);
