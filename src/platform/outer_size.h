#pragma once

#include <QMargins>
#include <QObject>
#include <QSize>

class QWidget;

// Keeps a top-level window at an outer size (frame and title bar included) and its resizing
// within outer limits, whatever frame the window manager draws. Qt sizes a window by its
// client area, and the frame is known only once the window is shown (and may change with the
// window manager), so each time the frame changes the client limits are set again and the
// client is resized to keep the outer size it had.
class OuterSize : public QObject {
public:
    // The window starts at the outer size initial; limits are outer sizes too.
    OuterSize(QWidget* window, QSize initial, QSize minimum, QSize maximum);

    // Frame width and height together (left + right, top + bottom); zero until the window
    // manager has framed the window.
    QSize frame_extra() const;
    // The window's outer size now.
    QSize outer() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QMargins frame() const;
    // Applies a changed frame: limits, and the client size that keeps the outer size.
    void follow_frame();

    QWidget* window_;
    QSize minimum_;
    QSize maximum_;
    QMargins applied_;
    QObject* watched_handle_ = nullptr;
};
