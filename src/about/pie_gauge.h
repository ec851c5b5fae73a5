#pragma once

#include <QColor>
#include <QWidget>

// A percentage from 0 to 100 shown as a filled circle: the share in the fill colour, starting
// at twelve o'clock and running clockwise, the rest in the background colour.
class PieGauge : public QWidget {
    Q_OBJECT
public:
    explicit PieGauge(QWidget* parent = nullptr);

    int Progress() const { return progress_; }
    void SetProgress(int value);
    QColor ForeColor() const { return fore_; }
    void SetForeColor(const QColor& color);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int progress_ = 0;
    QColor fore_{0x00, 0xFF, 0x00};
    QColor back_{0xFF, 0xFF, 0xFF};
};
