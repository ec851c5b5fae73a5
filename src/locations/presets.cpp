#include "locations/presets.h"

#include "locations/location_string.h"
#include "platform/desktop.h"
#include "settings/preferences_rules.h"
#include "settings/settings_store.h"
#include "shared/program_state.h"

namespace {

const QString section = QStringLiteral("Locations");

QString slot_name(int n) {
    return QStringLiteral("loc%1").arg(n);
}

// A location string that names no place: the page gave no place name (" (O)" alone), a zip
// entry without its city, or a US entry without a city.
bool names_no_place(const CurrentLocation& location, const PresetLocation& preset) {
    if (location.zip.size() >= 2)
        return preset.place_city.trimmed().isEmpty();
    if (has_foreign_marker(location.state))
        return location.place_name.trimmed().isEmpty();
    return location.city.trimmed().isEmpty();
}

} // namespace

QStringList stored_presets() {
    QStringList presets;
    for (int n = 0; n <= preset_slots; ++n) {
        const QString value = read_setting(section, slot_name(n));
        if (value == setting_absent)
            break;
        presets << value;
    }
    return presets;
}

void load_presets(PresetMenu& menu) {
    const QStringList presets = stored_presets();
    for (int n = 0; n < presets.size(); ++n)
        menu.set_preset_item(n, presets[n]);
}

void add_preset(ProgramState& state, Desktop& desktop, PresetMenu& menu) {
    if (state.auto_request == QLatin1String("y"))
        return;

    int free_slot = -1;
    for (int n = 0; n < preset_slots && free_slot < 0; ++n)
        if (read_setting(section, slot_name(n)) == setting_absent)
            free_slot = n;
    if (free_slot < 0) {
        desktop.message(presets_full_message);
        return;
    }

    state.preset_entry = setting_absent;
    CurrentLocation& location = state.current_location;
    const PresetLocation preset = preset_location_string(location);
    if (location.zip.size() >= 2) {
        state.place_city = preset.place_city;
        location.state_code = preset.state_code;
        location.state = preset.state_code;
    }
    if (names_no_place(location, preset)) {
        desktop.message(preset_invalid_message);
        return;
    }

    const QString& entry = preset.entry;
    for (int n = 0; n <= preset_slots; ++n) {
        if (read_setting(section, slot_name(n)) == entry) {
            state.preset_entry = entry;
            return;
        }
    }
    state.preset_entry = entry;
    // Said once the entry is stored: a refused write ends here with the store's error.
    write_setting(section, slot_name(free_slot), entry);
    desktop.message(preset_added_message + entry);
    menu.set_preset_item(free_slot, entry);
    menu.repaint_menu();
}

void clear_presets(Desktop& desktop, PresetMenu& menu) {
    delete_setting_section(section);
    desktop.beep();
    menu.clear_preset_items();
    menu.repaint_menu();
}

void rebuild_presets(ProgramState& state, Desktop& desktop, PresetMenu& menu,
                     StartupChoices& working) {
    working.clear();
    const bool removing = state.remove_mode == QLatin1String("Y");
    for (const QString& preset : stored_presets())
        if (!removing || preset != state.current_location.location_text)
            working.add(preset);
    working.set_sorted(true);

    // Stored in one write, so a store that refuses it still holds every preset.
    const QStringList& sorted = working.items();
    QList<QPair<QString, QString>> values;
    for (int n = 0; n < sorted.size() && n < preset_slots; ++n)
        values.append({slot_name(n), sorted[n]});
    replace_setting_section(section, values);
    desktop.beep(); // the clearing's beep
    menu.clear_preset_items();
    for (int n = 0; n < values.size(); ++n)
        menu.set_preset_item(n, values[n].second);
    menu.repaint_menu();
    desktop.beep();
}

void remove_specific_location(ProgramState& state, Desktop& desktop) {
    if (!desktop.confirm(remove_confirm_message))
        return;
    state.remove_mode = QStringLiteral("Y");
    desktop.message(remove_select_message);
}
