#pragma once

#include <QWidget>

// A faint rounded border drawn over the preview; it takes no input.
class RoundedOutline : public QWidget
{
    Q_OBJECT
public:
    static constexpr qreal radius = 6;
    static constexpr qreal opacity = 0.1;

    explicit RoundedOutline(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};
