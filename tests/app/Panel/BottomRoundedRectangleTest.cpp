#include "Panel/BottomRoundedRectangle.h"

#include <gtest/gtest.h>

namespace holdra {
namespace {

TEST(BottomRoundedRectangleTest, BottomCornersAreRoundedTopCornersSquare)
{
    const QRectF panel(0, 0, 400, 300);
    const QPainterPath path = BottomRoundedRectangle::path(panel, 24);
    EXPECT_TRUE(path.contains(QPointF(0.5, 0.5)));
    EXPECT_TRUE(path.contains(QPointF(399.5, 0.5)));
    EXPECT_FALSE(path.contains(QPointF(1, 299)));
    EXPECT_FALSE(path.contains(QPointF(399, 299)));
    EXPECT_TRUE(path.contains(QPointF(200, 299.5)));
    // A quadratic corner whose control point is the corner passes through
    // (r/4, r/4) from the corner; a circular arc would leave (6.5, 6.5) outside.
    EXPECT_TRUE(path.contains(QPointF(6.5, 300 - 6.5)));
    EXPECT_FALSE(path.contains(QPointF(5.5, 300 - 5.5)));
}

TEST(BottomRoundedRectangleTest, TheRadiusIsAtMostHalfTheShorterSide)
{
    const QRectF flat(0, 0, 400, 30);
    const QPainterPath path = BottomRoundedRectangle::path(flat, 24);
    // r = 15: the corner curve passes through (3.75, 26.25); with 24 it would
    // leave (4.25, 25.75) outside.
    EXPECT_TRUE(path.contains(QPointF(4.25, 25.75)));
    EXPECT_FALSE(path.contains(QPointF(3.25, 26.75)));
    EXPECT_TRUE(path.contains(QPointF(0.1, 0.1)));
}

TEST(BottomRoundedRectangleTest, InputInTheCutAwayCornersPassesThrough)
{
    BottomRoundedRectangle shape;
    shape.setSize(QSizeF(400, 300));
    shape.setRadius(24);
    EXPECT_TRUE(shape.contains(QPointF(200, 150)));
    EXPECT_FALSE(shape.contains(QPointF(1, 299)));
}

TEST(BottomRoundedRectangleTest, TheWindowMaskHoldsOnlyPixelsTheShapeCoversWhole)
{
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
