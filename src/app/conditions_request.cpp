#include "app/conditions_request.h"

#include "app/stats_request.h"
#include "locations/catalogue_lookups.h"
#include "net/nmhttp.h"
#include "net/sock_errors.h"
#include "platform/desktop.h"
#include "settings/host_table.h"
#include "shared/app_error.h"
#include "shared/program_state.h"
#include "shared/replace_all.h"

const ConditionsCaller driver_conditions = {
    .kind = RequestKind::Conditions,
    .us_region = "US",
    .from_location_text = true,
    .short_station_text = "Error in Unit1 - Invalid city:",
    .invalid_station_text = "Error - Invalid city:",
    .announce_attempt = false,
    .check_missing_fields = false,
    .failure_message = nullptr,
    .derive_after_failure = false,
    .clear_location_text = true,
    .end_with_usage_ping = false,
};

const ConditionsCaller chooser_conditions = {
    .kind = RequestKind::ChosenConditions,
    .us_region = "United States",
    .from_location_text = false,
    .short_station_text = nullptr,
    .invalid_station_text = "Error - Invalid station:",
    .announce_attempt = true,
    .check_missing_fields = true,
    .failure_message = "Error retrieving data...(Unit_Location)",
    .derive_after_failure = true,
    .clear_location_text = false,
    .end_with_usage_ping = true,
};

void refuse_when_busy(TNMHTTP& http) {
    http.claim();
}

void send_usage_ping(const ConditionsContext& context) {
    ProgramState& state = context.state;
    TNMHTTP& http = context.http;
    if (state.counter_sent != QLatin1String("Y") && !http.busy()) {
        state.counter_sent = QStringLiteral("Y");
        apply_request_kind(http, RequestKind::UsagePing);
        const int aborts_before = context.view.user_aborts();
        try {
            http.Get(host_root_url(QStringLiteral("Maker")) +
                     QStringLiteral("assets/NimbrixCount.txt"));
            context.view.set_status(status_idle); // the ping's own event texts do not stay behind
        } catch (const AppError&) {
            http.Body.clear();
            if (context.view.user_aborts() != aborts_before) {
                state.request_ok.clear();
                apply_request_kind(http, RequestKind::Idle);
                throw; // the user ended the command, not only the ping
            }
            // The counter is the maker's business: the request the user asked for goes on.
            context.view.set_status(QStringLiteral("Usage ping failed..."));
        }
        http.Body.clear();
    }
    state.request_ok.clear();
    apply_request_kind(http, RequestKind::Idle);
}

void end_request_with_usage_ping(const ConditionsContext& context) {
    context.state.request_ok.clear();
    apply_request_kind(context.http, RequestKind::Idle);
    context.view.set_status(status_idle);
    context.view.repaint_now();
    send_usage_ping(context);
}

namespace {

// The URL of the request; empty when a foreign station is not known (the message is shown).
QString conditions_url(const ConditionsContext& context, const ConditionsCaller& caller) {
    CurrentLocation& location = context.state.current_location;
    const QString root = host_root_url(QStringLiteral("Conditions"));
    if (location.zip.size() >= 2)
        return conditions_url_by_zip(root, location.zip);
    if (location.region == QLatin1String(caller.us_region))
        return conditions_url_us(root, location.state, location.city);
    if (!caller.from_location_text) {
        location.state += QStringLiteral(" (O)");
        location.city = replace_all(location.city, QStringLiteral("_"), QStringLiteral(" "));
    }
    lookup_station(context.state, context.desktop);
    location.city = location.station;
    if (caller.short_station_text && location.city.size() < 2) {
        context.desktop.message(QLatin1String(caller.short_station_text) + location.city);
        return {};
    }
    if (location.city == QLatin1String("n/a")) {
        context.desktop.message(QLatin1String(caller.invalid_station_text) + location.city);
        return {};
    }
    return conditions_url_station(root, location.city);
}

} // namespace

void request_conditions(const ConditionsContext& context, const ConditionsCaller& caller) {
    ProgramState& state = context.state;
    CurrentLocation& location = state.current_location;
    ConditionsView& view = context.view;
    auto finish = [&] {
        if (caller.end_with_usage_ping)
            end_request_with_usage_ping(context);
    };

    if (caller.from_location_text) {
        read_request_location(state);
    } else {
        // A location string left by a driver request that stopped early names another place.
        location.location_text.clear();
        view.repaint_now();
    }
    apply_request_kind(context.http, caller.kind);

    const QString url = conditions_url(context, caller);
    if (url.isEmpty()) {
        finish();
        return;
    }
    state.request_url = url;
    if (caller.announce_attempt)
        view.set_status(QStringLiteral("Attempting connection..."));
    context.http.Get(url);

    const QByteArray page = context.http.Body;
    view.set_status(QStringLiteral("Connection process complete..."));
    view.repaint_now();
    if (caller.check_missing_fields && (location.state.isEmpty() || location.city.isEmpty()) &&
        location.zip.isEmpty()) {
        context.desktop.message(
            QStringLiteral("Error - missing data found. (Unit_location). State=") + location.state +
            QStringLiteral("/ City = ") + location.city + QStringLiteral("/ Country = ") +
            location.region);
        finish();
        return;
    }
    const bool succeeded = state.request_ok == QLatin1String("Y");
    if (succeeded)
        view.parse_conditions_page(page);
    else if (caller.failure_message)
        context.desktop.message(QLatin1String(caller.failure_message));
    else
        view.set_status(QStringLiteral("Error retrieving data..."));
    if (caller.derive_after_failure) {
        state.request_ok.clear();
        view.repaint_now();
        view.compute_derived_values();
    } else {
        if (succeeded)
            view.compute_derived_values();
        state.request_ok.clear();
    }
    if (caller.clear_location_text)
        location.location_text.clear();

    view.set_status(QStringLiteral("Processing moon phase image..."));
    view.show_moon_phase();
    if (caller.end_with_usage_ping) {
        view.set_status(QString());
        view.repaint_now();
        finish();
    } else {
        view.set_status(status_idle);
    }
}

ClientEvents::ClientEvents(TNMHTTP& http, ProgramState& state, ConditionsView& view,
                           const std::function<void(const QString&)>& forecast_status,
                           QObject* parent)
    : QObject(parent), http_(http), state_(state), view_(view), forecast_status_(forecast_status) {
    apply_request_kind(http, RequestKind::Idle);
    connect(&http, &TNMHTTP::OnConnect, this, &ClientEvents::NMHTTP1Connect);
    connect(&http, &TNMHTTP::OnAboutToSend, this, &ClientEvents::NMHTTP1AboutToSend);
    connect(&http, &TNMHTTP::OnAuthenticationNeeded, this,
            &ClientEvents::NMHTTP1AuthenticationNeeded);
    connect(&http, &TNMHTTP::OnConnectionFailed, this, &ClientEvents::NMHTTP1ConnectionFailed);
    connect(&http, &TNMHTTP::OnDisconnect, this, &ClientEvents::NMHTTP1Disconnect);
    connect(&http, &TNMHTTP::OnFailure, this, &ClientEvents::NMHTTP1Failure);
    connect(&http, &TNMHTTP::OnHostResolved, this, &ClientEvents::NMHTTP1HostResolved);
    connect(&http, &TNMHTTP::OnInvalidHost, this, &ClientEvents::NMHTTP1InvalidHost);
    connect(&http, &TNMHTTP::OnPacketRecvd, this, &ClientEvents::NMHTTP1PacketRecvd);
    connect(&http, &TNMHTTP::OnPacketSent, this, &ClientEvents::NMHTTP1PacketSent);
    connect(&http, &TNMHTTP::OnRedirect, this, &ClientEvents::NMHTTP1Redirect);
    connect(&http, &TNMHTTP::OnStatus, this, &ClientEvents::NMHTTP1Status);
    connect(&http, &TNMHTTP::OnSuccess, this, &ClientEvents::NMHTTP1Success);
}

void ClientEvents::report(const QString& text) {
    if (http_.background()) // the watch's check shows nothing
        return;
    if (!state_.xcast_code.isEmpty() && forecast_status_)
        forecast_status_(text);
    else
        view_.set_status(text);
}

void ClientEvents::NMHTTP1Connect() {
    report(QStringLiteral("Connected..."));
}
void ClientEvents::NMHTTP1AboutToSend() {
    report(QStringLiteral("Sending request..."));
}
void ClientEvents::NMHTTP1AuthenticationNeeded() {
    report(QStringLiteral("Authentication needed..."));
}
void ClientEvents::NMHTTP1ConnectionFailed() {
    report(QStringLiteral("Connection Failed..."));
}
void ClientEvents::NMHTTP1Disconnect() {
    report(QStringLiteral("Disconnected..."));
}
void ClientEvents::NMHTTP1HostResolved() {
    report(QStringLiteral("Host resolved..."));
}
void ClientEvents::NMHTTP1InvalidHost(bool&) {
    report(QStringLiteral("Invalid host..."));
}
void ClientEvents::NMHTTP1Redirect(bool&) {
    report(QStringLiteral("Redirected..."));
}

void ClientEvents::NMHTTP1PacketRecvd() {
    report(packet_received_text(http_.ReceivedBytes, http_.TotalBytes));
}

void ClientEvents::NMHTTP1Status(const QString& Status) {
    report(QStringLiteral("Status = ") + Status);
    if (http_.ReplyCode == 404 && !http_.background())
        view_.set_status(QStringLiteral("Error 404 - Object Not Found"));
}

void ClientEvents::NMHTTP1PacketSent() {
    if (!http_.background())
        view_.set_status(QStringLiteral("Packet sent..."));
}

void ClientEvents::NMHTTP1Failure(int Cmd) {
    const QString text = command_failure_text(Cmd);
    if (!text.isEmpty() && !http_.background())
        view_.set_status(text);
}

void ClientEvents::NMHTTP1Success(int Cmd) {
    if (http_.background())
        return; // the watch reads the reply code itself; request_ok is the commands' flag
    report(command_success_text(Cmd));
    state_.request_ok = QStringLiteral("Y");
}
