#include "Notch/FullScreenWindowDetector.h"

#include <gtest/gtest.h>

using namespace holdra;
using namespace Qt::StringLiterals;
using FullScreenWindowDetector::coveredDisplayIDs;
using FullScreenWindowDetector::DisplayBounds;

namespace {

constexpr qint32 ownPID = 4242;
constexpr qint32 otherPID = 77;

const QString A = u"A"_s;
const QString B = u"B"_s;
const QRectF boundsA(0, 0, 2000, 1000);
const QRectF boundsB(2000, -360, 2560, 1440);
const QList<DisplayBounds> twoDisplays{{A, boundsA}, {B, boundsB}};

WindowCoverageSnapshot window(const QRectF &bounds, double alpha = 1.0, qint32 pid = otherPID, int layer = 0)
{
    return {pid, layer, alpha, bounds, true};
}

} // namespace

TEST(FullScreenWindowDetectorTest, CoverageRule)
{
    WindowCoverageSnapshot hidden = window(boundsA);
    hidden.onScreen = false;

    const struct
    {
        const char *name;
        QList<WindowCoverageSnapshot> windows;
        QSet<QString> expected;
    } cases[] = {
        {"exactly the display", {window(boundsA)}, {A}},
        {"alpha 0.01 is see-through", {window(boundsA, 0.01)}, {}},
        {"alpha 0.02 counts", {window(boundsA, 0.02)}, {A}},
        {"99.4 %", {window(QRectF(0, 0, 1988, 1000))}, {}},
        {"99.5 %", {window(QRectF(10, 0, 1990, 1000))}, {A}},
        {"larger than the display", {window(QRectF(-10, -10, 2020, 1020))}, {A}},
        {"own window", {window(boundsA, 1.0, ownPID)}, {}},
        {"other layer", {window(boundsA, 1.0, otherPID, 25)}, {}},
        {"not on screen", {hidden}, {}},
        {"spanning both", {window(QRectF(0, -360, 4560, 1440))}, {A, B}},
        {"one window each", {window(boundsB), window(QRectF(0, 0, 100, 100)), window(boundsA)}, {A, B}},
        {"many small windows never add up",
         {window(QRectF(0, 0, 1000, 1000)), window(QRectF(1000, 0, 1000, 1000))},
         {}},
        {"no windows", {}, {}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(coveredDisplayIDs(twoDisplays, c.windows, ownPID), c.expected) << c.name;
}

// A display without area is never covered (its share would divide by zero).
TEST(FullScreenWindowDetectorTest, ADisplayWithoutAreaIsNeverCovered)
{
    EXPECT_TRUE(coveredDisplayIDs({{A, QRectF(0, 0, 0, 1000)}}, {window(boundsA)}, ownPID).isEmpty());
}
