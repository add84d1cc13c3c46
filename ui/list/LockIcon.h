#pragma once

#include <QColor>
#include <QRectF>
#include <QSizeF>

class QPainter;

// The closed padlock shown on locked rows, drawn by the program itself so it
// looks the same on every system and needs no icon theme.
namespace LockIcon {
// The padlock's own size, as a symbol of the default text size would be.
QSizeF naturalSize();

// Draws the padlock at its natural size, centred in slot, filled with color.
void paint(QPainter &painter, const QRectF &slot, const QColor &color);
} // namespace LockIcon
