#include "platform/outer_size.h"

#include <QEvent>
#include <QWidget>
#include <QWindow>

namespace {

QSize extra(const QMargins& margins) {
    return QSize(margins.left() + margins.right(), margins.top() + margins.bottom());
}

} // namespace

OuterSize::OuterSize(QWidget* window, QSize initial, QSize minimum, QSize maximum)
    : QObject(window), window_(window), minimum_(minimum), maximum_(maximum) {
    applied_ = frame();
    const QSize frame_size = extra(applied_);
    window_->setMinimumSize(minimum_ - frame_size);
    window_->setMaximumSize(maximum_ - frame_size);
    window_->resize(initial - frame_size);
    window_->installEventFilter(this);
}

QMargins OuterSize::frame() const {
    const QWindow* handle = window_->windowHandle();
    return handle ? handle->frameMargins() : QMargins();
}

QSize OuterSize::frame_extra() const {
    return extra(frame());
}

QSize OuterSize::outer() const {
    return window_->size() + frame_extra();
}

bool OuterSize::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::Show:
        // The window manager may report the frame only after the window is mapped: the
        // platform window's exposures tell when.
        if (QWindow* handle = window_->windowHandle(); handle && handle != watched_handle_) {
            handle->installEventFilter(this);
            watched_handle_ = handle;
        }
        follow_frame();
        break;
    case QEvent::Expose:
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::WindowStateChange:
        follow_frame();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void OuterSize::follow_frame() {
    const QMargins now = frame();
    if (now == applied_)
        return;
    const QSize outer = window_->size() + extra(applied_);
    applied_ = now;
    const QSize frame_size = extra(now);
    // Limits loosened first, so that neither is ever above the other while they change.
    window_->setMinimumSize(0, 0);
    window_->setMaximumSize(maximum_ - frame_size);
    window_->setMinimumSize(minimum_ - frame_size);
    window_->resize(outer - frame_size);
}
