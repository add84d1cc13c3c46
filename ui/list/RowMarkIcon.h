#pragma once

#include <QColor>
#include <QRectF>

class QPainter;

// The small marks a signature row carries before its lock slot, drawn by the
// program itself like the padlock: a cloud for a signature kept in iCloud
// Drive, an exclamation mark for one replaced since it was inserted.
namespace RowMarkIcon {
void paintCloud(QPainter &painter, const QRectF &slot, const QColor &color);
void paintReplaced(QPainter &painter, const QRectF &slot, const QColor &color);
} // namespace RowMarkIcon
