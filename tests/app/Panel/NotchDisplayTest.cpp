#include "Panel/NotchDisplay.h"

#include <gtest/gtest.h>

using namespace holdra;

namespace {

// Two 1920 × 1080 monitors side by side as Qt reports them at `scale`: each
// top-left where X11 has it, each extent divided by the scale.
QList<NotchDisplay> sideBySide(double scale)
{
    NotchDisplay left;
    left.id = QStringLiteral("L");
    left.geometry = QRectF(0, 0, 1920 / scale, 1080 / scale);
    left.scale = scale;
    NotchDisplay right = left;
    right.id = QStringLiteral("R");
    right.geometry = QRectF(1920, 0, 1920 / scale, 1080 / scale);
    return {left, right};
}

} // namespace

TEST(NotchDisplayTest, NativeAndLogicalCoordinatesMeetOnBothMonitorsAtEveryScale)
{
    for (const double scale : {1.0, 1.5, 2.0}) {
        const QList<NotchDisplay> displays = sideBySide(scale);
        const NotchDisplay &right = displays[1];
        EXPECT_EQ(right.nativeGeometry(), QRectF(1920, 0, 1920, 1080)) << scale;

        const struct
        {
            QPointF native;
            qsizetype display;
        } points[] = {{{0, 0}, 0},    {{960, 540}, 0},  {{1919, 1079}, 0},
                      {{1920, 0}, 1}, {{2880, 540}, 1}, {{3839, 17}, 1}};
        for (const auto &p : points) {
            const std::optional<QPointF> logical = NotchDisplay::logicalPoint(displays, p.native);
            ASSERT_TRUE(logical) << scale << " " << p.native.x();
            EXPECT_TRUE(displays[p.display].geometry.contains(*logical)) << scale << " " << p.native.x();
            const QPointF back = displays[p.display].toNative(*logical);
            EXPECT_NEAR(back.x(), p.native.x(), 1e-9);
            EXPECT_NEAR(back.y(), p.native.y(), 1e-9);
        }
        EXPECT_FALSE(NotchDisplay::logicalPoint(displays, QPointF(3840, 0)));
        EXPECT_FALSE(NotchDisplay::logicalPoint(displays, QPointF(100, 1080)));

        // A window covering the right monitor exactly, in logical terms, is that monitor natively.
        EXPECT_EQ(right.toNative(right.geometry), right.nativeGeometry()) << scale;
        // The right monitor's centre: not 1920 + 960 scaled from the origin.
        EXPECT_EQ(right.toNative(right.geometry.center()), QPointF(2880, 540)) << scale;
    }
}
