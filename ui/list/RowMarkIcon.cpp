#include "ui/list/RowMarkIcon.h"

#include <QPainter>
#include <QPainterPath>

void RowMarkIcon::paintCloud(QPainter &painter, const QRectF &slot, const QColor &color)
{
    // 14 × 10, centred: the outline of two puffs on a flat rounded base.
    const QPointF origin = slot.center() - QPointF(7.0, 5.0);
    QPainterPath puffs;
    // They overlap: winding makes them one shape, whose outline is drawn.
    puffs.setFillRule(Qt::WindingFill);
    puffs.addRoundedRect(QRectF(origin + QPointF(0.5, 4.5), QSizeF(13.0, 5.0)), 2.5, 2.5);
    puffs.addEllipse(origin + QPointF(4.0, 5.5), 2.8, 2.8);
    puffs.addEllipse(origin + QPointF(8.3, 4.3), 3.8, 3.8);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.strokePath(puffs.simplified(), QPen(color, 1.3));
    painter.restore();
}

void RowMarkIcon::paintReplaced(QPainter &painter, const QRectF &slot, const QColor &color)
{
    // A filled disc with the exclamation mark cut out of it.
    const QPointF centre = slot.center();
    QPainterPath mark;
    mark.setFillRule(Qt::OddEvenFill);
    mark.addEllipse(centre, 6.5, 6.5);
    mark.addRoundedRect(QRectF(centre.x() - 1.0, centre.y() - 4.5, 2.0, 5.5), 1.0, 1.0);
    mark.addEllipse(QPointF(centre.x(), centre.y() + 3.0), 1.1, 1.1);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.fillPath(mark, color);
    painter.restore();
}
