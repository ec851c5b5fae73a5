#include "app/needle_gauge.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <numbers>

NeedleGauge::NeedleGauge(QWidget* parent) : QWidget(parent) {}

void NeedleGauge::SetProgress(int value) {
    value = std::clamp(value, 0, 100);
    if (value != progress_) {
        progress_ = value;
        update();
    }
}

void NeedleGauge::SetBackColor(const QColor& color) {
    back_ = color;
    update();
}

void NeedleGauge::SetForeColor(const QColor& color) {
    fore_ = color;
    update();
}

void NeedleGauge::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect(), back_);

    // The dial: a half circle standing on the bottom edge, 0 on the left and 100 on the right.
    const double radius = std::min(width() / 2.0, double(height())) - 8;
    const QPointF centre(width() / 2.0, height() - 6.0);
    p.setPen(QPen(QColor(0xC0, 0xC0, 0xC0), 1.5));
    p.drawArc(QRectF(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius), 0,
              180 * 16);
    for (int tick = 0; tick <= 10; ++tick) {
        const double angle = std::numbers::pi * (1.0 - tick / 10.0);
        const double inner = radius - (tick % 5 == 0 ? 10 : 5);
        p.drawLine(
            QPointF(centre.x() + inner * std::cos(angle), centre.y() - inner * std::sin(angle)),
            QPointF(centre.x() + radius * std::cos(angle), centre.y() - radius * std::sin(angle)));
    }

    const double angle = std::numbers::pi * (1.0 - progress_ / 100.0);
    p.setPen(QPen(fore_, 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(centre, QPointF(centre.x() + (radius - 4) * std::cos(angle),
                               centre.y() - (radius - 4) * std::sin(angle)));
    p.setPen(Qt::NoPen);
    p.setBrush(fore_);
    p.drawEllipse(centre, 4, 4);
}
