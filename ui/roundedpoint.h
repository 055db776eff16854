#pragma once

#include <QPoint>
#include <QPointF>
#include <QtMath>

// The nearest whole point, halves rounded up (towards +infinity) on both axes, as the
// window shell takes mouse positions.
inline QPoint roundedPoint(const QPointF &point)
{
    return QPoint(qFloor(point.x() + 0.5), qFloor(point.y() + 0.5));
}
