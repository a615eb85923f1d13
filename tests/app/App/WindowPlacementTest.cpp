#include "App/WindowPlacement.h"

#include <gtest/gtest.h>

using namespace holdra;

TEST(WindowPlacementTest, AWindowIsMovedAndShrunkOntoTheWorkAreaFrameIncluded)
{
    const QRect work(0, 30, 1920, 1050); // a 1080-px screen less a top panel
    const QMargins frame(4, 32, 4, 4);
    const struct
    {
        QRect wanted;
        QRect expected;
    } cases[] = {
        // Fits already: stays.
        {{100, 200, 560, 440}, {100, 200, 560, 440}},
        // Partly below the screen: lifted so that its bottom border shows.
        {{700, 900, 560, 440}, {700, 1080 - 4 - 440, 560, 440}},
        // Under the top panel and off the left edge: the title bar comes into view.
        {{-300, 0, 560, 440}, {4, 30 + 32, 560, 440}},
        // Taller than the screen: as tall as there is room for.
        {{100, 100, 560, 1400}, {100, 62, 560, 1050 - 36}},
        // On a screen to the right of this one: brought back.
        {{2500, 300, 560, 440}, {1920 - 4 - 560, 300, 560, 440}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(WindowPlacement::fitted(c.wanted, frame, work), c.expected) << c.wanted.x() << "," << c.wanted.y();
}
