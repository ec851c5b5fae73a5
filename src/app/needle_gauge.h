#pragma once

#include <QWidget>

// A dial that shows a value from 0 to 100 as a needle: a half circle with tick marks on the
// background colour, the needle in its own colour.
class NeedleGauge : public QWidget {
    Q_OBJECT
public:
    explicit NeedleGauge(QWidget* parent = nullptr);

    int Progress() const { return progress_; }
    void SetProgress(int value);
    void SetBackColor(const QColor& color);
    void SetForeColor(const QColor& color);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int progress_ = 0;
    QColor back_{0x00, 0x00, 0x80};
    QColor fore_{0x00, 0xFF, 0x00};
};
