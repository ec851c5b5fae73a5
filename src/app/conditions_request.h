#pragma once

#include "net/request_kinds.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>

class Desktop;
class TNMHTTP;
struct ProgramState;

// What a conditions request needs from the window whose readout it fills: the main window.
class ConditionsView {
public:
    virtual ~ConditionsView() = default;
    // Panel 0 of the status bar.
    virtual void set_status(const QString& text) = 0;
    virtual void repaint_now() = 0;
    // Labels, heading, tray icon, presets and caption from a downloaded page.
    virtual void parse_conditions_page(const QByteArray& page) = 0;
    // Heat index and wind chill where the page gave none.
    virtual void compute_derived_values() = 0;
    virtual void show_moon_phase() = 0;
    // How many times the user's abort command has run; a change during the usage ping means
    // the user ended the whole command, not that the ping failed.
    virtual int user_aborts() const = 0;
};

// Everything one request works with.
struct ConditionsContext {
    ProgramState& state;
    Desktop& desktop;
    TNMHTTP& http;
    ConditionsView& view;
};

// How the two callers of the request differ: the stats driver, which starts from a location
// string, and the location chooser, which has set the fields from its tree or zip entry.
struct ConditionsCaller {
    RequestKind kind; // client settings (the driver reports more steps)
    // The region of the US URL form: "US" from a location string, "United States" from the tree.
    const char* us_region;
    // The fields come from current_location.location_text, read first. Otherwise they hold
    // the tree's spelling: the window is repainted and a foreign place gets " (O)" after its
    // country and blanks for "_" before its station is looked up.
    bool from_location_text;
    // Message before a station of fewer than 2 characters, or null where no such check runs.
    const char* short_station_text;
    // Message before a station the catalogue does not know ("n/a").
    const char* invalid_station_text;
    // "Attempting connection..." before the request.
    bool announce_attempt;
    // A reply that leaves state or city empty (without a zip) ends with a message.
    bool check_missing_fields;
    // A failed request: this text in a message box, else "Error retrieving data..." in panel 0.
    const char* failure_message;
    // Heat index and wind chill are computed after a failed request too.
    bool derive_after_failure;
    // The location string is cleared once the request has used it.
    bool clear_location_text;
    // Every way out ends as end_request_with_usage_ping does; otherwise the idle text closes
    // a finished request and an invalid station ends it at once.
    bool end_with_usage_ping;
};

extern const ConditionsCaller driver_conditions;
extern const ConditionsCaller chooser_conditions;

// The conditions request for current_location: client settings, URL on the "Conditions" host
// (by zip, US state and city, or the foreign station), the request, then the page parsed into
// the view, derived values and the moon picture. Client errors end it and reach the caller.
void request_conditions(const ConditionsContext& context, const ConditionsCaller& caller);

// A request started by the user while another waits is refused with the client's
// "Already connected" before it changes anything; a background check is ended for it instead
// (CommandRetry: the command runs again once the check has unwound).
void refuse_when_busy(TNMHTTP& http);

// The once-per-run usage ping to the maker's host, then the client's idle settings and
// request_ok cleared. A host that cannot be reached costs a status text only; the user's abort
// during the ping ends the command with the client's error.
void send_usage_ping(const ConditionsContext& context);

// The chooser's ending: request_ok cleared, the client idle, the idle text, the usage ping.
void end_request_with_usage_ping(const ConditionsContext& context);

// The handlers of the client's thirteen events, connected when this is created (which also
// gives the client its idle settings): progress texts through report (the forecast window's
// status line while xcast_code is set, else panel 0), a few texts always in panel 0, and
// request_ok set on success. A background request (the warning watch's) reports nothing.
class ClientEvents : public QObject {
public:
    ClientEvents(TNMHTTP& http, ProgramState& state, ConditionsView& view,
                 const std::function<void(const QString&)>& forecast_status, QObject* parent);

    void report(const QString& text);

    void NMHTTP1Connect();
    void NMHTTP1AboutToSend();
    void NMHTTP1AuthenticationNeeded();
    void NMHTTP1ConnectionFailed();
    void NMHTTP1Disconnect();
    void NMHTTP1Failure(int Cmd);
    void NMHTTP1HostResolved();
    void NMHTTP1InvalidHost(bool& Handled);
    void NMHTTP1PacketRecvd();
    void NMHTTP1PacketSent();
    void NMHTTP1Redirect(bool& Handled);
    void NMHTTP1Status(const QString& Status);
    void NMHTTP1Success(int Cmd);

private:
    TNMHTTP& http_;
    ProgramState& state_;
    ConditionsView& view_;
    const std::function<void(const QString&)>& forecast_status_;
};
