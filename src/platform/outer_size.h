#pragma once

#include <QMargins>
#include <QObject>
#include <QPoint>
#include <QSize>
#include <functional>
#include <optional>

class QWidget;

// The frame a window manager draws around a top-level window: the window's own frame once it
// has been framed; until then (a hidden window, or one the window manager has not framed yet)
// the frame of another framed window of this program, since a window manager frames the
// windows of one program alike; none for a frameless window or where no window has a frame.
QMargins window_frame(const QWidget* window);
// Frame width and height together (left + right, top + bottom) of window_frame.
QSize frame_extra(const QWidget* window);

// Moves a top-level window so that its outer rectangle (frame included) stands centred on its
// screen, raised by `raise` pixels: top = half the screen height - half the outer height -
// raise, left = half the screen width - half the outer width (halves rounded toward zero).
// Also before the window manager has framed the window: window_frame stands in for its frame.
// Returns where the frame's top left corner goes.
QPoint centre_outer(QWidget* window, QSize outer, int raise = 0);

// Calls back each time the frame around a top-level window changes (as window_frame tells it),
// such as when the window manager frames the window after it is mapped, and each time the
// window's state changes.
class FrameWatch : public QObject {
public:
    FrameWatch(QWidget* window, std::function<void()> changed);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void check(bool always = false);

    QWidget* window_;
    std::function<void()> changed_;
    QMargins seen_;
    QObject* watched_handle_ = nullptr;
};

// Centres a window by its outer size (centre_outer) on request and, while it stands where it
// was put, again when its frame turns out other than the one it was placed with (a window
// placed before the window manager framed it, with another window's frame standing in).
class OuterCentring : public QObject {
public:
    // outer: the window's outer size now; by default its size and frame_extra.
    OuterCentring(QWidget* window, int raise, std::function<QSize()> outer = {});
    void centre();
    // Whether the window still stands where centre() put it (the user has not moved it).
    bool unmoved() const;

private:
    QWidget* window_;
    int raise_;
    std::function<QSize()> outer_;
    std::optional<QPoint> placed_client_; // where centre() put the client area
};

// Keeps a top-level window at an outer size (frame and title bar included) and its resizing
// within outer limits, whatever frame the window manager draws. Qt sizes a window by its
// client area, and the frame is known only once the window is shown (and may change with the
// window manager), so each time the frame changes the client limits are set again and the
// client is resized to keep the outer size it had.
class OuterSize : public QObject {
public:
    // The window starts at the outer size initial; limits are outer sizes too.
    OuterSize(QWidget* window, QSize initial, QSize minimum, QSize maximum);
    // The window starts at the outer size initial and has no limits.
    OuterSize(QWidget* window, QSize initial);

    // Frame width and height together (left + right, top + bottom), as last applied.
    QSize frame_extra() const;
    // The window's outer size now.
    QSize outer() const;
    // Resizes the window to an outer size, which it keeps as the frame changes.
    void set_outer(QSize outer);
    // Resizes the window's client area (all inside the frame), which it keeps as the frame
    // changes, until the next set_outer: for a window whose content must show whole.
    void set_client(QSize client);

private:
    // Applies a changed frame: limits, and the client size that keeps the outer size.
    void follow_frame();
    void apply_limits(QSize frame_size);

    QWidget* window_;
    QSize minimum_;
    QSize maximum_;
    QMargins applied_;
    bool keep_client_ = false;
};
