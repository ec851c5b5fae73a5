#pragma once

class TNMHTTP;

// Every kind of request the program makes with its one HTTP client, and the client settings
// each kind sets before its request. A setting a kind leaves alone keeps the value the last
// user of the client gave it.
enum class RequestKind {
    Idle,             // between requests: what the client holds while it waits
    Conditions,       // the stats driver's conditions request
    ChosenConditions, // the conditions request of the location chooser
    UsagePing,        // the once-per-run usage counter on the maker's host
    Image,            // an image download into its local file
    TextProduct,      // a text product for the forecast window
    ForecastLink,     // the visit to the conditions site before the browser opens it
    VersionCheck,     // the version file on the maker's host
    WarningWatch,     // the warning watch's check of the state's warnings page (background)
};

// The client settings of one kind; a negative number or a null text leaves that setting alone.
struct RequestSettings {
    RequestKind kind;
    int time_out;        // TimeOut, milliseconds
    int input_file_mode; // InputFileMode: 1 on, 0 off
    int output_file_mode;
    int report_level;
    const char* referer; // HeaderInfo.Referer
};

// The row of a kind.
const RequestSettings& request_settings(RequestKind kind);

// Sets the client's settings for a request of this kind.
void apply_request_kind(TNMHTTP& http, RequestKind kind);
