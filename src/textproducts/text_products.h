#pragma once

#include <QString>
#include <optional>
#include <span>

// The ten text products: their codes, menu commands, texts, hosts and paths, and how the
// forecast window asks for them. Pure rules; the window applies them.

enum class InputRow { None, County, State, Zip };

// How a downloaded body is turned into the text area's content.
enum class ProductDisplay {
    CensusTable,  // "si", "ss": the raw body up to its link, fixed font
    CensusDetail, // "s1", "s2": tags stripped, up to the first link, fixed font, closing lines
    Hydro,        // "h": fixed font, tags stripped, bulletin text
    Bulletin,     // "p", "w", "sw": tags stripped, bulletin text
    Nowcast,      // "n": tags stripped, cut to the county
    Forecast,     // "f" and any other code: tags stripped, cut to the county
};

struct TextProduct {
    const char* code;
    const char* menu_item;    // the main window's command
    const char* menu_caption; // its caption
    const char* start_status;
    // "<City>" and "<State>" stand for current_location.city and .state.
    const char* caption;
    const char* host_role;
    // "<State>" stands for the state code, "<Selection>" for the census selection.
    const char* path;
    InputRow input;
    ProductDisplay display;
};

std::span<const TextProduct> text_products();

// The row of a code; nullptr for a code outside the table.
const TextProduct* find_text_product(const QString& code);

// True for the six weather-service bulletins, which need the location's state code.
bool is_bulletin(const QString& code);

// The product starts when the window is activated, not on "&Get it".
bool starts_at_once(const QString& code);

// The input row the forecast window shows for the code.
InputRow input_row(const QString& code);

// What get_xcast does before it connects.
struct XcastRequest {
    QString start_status;
    QString caption; // empty: the caption stays (the bulletin refusal comes before it)
    // A refusal: this box, " Thank you for using Nimbrix..." in the status line, no request.
    QString refusal;
    QString host_role;
    QString path;
};

// The request for `code`: start status and caption from the table (a code outside it is
// served as the forecast), the path with the state code, the census selection or the zip, or
// a refusal: a bulletin without a state code or for a place outside the US (a state such as
// "France (O)"), a zip of fewer than 5 characters. Blanks and control characters in the path
// go as "%XX" ("11,District%20of%20Columbia").
XcastRequest xcast_request(const QString& code, const QString& city, const QString& state,
                           const QString& zip_text, const QString& census_selection);

// The location the forecast window falls back on when current_location.state is empty, read
// from the main window's caption "Nimbrix - " + display text: the text before the first comma
// is the city, the text from the second character after it the state (both empty without a
// comma). A "(" after the caption's first character marks a foreign location.
struct CaptionLocation {
    QString city;
    QString state;
    bool foreign = false;
};
CaptionLocation location_from_main_caption(const QString& caption);

inline const QString foreign_location_message =
    QStringLiteral("Sorry, at the moment, TEXT forecasts are only available for US States.");

inline const QString xcast_idle = QStringLiteral(" Thank you for using Nimbrix...");
inline const QString no_state_refusal = QStringLiteral(
    "A stats location has not been selected. You will need to select a location (under "
    "Options) or view current stats before viewing forecasts.");
inline const QString invalid_zip_refusal = QStringLiteral("Sorry, you entered an invalid zip.");
inline const QString foreign_location_refusal =
    QStringLiteral("Text forecasts and bulletins are only available for US locations");
