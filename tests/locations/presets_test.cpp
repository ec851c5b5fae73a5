#include "locations/presets.h"
#include "settings/preferences_rules.h"
#include "settings/settings_store.h"
#include "shared/program_state.h"
#include "support/recording_desktop.h"
#include "support/temp_settings.h"

#include <gtest/gtest.h>
#include <map>

namespace {

const QString L = QStringLiteral("Locations");

// The Get Stats menu as the presets see it: item captions and visibility.
class FakeMenu : public PresetMenu {
public:
    void set_preset_item(int n, const QString& text) override {
        if (n >= 0 && n < preset_slots)
            items[n] = text;
    }
    void clear_preset_items() override { items.clear(); }
    void repaint_menu() override { ++repaints; }
    std::map<int, QString> items; // visible items
    int repaints = 0;
};

class Presets : public ::testing::Test {
protected:
    void store_presets(const QStringList& presets) {
        for (int n = 0; n < presets.size(); ++n)
            write_setting(L, QStringLiteral("loc%1").arg(n), presets[n]);
    }
    void us_request(const char* city, const char* state_code) {
        state.current_location = CurrentLocation{};
        state.current_location.city = QLatin1String(city);
        state.current_location.state = QLatin1String(state_code);
        state.current_location.region = QStringLiteral("US");
    }

    TempSettings store;
    ProgramState state;
    RecordingDesktop desktop;
    FakeMenu menu;
    StartupChoices working;
};

} // namespace

TEST_F(Presets, EachRequestFormBuildsItsEntry) {
    const struct {
        const char* zip;
        const char* city;
        const char* state;
        const char* place_name;
        const char* entry; // nullptr: refused as naming no place
    } rows[] = {
        {"", "Los_Angeles", "CA", "Los Angeles, California", "Los_Angeles, CA"},
        {"60601", "60601", ".", "Chicago, Illinois", "60601 - Chicago, IL"},
        {"70112", "70112", ".", "New Orleans, Lousiana", "70112 - New Orleans, LA"},
        {"", "62366", "Egypt (O)", "Cairo, Egypt", "Cairo, Egypt (O)"},
        {"", "71623", "Ontario (O)", "London, Ontario", "London, Ontario (O)"},
        {"", "62366", "Egypt (O)", "", nullptr}, // the page gave no place name
        {"12345", "12345", ".", "", nullptr},    // zip page without a place
        {"60601", "60601", ".", ", Illinois", nullptr},
        {"", "", "", "", nullptr}, // US request without a city
    };
    for (const auto& row : rows) {
        TempSettings fresh;
        desktop.clear();
        menu.items.clear();
        state.current_location = CurrentLocation{};
        state.current_location.zip = QLatin1String(row.zip);
        state.current_location.city = QLatin1String(row.city);
        state.current_location.state = QLatin1String(row.state);
        state.current_location.place_name = QLatin1String(row.place_name);
        state.preset_entry.clear();
        add_preset(state, desktop, menu);
        if (row.entry) {
            EXPECT_EQ(state.preset_entry, QLatin1String(row.entry));
            EXPECT_EQ(desktop.messages(),
                      QStringList{preset_added_message + QLatin1String(row.entry)});
            EXPECT_EQ(read_setting(L, QStringLiteral("loc0")), QLatin1String(row.entry));
            EXPECT_EQ(menu.items[0], QLatin1String(row.entry));
        } else {
            EXPECT_EQ(state.preset_entry, QStringLiteral("n/a")) << row.place_name;
            EXPECT_EQ(desktop.messages(), QStringList{preset_invalid_message});
            EXPECT_EQ(read_setting(L, QStringLiteral("loc0")), setting_absent);
            EXPECT_TRUE(menu.items.empty());
        }
    }
}

TEST_F(Presets, ZipRequestTakesTheCodeOfThePlaceName) {
    state.current_location.zip = QStringLiteral("60601");
    state.current_location.state = QStringLiteral(".");
    state.current_location.place_name = QStringLiteral("Chicago, Illinois");
    add_preset(state, desktop, menu);
    EXPECT_EQ(state.current_location.state, QStringLiteral("IL"));
    EXPECT_EQ(state.current_location.state_code, QStringLiteral("IL"));
    EXPECT_EQ(state.place_city, QStringLiteral("Chicago"));
}

TEST_F(Presets, AStoredEntryIsNotAddedTwiceAndUnattendedRequestsAddNothing) {
    us_request("Los_Angeles", "CA");
    add_preset(state, desktop, menu);
    desktop.clear();
    add_preset(state, desktop, menu);
    EXPECT_TRUE(desktop.events.isEmpty());
    EXPECT_EQ(state.preset_entry, QStringLiteral("Los_Angeles, CA"));
    EXPECT_EQ(stored_presets(), QStringList{QStringLiteral("Los_Angeles, CA")});

    us_request("Austin", "TX");
    state.preset_entry = QStringLiteral("before");
    state.auto_request = QStringLiteral("y");
    add_preset(state, desktop, menu);
    EXPECT_EQ(state.preset_entry, QStringLiteral("before"));
    EXPECT_EQ(stored_presets().size(), 1);
    EXPECT_TRUE(desktop.events.isEmpty());
}

TEST_F(Presets, TwentySlotsAtMost) {
    QStringList twenty;
    for (int n = 0; n < 20; ++n)
        twenty << QStringLiteral("Town%1, TX").arg(n);
    store_presets(twenty);
    us_request("Austin", "TX");
    state.preset_entry = QStringLiteral("before");
    add_preset(state, desktop, menu);
    EXPECT_EQ(desktop.messages(), QStringList{presets_full_message});
    EXPECT_EQ(state.preset_entry, QStringLiteral("before"));
    EXPECT_EQ(stored_presets(), twenty);
}

TEST_F(Presets, AGapStopsLoadingAndIsFilledByTheNextAdd) {
    write_setting(L, QStringLiteral("loc0"), QStringLiteral("Austin, TX"));
    write_setting(L, QStringLiteral("loc2"), QStringLiteral("Behind the gap, TX"));
    load_presets(menu);
    EXPECT_EQ(menu.items.size(), 1u);
    EXPECT_EQ(stored_presets(), QStringList{QStringLiteral("Austin, TX")});

    us_request("Dallas", "TX");
    add_preset(state, desktop, menu);
    EXPECT_EQ(read_setting(L, QStringLiteral("loc1")), QStringLiteral("Dallas, TX"));
    EXPECT_EQ(menu.items[1], QStringLiteral("Dallas, TX"));
    // The value behind the gap counts as stored: adding it again adds nothing.
    us_request("Behind the gap", "TX");
    desktop.clear();
    add_preset(state, desktop, menu);
    EXPECT_TRUE(desktop.events.isEmpty());
}

TEST_F(Presets, SortStoresCaseInsensitiveOrderWithTwoBeeps) {
    store_presets({QStringLiteral("paris, France (O)"), QStringLiteral("Austin, TX"),
                   QStringLiteral("Zurich, Switzerland (O)")});
    rebuild_presets(state, desktop, menu, working);
    const QStringList expected{QStringLiteral("Austin, TX"), QStringLiteral("paris, France (O)"),
                               QStringLiteral("Zurich, Switzerland (O)")};
    EXPECT_EQ(working.items(), expected);
    // The working list stays sorted: what is added later takes its place in the order.
    working.add(QStringLiteral("None"));
    EXPECT_EQ(working.items().indexOf(QStringLiteral("None")), 1);
    EXPECT_EQ(stored_presets(), expected);
    EXPECT_EQ(desktop.log(), (QStringList{QStringLiteral("beep"), QStringLiteral("beep")}));
    EXPECT_EQ(menu.items.size(), 3u);
    EXPECT_EQ(menu.items[1], QStringLiteral("paris, France (O)"));
}

TEST_F(Presets, RemoveModeDropsTheClickedPresetAndRenumbers) {
    store_presets({QStringLiteral("Zurich, Switzerland (O)"), QStringLiteral("Austin, TX"),
                   QStringLiteral("Cairo, Egypt (O)"), QStringLiteral("Boise, ID")});
    desktop.confirm_answers = {true};
    remove_specific_location(state, desktop);
    EXPECT_EQ(state.remove_mode, QStringLiteral("Y"));
    EXPECT_EQ(desktop.log(), (QStringList{QStringLiteral("confirm: ") + remove_confirm_message,
                                          QStringLiteral("message: ") + remove_select_message}));
    state.current_location.location_text = QStringLiteral("Cairo, Egypt (O)");
    rebuild_presets(state, desktop, menu, working);
    EXPECT_EQ(stored_presets(),
              (QStringList{QStringLiteral("Austin, TX"), QStringLiteral("Boise, ID"),
                           QStringLiteral("Zurich, Switzerland (O)")}));
    EXPECT_EQ(read_setting(L, QStringLiteral("loc3")), setting_absent);
}

TEST_F(Presets, AnsweringNoLeavesEverythingAsItWas) {
    desktop.confirm_answers = {false};
    remove_specific_location(state, desktop);
    EXPECT_TRUE(state.remove_mode.isEmpty());
    EXPECT_EQ(desktop.messages(), QStringList{});
}

TEST_F(Presets, ClearBeepsAndHidesEvenWhenNothingIsStored) {
    menu.items[3] = QStringLiteral("left over");
    clear_presets(desktop, menu);
    EXPECT_EQ(desktop.log(), QStringList{QStringLiteral("beep")});
    EXPECT_TRUE(menu.items.empty());
    store_presets({QStringLiteral("Austin, TX")});
    clear_presets(desktop, menu);
    EXPECT_TRUE(stored_presets().isEmpty());
}

TEST_F(Presets, ARefusedAddSaysNothingWasAdded) {
    us_request("Austin", "TX");
    const HeldStoreLock lock = store.hold_lock();
    ASSERT_TRUE(lock.held());
    EXPECT_THROW(add_preset(state, desktop, menu), SettingsError);
    EXPECT_TRUE(desktop.messages().isEmpty()) << desktop.messages().join('|').toStdString();
    EXPECT_TRUE(menu.items.empty());
    EXPECT_TRUE(stored_presets().isEmpty());
}

TEST_F(Presets, ARefusedRebuildKeepsEveryPreset) {
    const QStringList presets{QStringLiteral("b, TX"), QStringLiteral("a, TX")};
    store_presets(presets);
    const HeldStoreLock lock = store.hold_lock();
    ASSERT_TRUE(lock.held());
    EXPECT_THROW(rebuild_presets(state, desktop, menu, working), SettingsError);
    EXPECT_EQ(stored_presets(), presets);
}
