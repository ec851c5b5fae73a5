#include "about/pie_gauge.h"

#include <QPainter>
#include <algorithm>

PieGauge::PieGauge(QWidget* parent) : QWidget(parent) {}

void PieGauge::SetProgress(int value) {
    value = std::clamp(value, 0, 100);
    if (value != progress_) {
        progress_ = value;
        update();
    }
}

void PieGauge::SetForeColor(const QColor& color) {
    fore_ = color;
    update();
}

void PieGauge::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const int side = std::min(width(), height()) - 2;
    const QRectF circle((width() - side) / 2.0, (height() - side) / 2.0, side, side);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(back_);
    p.drawEllipse(circle);
    if (progress_ > 0) {
        p.setBrush(fore_);
        // Angles in sixteenths of a degree, counter-clockwise from three o'clock.
        p.drawPie(circle, 90 * 16, -progress_ * 360 * 16 / 100);
    }
}
