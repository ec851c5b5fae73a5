#include "platform/outer_size.h"

#include <QApplication>
#include <QEvent>
#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace {

QSize extra(const QMargins& margins) {
    return QSize(margins.left() + margins.right(), margins.top() + margins.bottom());
}

// The frame the window manager has drawn around this very window, if any yet.
QMargins own_frame(const QWidget* window) {
    const QWindow* handle = window->windowHandle();
    return handle ? handle->frameMargins() : QMargins();
}

bool frameless(const QWidget* window) {
    const Qt::WindowType type = window->windowType();
    return (window->windowFlags() & Qt::FramelessWindowHint) || type == Qt::Popup ||
           type == Qt::ToolTip || type == Qt::SplashScreen;
}

} // namespace

QMargins window_frame(const QWidget* window) {
    if (frameless(window))
        return QMargins();
    if (const QMargins own = own_frame(window); !own.isNull())
        return own;
    for (const QWidget* other : QApplication::topLevelWidgets()) {
        if (other == window || !other->isVisible() || frameless(other))
            continue;
        if (const QMargins frame = own_frame(other); !frame.isNull())
            return frame;
    }
    return QMargins();
}

QSize frame_extra(const QWidget* window) {
    return extra(window_frame(window));
}

QPoint centre_outer(QWidget* window, QSize outer, int raise) {
    const QScreen* screen = window->screen();
    if (!screen)
        return window->pos();
    const QRect area = screen->geometry();
    const QPoint at(area.x() + area.width() / 2 - outer.width() / 2,
                    area.y() + area.height() / 2 - outer.height() / 2 - raise);
    if (const QMargins own = own_frame(window); !own.isNull()) {
        window->move(at); // the frame's corner goes there
        return at;
    }
    // Until the window manager has framed the window, Qt puts the client area where the frame
    // was asked to go and the frame lands above and left of it: the client area is placed
    // where the frame will leave it.
    const QMargins frame = window_frame(window);
    window->setGeometry(QRect(at + QPoint(frame.left(), frame.top()), window->size()));
    return at;
}

FrameWatch::FrameWatch(QWidget* window, std::function<void()> changed)
    : QObject(window), window_(window), changed_(std::move(changed)), seen_(window_frame(window)) {
    window_->installEventFilter(this);
}

bool FrameWatch::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::Show:
        // The window manager may report the frame only after the window is mapped: the
        // platform window's exposures tell when.
        if (QWindow* handle = window_->windowHandle(); handle && handle != watched_handle_) {
            handle->installEventFilter(this);
            watched_handle_ = handle;
        }
        check();
        break;
    case QEvent::Expose:
    case QEvent::Move:
    case QEvent::Resize:
        check();
        break;
    case QEvent::WindowStateChange:
        // Also unchanged: a window back to normal may have missed a change while it was not.
        check(true);
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void FrameWatch::check(bool always) {
    const QMargins now = window_frame(window_);
    if (now == seen_ && !always)
        return;
    seen_ = now;
    changed_();
}

OuterCentring::OuterCentring(QWidget* window, int raise, std::function<QSize()> outer)
    : QObject(window), window_(window), raise_(raise), outer_(std::move(outer)) {
    if (!outer_)
        outer_ = [window] { return window->size() + frame_extra(window); };
    new FrameWatch(window_, [this] {
        // The client area stays where it was put while the window manager frames the window;
        // only a window the user has moved since stands elsewhere.
        if (window_->isVisible() && unmoved())
            centre();
    });
}

bool OuterCentring::unmoved() const {
    return placed_client_ && window_->geometry().topLeft() == *placed_client_;
}

void OuterCentring::centre() {
    centre_outer(window_, outer_(), raise_);
    placed_client_ = window_->geometry().topLeft();
}

OuterSize::OuterSize(QWidget* window, QSize initial, QSize minimum, QSize maximum)
    : QObject(window), window_(window), minimum_(minimum), maximum_(maximum) {
    applied_ = window_frame(window_);
    const QSize frame_size = extra(applied_);
    apply_limits(frame_size);
    window_->resize(initial - frame_size);
    new FrameWatch(window_, [this] { follow_frame(); });
}

OuterSize::OuterSize(QWidget* window, QSize initial)
    : OuterSize(window, initial, QSize(0, 0), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX)) {}

QSize OuterSize::frame_extra() const {
    return extra(applied_);
}

QSize OuterSize::outer() const {
    return window_->size() + extra(applied_);
}

void OuterSize::set_outer(QSize outer) {
    keep_client_ = false;
    window_->resize(outer - extra(applied_));
}

void OuterSize::set_client(QSize client) {
    keep_client_ = true;
    window_->resize(client);
}

void OuterSize::apply_limits(QSize frame_size) {
    // A limit of nothing or of everything stays that, whatever the frame.
    const QSize none(0, 0);
    const QSize any(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    // Loosened first, so that neither is ever above the other while they change.
    window_->setMinimumSize(none);
    window_->setMaximumSize(maximum_ == any ? any : (maximum_ - frame_size).expandedTo(none));
    window_->setMinimumSize(minimum_ == none ? none : (minimum_ - frame_size).expandedTo(none));
}

void OuterSize::follow_frame() {
    // A maximized or minimized window has the size the window manager gives it, and often a
    // frame of another kind; the outer size is kept for its return to normal.
    if (window_->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen | Qt::WindowMinimized))
        return;
    const QMargins now = window_frame(window_);
    if (now == applied_)
        return;
    const QSize outer = window_->size() + extra(applied_);
    applied_ = now;
    const QSize frame_size = extra(now);
    apply_limits(frame_size);
    if (!keep_client_)
        window_->resize(outer - frame_size);
}
