#include "ui/list/LockIcon.h"

#include <QPainter>
#include <QPainterPath>

QSizeF LockIcon::naturalSize()
{
    return {11.0, 14.0};
}

void LockIcon::paint(QPainter &painter, const QRectF &slot, const QColor &color)
{
    const QSizeF size = naturalSize();
    const QRectF box(slot.center().x() - size.width() / 2, slot.center().y() - size.height() / 2,
                     size.width(), size.height());

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);

    // Body: the lower part, slightly rounded.
    const qreal bodyTop = box.top() + box.height() * 0.43;
    const QRectF body(box.left(), bodyTop, box.width(), box.bottom() - bodyTop);
    QPainterPath bodyPath;
    bodyPath.addRoundedRect(body, 1.8, 1.8);
    painter.fillPath(bodyPath, color);

    // Shackle: an arch standing on the body.
    const qreal stroke = box.width() * 0.17;
    const qreal inset = box.width() * 0.2 + stroke / 2;
    const QRectF arch(box.left() + inset, box.top() + stroke / 2, box.width() - 2 * inset,
                      (bodyTop - box.top()) * 1.4);
    QPainterPath shackle;
    shackle.moveTo(arch.left(), bodyTop);
    shackle.lineTo(arch.left(), arch.center().y());
    shackle.arcTo(arch, 180.0, -180.0);
    shackle.lineTo(arch.right(), bodyTop);
    painter.setPen(QPen(color, stroke, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(shackle);

    painter.restore();
}
