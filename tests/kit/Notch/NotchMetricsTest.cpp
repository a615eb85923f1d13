#include "Notch/NotchMetrics.h"
#include "QtPrinters.h"

#include <gtest/gtest.h>

using namespace holdra;

constexpr auto none = std::nullopt;

TEST(NotchMetricsTest, OpenFramesKeepTheirMarginsAndCentringRoundsHalvesAway)
{
    const NotchMetrics plain(QRectF(0, 0, 1440, 900), QRectF(0, 0, 1440, 875), 0, none, none);
    EXPECT_EQ(plain.openFrame(2000, 2000), QRectF(20, 875 - 780, 1400, 780));
    EXPECT_EQ(plain.openFrame(384, 470), QRectF(528, 405, 384, 470));

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
