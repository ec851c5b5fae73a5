#pragma once

#include "textproducts/warning_watch_rules.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <functional>
#include <vector>

class DesktopNotifications;
class QAction;
class QTimer;
class TNMHTTP;
class TOnTray;

// The warning watch. While "WarnWatch" is "y" it checks the state's warnings page every 10
// minutes and right after the location shown changes, and announces each warning of the
// place not seen before: a message from the tray, or without a tray a desktop notification,
// or with neither a status text. While any warning is in force the tray's tooltip starts with
// "WARNING: " and its picture carries a red mark. A check is a background request on the
// program's one client: a busy client puts it off, a user's command ends it, and a failed check
// shows at most one status text an hour and never a box.
class WarningWatch : public QObject {
    Q_OBJECT
public:
    WarningWatch(TNMHTTP& client, TOnTray& tray, QObject* parent);
    ~WarningWatch() override;

    static constexpr int check_interval_ms = 10 * 60 * 1000;
    // A check that found the client busy tries again this much later.
    static constexpr int busy_retry_ms = 60 * 1000;
    static constexpr qint64 failure_quiet_secs = 3600;

    // The stored setting.
    bool enabled() const;
    // Stores the setting and follows it: on checks at once, off clears the tray's warning.
    void set_enabled(bool on);
    // Follows the setting after someone else (the preferences) stored it.
    void follow_setting();

    // The location string the main window shows; a change is checked at once.
    void set_location(const QString& location_text);
    // The tray command that switches the watch: checked by the setting, greyed with a tooltip
    // saying why while the location is not a US place.
    void bind_command(QAction* command);

    // One check (the timers' handler; tests call it). A check whose seen warnings cannot be
    // stored counts as failed.
    void check();

    // Where a failure or, with neither tray nor notification service, a warning is told.
    std::function<void(const QString&)> status;
    // A click on a message: the warnings window for the state.
    std::function<void(const QString& state_code)> open_warnings;
    // The clock (tests set another).
    std::function<QDateTime()> now = [] { return QDateTime::currentDateTimeUtc(); };

    DesktopNotifications& notifications() { return *notifications_; }
    // The warnings of the place in force after the last check.
    const std::vector<WatchedWarning>& warnings() const { return warnings_; }

private:
    void run_check();
    void request_check(int delay_ms);
    void apply(const WarningsPage& page, const QDateTime& now_utc);
    void announce(const std::vector<WarningMessage>& messages);
    void show_in_force(std::vector<WatchedWarning> warnings, const QDateTime& now_utc);
    void failed();
    void update_command();

    TNMHTTP& client_;
    TOnTray& tray_;
    DesktopNotifications* notifications_;
    QTimer* timer_;     // every 10 minutes while on
    QTimer* soon_;      // a check right after a change, or after a busy client
    QTimer* end_timer_; // the end of the first warning in force to end
    QAction* command_ = nullptr;
    QString location_;
    QString checked_state_; // the state of the last check, for a click on its message
    std::vector<WatchedWarning> warnings_;
    QDateTime last_failure_status_;
};
