#include "Panel/NotchDisplay.h"

#include <gtest/gtest.h>

namespace holdra {
namespace {

using namespace Qt::StringLiterals;

// Two 1920 × 1080 monitors side by side as Qt reports them at every scale: each
// top-left where X11 has it, each extent divided by the scale.
TEST(NotchDisplayTest, NativeAndLogicalCoordinatesMeetOnBothMonitorsAtEveryScale)
{
    for (const double scale : {1.0, 1.5, 2.0}) {
        NotchDisplay left;
        left.id = u"L"_s;
        left.geometry = QRectF(0, 0, 1920 / scale, 1080 / scale);
        left.scale = scale;
        NotchDisplay right = left;
        right.id = u"R"_s;
        right.geometry.moveLeft(1920);
        const QList<NotchDisplay> displays{left, right};
        EXPECT_EQ(right.nativeGeometry(), QRectF(1920, 0, 1920, 1080)) << scale;

        const QList<std::pair<NotchDisplay, QList<QPointF>>> points{{left, {{0, 0}, {960, 540}, {1919, 1079}}},
                                                                    {right, {{1920, 0}, {2880, 540}, {3839, 17}}}};
        for (const auto &[display, natives] : points) {
            for (const QPointF &native : natives) {
                const std::optional<QPointF> logical = NotchDisplay::logicalPoint(displays, native);
                ASSERT_TRUE(logical && display.geometry.contains(*logical)) << scale << " " << native.x();
                const QPointF back = display.toNative(*logical);
                EXPECT_NEAR(back.x(), native.x(), 1e-9);
                EXPECT_NEAR(back.y(), native.y(), 1e-9);
            }
        }
        EXPECT_FALSE(NotchDisplay::logicalPoint(displays, QPointF(3840, 0)));
        EXPECT_FALSE(NotchDisplay::logicalPoint(displays, QPointF(100, 1080)));

        // A window covering the right monitor exactly, in logical terms, is that monitor natively;
        // its centre is not 1920 + 960 scaled from the origin.
        EXPECT_EQ(right.toNative(right.geometry), right.nativeGeometry()) << scale;
        EXPECT_EQ(right.toNative(right.geometry.center()), QPointF(2880, 540)) << scale;
    }
}

} // namespace
} // namespace holdra
