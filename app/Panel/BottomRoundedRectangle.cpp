#include "Panel/BottomRoundedRectangle.h"

#include <QPainter>
#include <QPen>

#include <algorithm>
#include <cmath>

namespace holdra {

BottomRoundedRectangle::BottomRoundedRectangle(QQuickItem *parent)
    : QQuickPaintedItem(parent)
{
    setAntialiasing(true);
}

QPainterPath BottomRoundedRectangle::path(const QRectF &rect, qreal radius)
{
    const qreal r = std::max<qreal>(0, std::min(std::min(rect.width(), rect.height()) * 0.5, radius));
    QPainterPath path;
    path.moveTo(rect.left(), rect.top());
    path.lineTo(rect.right(), rect.top());
    path.lineTo(rect.right(), rect.bottom() - r);
    path.quadTo(rect.right(), rect.bottom(), rect.right() - r, rect.bottom());
    path.lineTo(rect.left() + r, rect.bottom());
    path.quadTo(rect.left(), rect.bottom(), rect.left(), rect.bottom() - r);
    path.closeSubpath();
    return path;
}

QRegion BottomRoundedRectangle::coveredPixels(const QSize &size, qreal radius)
{
    const QPainterPath shape = path(QRectF(QPointF(0, 0), QSizeF(size)), radius);
    const int rounded = std::min(size.height(), int(std::ceil(radius)));
    QRegion region(0, 0, size.width(), size.height() - rounded);
    // Only the bottom rows hold curves; the shape is symmetric, so each row is one span.
    // A pixel that merely touches the outline still counts as covered.
    const auto covered = [&shape](int x, int y) { return shape.contains(QRectF(x + 0.01, y + 0.01, 0.98, 0.98)); };
    for (int y = size.height() - rounded; y < size.height(); ++y) {
        int left = 0;
        while (left <= size.width() / 2 && !covered(left, y))
            ++left;
        if (left <= size.width() / 2)
            region += QRect(left, y, size.width() - 2 * left, 1);
    }
    return region;
}

void BottomRoundedRectangle::setRadius(qreal radius)
{
    if (qFuzzyCompare(m_radius, radius))
        return;
    m_radius = radius;
    update();
    Q_EMIT radiusChanged();
}

void BottomRoundedRectangle::setColor(const QColor &color)
{
    if (m_color == color)
        return;
    m_color = color;
    update();
    Q_EMIT colorChanged();
}

void BottomRoundedRectangle::setStrokeColor(const QColor &color)
{
    if (m_strokeColor == color)
        return;
    m_strokeColor = color;
    update();
    Q_EMIT strokeColorChanged();
}

void BottomRoundedRectangle::setStrokeWidth(qreal width)
{
    if (qFuzzyCompare(m_strokeWidth, width))
        return;
    m_strokeWidth = width;
    update();
    Q_EMIT strokeWidthChanged();
}

void BottomRoundedRectangle::paint(QPainter *painter)
{
    painter->setRenderHint(QPainter::Antialiasing);
    const QRectF bounds(0, 0, width(), height());
    painter->fillPath(path(bounds, m_radius), m_color);
    if (m_strokeWidth > 0 && m_strokeColor.alpha() > 0) {
        // Inset by half the pen so the whole line stays inside the clipped panel.
        const qreal inset = m_strokeWidth / 2;
        painter->setPen(QPen(m_strokeColor, m_strokeWidth));
        painter->setBrush(Qt::NoBrush);
        painter->drawPath(path(bounds.adjusted(inset, -inset, -inset, -inset), m_radius - inset));
    }
}

bool BottomRoundedRectangle::contains(const QPointF &point) const
{
    return path(QRectF(0, 0, width(), height()), m_radius).contains(point);
}

} // namespace holdra
