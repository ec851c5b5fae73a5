#pragma once

#include <QObject>
#include <QTimer>
#include <functional>

// A timer on the user-interface thread: while enabled, with an interval other than 0 and a
// handler, it calls the handler every interval until it is disabled. Setting any of the three
// re-arms it.
class TThreadTimer : public QObject {
    Q_OBJECT
public:
    explicit TThreadTimer(QObject* parent);

    bool Enabled() const { return enabled_; }
    unsigned Interval() const { return interval_; }

    void set_enabled(bool enabled);
    void set_interval(unsigned interval);
    void set_on_timer(std::function<void()> handler);

private:
    void rearm();
    void fire();

    bool enabled_ = true;
    unsigned interval_ = 1000;
    std::function<void()> on_timer_;
    QTimer* timer_;
};
