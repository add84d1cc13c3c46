#include "ui/TextStyles.h"

namespace {
QFont scaled(const QFont &base, qreal factor)
{
    QFont font = base;
    if (base.pointSizeF() > 0)
        font.setPointSizeF(base.pointSizeF() * factor);
    else
        font.setPixelSize(qMax(1, qRound(base.pixelSize() * factor)));
    return font;
}
} // namespace

QFont TextStyles::caption(const QFont &base)
{
    return scaled(base, 10.0 / 13.0);
}

QFont TextStyles::callout(const QFont &base)
{
    return scaled(base, 12.0 / 13.0);
}

QPalette TextStyles::withTextOpacity(QPalette palette, qreal opacity)
{
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        QColor color = palette.color(group, QPalette::WindowText);
        color.setAlphaF(color.alphaF() * opacity);
        palette.setColor(group, QPalette::WindowText, color);
    }
    return palette;
}
