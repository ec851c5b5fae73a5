#pragma once

#include "shared/app_error.h"
#include <QString>
#include <QStringList>
#include <optional>

// The rules of the "General Preferences" window that need no window: what a show puts into the
// fields, what "&Okay" writes, the start-up list and the wallpaper names.

// The error of a text that is not a whole number: "'80a' is not a valid integer value".
class ConversionError : public AppError {
public:
    using AppError::AppError;
};

// The text as a whole number: decimal digits only, within the range of an int. Blanks and
// signs are refused ("8080 ", "+8080"), as is an empty text.
std::optional<int> whole_number(const QString& text);

// whole_number, or a ConversionError naming the text.
int whole_number_or_throw(const QString& text);

// The eleven wallpaper names in the order they are added; "&&" is part of the stored name.
QStringList auto_wallpaper_names();

// Ascending alphabetical order without regard to case, as the platform's sorted lists keep it.
bool list_order_less(const QString& a, const QString& b);

// The start-up list of the preferences: the presets followed by "None". It is also the
// working list of the preset rebuild, which switches it to sorted order for the rest of the
// run; in sorted order every added item takes its place in list_order_less order.
class StartupChoices {
public:
    void clear() { items_.clear(); }
    void add(const QString& item);
    bool sorted() const { return sorted_; }
    // Switching on sorts the items already in the list.
    void set_sorted(bool sorted);
    const QStringList& items() const { return items_; }

private:
    QStringList items_;
    bool sorted_ = false;
};

// The warning watch: "y" on; anything else, absent included, off.
inline const QString warn_watch_setting = QStringLiteral("WarnWatch");

// What a show of the window puts into its fields, read from the store. A missing value that
// leaves a field as it was is nothing.
struct PreferencesView {
    bool auto_update_yes = true;
    bool metric = false;
    std::optional<QString> startup_text;
    QString wallpaper_text;
    bool proxy_use = false;
    std::optional<QString> proxy, proxy_port, proxy_userid, proxy_pass;
    bool warn_watch = false;
};

// The stored values as a show puts them into the fields.
PreferencesView read_preferences();

// Refills the start-up list: the presets loc0, loc1, ... up to the first missing one (never
// past loc20), then "None".
void fill_startup_choices(StartupChoices& startup_choices);

// The fields as "&Okay" finds them.
struct PreferencesInput {
    bool auto_update_yes = true;
    QString startup_text;
    bool proxy_ticked = false;
    QString proxy, proxy_port, proxy_userid, proxy_pass;
    bool english = true;
    QString wallpaper_text;
    bool warn_watch = false;
};

// Writes section "Settings" in this order: "AutoUpdate", "StartupLoc", the proxy values (all
// of them when ticked, after the port converted; only "ProxyUse" "n" when not), "Metric",
// "AutoWallpaper", "WarnWatch". A port that is not a whole number raises ConversionError after
// "StartupLoc"; nothing after it is written.
void write_preferences(const PreferencesInput& input);
