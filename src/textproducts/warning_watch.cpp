#include "textproducts/warning_watch.h"

#include "net/nmhttp.h"
#include "net/request_kinds.h"
#include "platform/desktop_notifications.h"
#include "settings/host_table.h"
#include "settings/preferences_rules.h"
#include "settings/settings_store.h"
#include "shared/app_error.h"
#include "textproducts/text_products.h"
#include "tray/on_tray.h"

#include <QAction>
#include <QTimer>
#include <algorithm>

namespace {

const QString settings_section = QStringLiteral("Settings");

// The client goes back to its settings between requests however the check ends.
struct IdleAfter {
    TNMHTTP& client;
    ~IdleAfter() { apply_request_kind(client, RequestKind::Idle); }
};

} // namespace

WarningWatch::WarningWatch(TNMHTTP& client, TOnTray& tray, QObject* parent)
    : QObject(parent), client_(client), tray_(tray), notifications_(new DesktopNotifications(this)),
      timer_(new QTimer(this)), soon_(new QTimer(this)), end_timer_(new QTimer(this)) {
    setObjectName(QStringLiteral("WarningWatch"));
    timer_->setInterval(check_interval_ms);
    connect(timer_, &QTimer::timeout, this, &WarningWatch::check);
    soon_->setSingleShot(true);
    connect(soon_, &QTimer::timeout, this, &WarningWatch::check);
    end_timer_->setSingleShot(true);
    connect(end_timer_, &QTimer::timeout, this, [this] { show_in_force(warnings_, now()); });
    const auto clicked = [this] {
        if (open_warnings && !checked_state_.isEmpty())
            open_warnings(checked_state_);
    };
    tray_.OnMessageClick = clicked;
    notifications_->on_click = clicked;
    if (enabled())
        timer_->start();
}

WarningWatch::~WarningWatch() = default;

bool WarningWatch::enabled() const {
    return read_setting(settings_section, warn_watch_setting) == QLatin1String("y");
}

void WarningWatch::set_enabled(bool on) {
    try {
        write_setting(settings_section, warn_watch_setting,
                      on ? QStringLiteral("y") : QStringLiteral("n"));
    } catch (const AppError&) {
        update_command(); // the command shows what is stored
        throw;
    }
    follow_setting();
}

void WarningWatch::follow_setting() {
    const bool on = enabled();
    if (on && !timer_->isActive()) {
        timer_->start();
        request_check(0);
    } else if (!on) {
        timer_->stop();
        soon_->stop();
        show_in_force({}, now());
        // A check running now (this came from a command inside its wait) gives way.
        if (client_.background())
            client_.Abort();
    }
    update_command();
}

void WarningWatch::set_location(const QString& location_text) {
    if (location_text == location_)
        return;
    location_ = location_text;
    show_in_force({}, now()); // the last place's warnings are not this one's
    update_command();
    if (enabled())
        request_check(0);
}

void WarningWatch::bind_command(QAction* command) {
    command_ = command;
    command_->setCheckable(true);
    update_command();
}

void WarningWatch::update_command() {
    if (!command_)
        return;
    const bool serves = watch_serves(location_);
    command_->setChecked(enabled());
    command_->setEnabled(serves);
    command_->setToolTip(serves ? QStringLiteral("Announce new warnings for the county of the "
                                                 "location shown")
                                : watch_unavailable_reason(location_));
}

void WarningWatch::request_check(int delay_ms) {
    soon_->start(delay_ms);
}

void WarningWatch::check() {
    // A timer's handler: nothing may escape to the event loop, and no box is shown.
    try {
        run_check();
    } catch (const AppError&) {
        failed();
    }
}

void WarningWatch::run_check() {
    soon_->stop();
    if (!enabled())
        return;
    const std::optional<WatchPlace> place = watch_place(location_);
    if (!place)
        return;
    if (client_.busy()) {
        // Never in the way of a command: the check waits for a free client.
        request_check(busy_retry_ms);
        return;
    }
    const XcastRequest request =
        xcast_request(QStringLiteral("w"), QString(), place->state_code, QString(), QString());
    const QString location = location_;
    try {
        IdleAfter idle{client_};
        apply_request_kind(client_, RequestKind::WarningWatch);
        client_.GetInBackground(QStringLiteral("http://") + host_address(request.host_role) +
                                request.path);
    } catch (const AppError&) {
        if (client_.gave_way())
            request_check(busy_retry_ms);
        else if (enabled() && location == location_)
            failed();
        return;
    }
    // Switched off or moved elsewhere while it waited: the answer is no longer wanted.
    if (!enabled() || location != location_)
        return;
    const QDateTime at = now();
    const WarningsPage page = client_.ReplyCode >= 200 && client_.ReplyCode < 299
                                  ? read_warnings_page(client_.Body, *place, at)
                                  : WarningsPage{};
    client_.Body.clear();
    if (!page.readable) {
        failed();
        return;
    }
    checked_state_ = place->state_code;
    apply(page, at);
}

void WarningWatch::apply(const WarningsPage& page, const QDateTime& now_utc) {
    std::vector<WatchedWarning> current;
    std::copy_if(page.warnings.begin(), page.warnings.end(), std::back_inserter(current),
                 [&](const WatchedWarning& w) { return in_force(w, now_utc); });

    QString stored = read_setting(settings_section, warn_seen_setting);
    SeenWarnings seen =
        SeenWarnings::decode(stored == setting_absent ? QString() : stored, now_utc);
    std::vector<WatchedWarning> fresh;
    for (const WatchedWarning& w : current)
        if (!seen.contains(w.key)) {
            seen.add(w.key, now_utc);
            fresh.push_back(w);
        }
    if (const QString kept = seen.encode(); kept != (stored == setting_absent ? QString() : stored))
        write_setting(settings_section, warn_seen_setting, kept);
    show_in_force(std::move(current), now_utc);
    if (!fresh.empty())
        announce(warning_announcement(fresh));
}

void WarningWatch::announce(const std::vector<WarningMessage>& messages) {
    if (tray_.tray_available()) {
        for (const WarningMessage& m : messages)
            tray_.show_message(m.title, m.body);
        return;
    }
    for (const WarningMessage& m : messages)
        notifications_->notify(m.title, m.body, [this, text = warning_status_text(m)](bool sent) {
            if (!sent && status)
                status(text);
        });
}

void WarningWatch::show_in_force(std::vector<WatchedWarning> warnings, const QDateTime& now_utc) {
    std::erase_if(warnings, [&](const WatchedWarning& w) { return !in_force(w, now_utc); });
    warnings_ = std::move(warnings);
    tray_.set_warning(!warnings_.empty());
    end_timer_->stop();
    if (const QDateTime end = next_end(warnings_, now_utc); end.isValid())
        end_timer_->start(
            int(std::clamp<qint64>(now_utc.msecsTo(end) + 1000, 1000, qint64(check_interval_ms))));
}

void WarningWatch::failed() {
    const QDateTime at = now();
    if (last_failure_status_.isValid() && last_failure_status_.secsTo(at) < failure_quiet_secs &&
        last_failure_status_ <= at)
        return;
    last_failure_status_ = at;
    if (status)
        status(QStringLiteral("Warning check failed..."));
}
