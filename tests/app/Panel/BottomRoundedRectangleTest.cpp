#include "Panel/BottomRoundedRectangle.h"

#include <gtest/gtest.h>

namespace holdra {
namespace {

TEST(BottomRoundedRectangleTest, TopCornersSquareBottomCornersQuadraticAndTheMaskWholePixelsOnly)
{
    // A quadratic corner whose control point is the corner passes through (r/4, r/4)
    // from it, where a circular arc would leave (6.5, 6.5) outside. At 30 high
    // r = 15: through (3.75, 26.25), where 24 would leave (4.25, 25.75) outside.
    const struct
    {
        QSizeF size;
        QList<QPointF> inside, outside;
    } cases[] = {
        {{400, 300}, {{0.5, 0.5}, {399.5, 0.5}, {200, 299.5}, {6.5, 293.5}}, {{1, 299}, {399, 299}, {5.5, 294.5}}},
        {{400, 30}, {{0.1, 0.1}, {4.25, 25.75}}, {{3.25, 26.75}}},
    };
    for (const auto &c : cases) {
        const QPainterPath path = BottomRoundedRectangle::path(QRectF(QPointF(), c.size), 24);
        for (const QPointF &p : c.inside)
            EXPECT_TRUE(path.contains(p)) << c.size.height() << ": " << p.x() << "," << p.y();
        for (const QPointF &p : c.outside)
            EXPECT_FALSE(path.contains(p)) << c.size.height() << ": " << p.x() << "," << p.y();
    }
    // The view item lets input in its cut-away corners pass through.
    BottomRoundedRectangle item;
    item.setSize(QSizeF(400, 300));
    item.setRadius(24);
    EXPECT_TRUE(item.contains(QPointF(200, 150)));
    EXPECT_FALSE(item.contains(QPointF(1, 299)));

    // The window's mask holds only pixels the shape covers whole.
    const QSize size(384, 470);
    const QRegion mask = BottomRoundedRectangle::coveredPixels(size, 24);
    const QPainterPath path = BottomRoundedRectangle::path(QRectF(QPointF(0, 0), QSizeF(size)), 24);
    for (const QRect &span : mask)
        for (int y = span.top(); y <= span.bottom(); ++y)
            for (int x : {span.left(), span.right()})
                ASSERT_TRUE(path.contains(QRectF(x + 0.01, y + 0.01, 0.98, 0.98))) << x << "," << y;
    // Square at the top, the straight bottom edge kept, the corners cut.
    EXPECT_TRUE(mask.contains(QPoint(0, 0)) && mask.contains(QPoint(383, 0)) && mask.contains(QPoint(192, 469)));
    EXPECT_TRUE(mask.contains(QPoint(0, 445)));
    EXPECT_FALSE(mask.contains(QPoint(2, 467)) || mask.contains(QPoint(381, 467)));
}

} // namespace
} // namespace holdra
