#include "net/thread_timer.h"

#include "shared/app_error.h"
#include <limits>

TThreadTimer::TThreadTimer(QObject* parent) : QObject(parent), timer_(new QTimer(this)) {
    // Precise, so a time-out never ends early.
    timer_->setTimerType(Qt::PreciseTimer);
    connect(timer_, &QTimer::timeout, this, &TThreadTimer::fire);
}

void TThreadTimer::set_enabled(bool enabled) {
    enabled_ = enabled;
    rearm();
}

void TThreadTimer::set_interval(unsigned interval) {
    interval_ = interval;
    rearm();
}

void TThreadTimer::set_on_timer(std::function<void()> handler) {
    on_timer_ = std::move(handler);
    rearm();
}

void TThreadTimer::rearm() {
    timer_->stop();
    if (interval_ == 0 || !enabled_ || !on_timer_)
        return;
    const unsigned limit = static_cast<unsigned>(std::numeric_limits<int>::max());
    timer_->start(static_cast<int>(std::min(interval_, limit)));
    if (!timer_->isActive())
        throw AppError(QStringLiteral("No Timer"));
}

void TThreadTimer::fire() {
    if (!on_timer_)
        return;
    // No error may cross the event loop; the time-out handler raises none.
    try {
        on_timer_();
    } catch (...) {
    }
}
