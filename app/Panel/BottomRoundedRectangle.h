#pragma once

#include <QColor>
#include <QPainterPath>
#include <QQuickPaintedItem>
#include <QRegion>
#include <QtQml/qqmlregistration.h>

namespace holdra {

// A rectangle with square top corners and rounded bottom corners, so that the
// panel hangs from the top edge of the display. Pointer input in the cut-away
// corners passes through it.
class BottomRoundedRectangle : public QQuickPaintedItem
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(qreal radius READ radius WRITE setRadius NOTIFY radiusChanged)
    Q_PROPERTY(QColor color READ color WRITE setColor NOTIFY colorChanged)
    Q_PROPERTY(QColor strokeColor READ strokeColor WRITE setStrokeColor NOTIFY strokeColorChanged)
    Q_PROPERTY(qreal strokeWidth READ strokeWidth WRITE setStrokeWidth NOTIFY strokeWidthChanged)

public:
    explicit BottomRoundedRectangle(QQuickItem *parent = nullptr);

    // The corners are quadratic curves whose control point is the rectangle's
    // corner; the radius is at most half the shorter side.
    static QPainterPath path(const QRectF &rect, qreal radius);
    // The pixels of a window of `size` that the shape covers completely. As a window
    // mask it leaves out the anti-aliased rim, which without a compositor would be
    // blended with black.
    static QRegion coveredPixels(const QSize &size, qreal radius);

    qreal radius() const { return m_radius; }
    void setRadius(qreal radius);
    QColor color() const { return m_color; }
    void setColor(const QColor &color);
    QColor strokeColor() const { return m_strokeColor; }
    void setStrokeColor(const QColor &color);
    qreal strokeWidth() const { return m_strokeWidth; }
    void setStrokeWidth(qreal width);

    void paint(QPainter *painter) override;
    bool contains(const QPointF &point) const override;

Q_SIGNALS:
    void radiusChanged();
    void colorChanged();
    void strokeColorChanged();
    void strokeWidthChanged();

private:
    qreal m_radius = 0;
    QColor m_color = Qt::transparent;
    QColor m_strokeColor = Qt::transparent;
    qreal m_strokeWidth = 0;
};

} // namespace holdra
