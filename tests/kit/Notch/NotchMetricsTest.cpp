#include "Notch/NotchMetrics.h"
#include "QtPrinters.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace holdra;

constexpr auto none = std::nullopt;

TEST(NotchMetricsTest, FindsTheNotchAndTheAttachmentLine)
{
    const QRectF builtIn(0, 0, 1512, 982);
    const QRectF visible(0, 0, 1512, 950);
    const struct
    {
        const char *name;
        std::optional<QRectF> visibleFrame;
        double safeAreaTop;
        std::optional<double> left, right;
        bool hasNotch;
        double notchWidth, notchHeight, attachmentTopY, closedWidth;
    } cases[] = {
        {"notch from the auxiliary areas", visible, 38, 640, 640, true, 232, 38, 982, 232},
        {"auxiliary areas without inset", visible, 0, 640, 640, true, 232, 32, 982, 232},
        {"narrow notch", visible, 38, 700, 700, true, 112, 38, 982, 160},
        {"one auxiliary area empty", visible, 38, 0, 640, true, 0, 38, 982, 160},
        {"auxiliary areas fill the width", visible, 38, 756, 756, true, 0, 38, 982, 160},
        {"inset only", visible, 38, none, none, true, 0, 38, 982, 160},
        {"menu bar only", visible, 0, none, none, false, 0, 0, 950, 190},
        {"areas too wide, no inset", visible, 0, 800, 800, false, 0, 0, 950, 190},
        {"nothing known", none, 0, none, none, false, 0, 0, 982, 190},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const NotchMetrics m(builtIn, c.visibleFrame, c.safeAreaTop, c.left, c.right);
        EXPECT_EQ(m.screenFrame(), builtIn);
        EXPECT_EQ(m.hasNotch(), c.hasNotch);
        EXPECT_EQ(m.notchWidth(), c.notchWidth);
        EXPECT_EQ(m.notchHeight(), c.notchHeight);
        EXPECT_EQ(m.attachmentTopY(), c.attachmentTopY);

        const QRectF closed = m.closedFrame(NotchMetrics::closedFallbackWidth, NotchMetrics::interactiveBandBelowNotch);
        const double height = c.hasNotch ? c.notchHeight + 26 : 34;
        EXPECT_EQ(closed,
                  QRectF(std::round(756 - c.closedWidth / 2), c.attachmentTopY - height, c.closedWidth, height));
    }
}

TEST(NotchMetricsTest, OpenFramesKeepTheirMarginsAndCentringRoundsHalvesAway)
{
    const NotchMetrics plain(QRectF(0, 0, 1440, 900), QRectF(0, 0, 1440, 875), 0, none, none);
    EXPECT_EQ(plain.openFrame(2000, 2000), QRectF(20, 875 - 780, 1400, 780));
    EXPECT_EQ(plain.openFrame(384, 470), QRectF(528, 405, 384, 470));

    // The notched panel starts at the very top, behind the notch.
    const NotchMetrics notched(QRectF(0, 0, 1512, 982), QRectF(0, 0, 1512, 950), 38, 640, 640);
    EXPECT_EQ(notched.openFrame(400, 500), QRectF(556, 482, 400, 500));

    // Centring rounds halves away from zero, left of and below the primary screen too.
    EXPECT_EQ(NotchMetrics(QRectF(0, 0, 1512, 982), none, 0, none, none).topCenteredFrame(161, 34),
              QRectF(676, 948, 161, 34));
    EXPECT_EQ(NotchMetrics(QRectF(-1512, -900, 1512, 900), none, 0, none, none).topCenteredFrame(161, 10.5),
              QRectF(-837, -11, 161, 10.5));
}

TEST(NotchMetricsTest, ConvertsBetweenYUpAndQtOnScreensOfDifferentHeights)
{
    // Qt layout: a 1080-high primary with a 32-point top panel, a taller screen to its
    // right sharing its top edge, and a smaller one below the primary.
    const QRectF primary(0, 0, 1920, 1080);
    const QRectF primaryAvailable(0, 32, 1920, 1048);
    const QRectF tall(1920, 0, 2560, 1440);
    const QRectF below(0, 1080, 1280, 1024);

    EXPECT_EQ(NotchMetrics::fromQtGlobal(primary, primary), QRectF(0, 0, 1920, 1080));
    EXPECT_EQ(NotchMetrics::fromQtGlobal(tall, primary), QRectF(1920, -360, 2560, 1440));
    EXPECT_EQ(NotchMetrics::fromQtGlobal(below, primary), QRectF(0, -1024, 1280, 1024));
    for (const QRectF &r : {primary, primaryAvailable, tall, below, QRectF(100.5, -20.25, 7, 3)})
        EXPECT_EQ(NotchMetrics::toQtGlobal(NotchMetrics::fromQtGlobal(r, primary), primary), r);

    const auto closedInQt = [&](const QRectF &geometry, const QRectF &available) {
        const NotchMetrics m = NotchMetrics::forQtScreen(geometry, available, primary);
        EXPECT_FALSE(m.hasNotch());
        return NotchMetrics::toQtGlobal(m.closedFrame(190, 26), primary);
    };
    EXPECT_EQ(closedInQt(primary, primaryAvailable), QRectF(865, 32, 190, 34));
    EXPECT_EQ(closedInQt(tall, tall), QRectF(3105, 0, 190, 34));
    EXPECT_EQ(closedInQt(below, below), QRectF(545, 1080, 190, 34));

    const NotchMetrics tallMetrics = NotchMetrics::forQtScreen(tall, tall, primary);
    EXPECT_EQ(NotchMetrics::toQtGlobal(tallMetrics.openFrame(384, 2000), primary), QRectF(3008, 0, 384, 1320));

    // A primary 200 points below a screen that starts at Qt's origin.
    const QRectF lower(1280, 200, 1920, 1080);
    const QRectF upper(0, 0, 1280, 1024);
    EXPECT_EQ(NotchMetrics::fromQtGlobal(lower, lower), QRectF(1280, 0, 1920, 1080));
    EXPECT_EQ(NotchMetrics::fromQtGlobal(upper, lower), QRectF(0, 256, 1280, 1024));
    EXPECT_EQ(NotchMetrics::toQtGlobal(NotchMetrics::forQtScreen(upper, upper, lower).closedFrame(190, 26), lower),
              QRectF(545, 0, 190, 34));
}
