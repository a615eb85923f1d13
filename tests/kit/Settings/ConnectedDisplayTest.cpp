#include "Settings/ConnectedDisplay.h"
#include "QtPrinters.h"

#include <gtest/gtest.h>

using namespace holdra;
using namespace Qt::StringLiterals;
using Screen = ConnectedDisplay::Screen;

namespace {

QStringList labels(const QList<Screen> &screens)
{
    QStringList out;
    for (const ConnectedDisplay &display : ConnectedDisplay::fromScreens(screens))
        out.append(display.positionLabel + (display.isDefault ? u" *"_s : QString()));
    return out;
}

} // namespace

// The main screen is the default, else the first; the others are labelled by
// where they lie from it (Qt's y grows downwards).
TEST(ConnectedDisplayTest, TheDefaultScreenAndWhereTheOthersLie)
{
    const Screen laptop{u"builtin"_s, u"内建显示器"_s, QRectF(0, 0, 1512, 982), false, true};
    const Screen dell{u"ext"_s, u"DELL U2720Q"_s, QRectF(1512, 0, 2560, 1440), false, false};
    const QList<ConnectedDisplay> shown = ConnectedDisplay::fromScreens({dell, laptop});
    EXPECT_EQ(shown[0].title(), u"DELL U2720Q · 右侧屏幕"_s);
    EXPECT_EQ(shown[0].placementCaption(), u"屏幕顶部中央"_s);
    EXPECT_EQ(shown[1].placementCaption(), u"默认 · 屏幕顶部中央"_s);

    const auto screen = [](const QRectF &frame, bool isMain = false) {
        return Screen{u"x"_s, u"X"_s, frame, false, isMain};
    };
    const QRectF main(0, 0, 1000, 1000);
    const struct
    {
        QList<Screen> screens;
        QStringList expected;
    } cases[] = {
        {{screen(main), screen(QRectF(1920, 0, 1920, 1080), true)}, {u"左侧屏幕"_s, u"默认屏幕 *"_s}},
        {{screen(main), screen(QRectF(1920, 0, 1920, 1080))}, {u"默认屏幕 *"_s, u"右侧屏幕"_s}},
        // Farther up than left wins; exactly diagonal, the horizontal side does.
        {{screen(main, true), screen(QRectF(-600, -1000, 1000, 1000))}, {u"默认屏幕 *"_s, u"上方屏幕"_s}},
        {{screen(main, true), screen(QRectF(300, 1000, 1000, 1000))}, {u"默认屏幕 *"_s, u"下方屏幕"_s}},
        {{screen(main, true), screen(QRectF(-1000, -1000, 1000, 1000))}, {u"默认屏幕 *"_s, u"左侧屏幕"_s}},
        {{screen(main, true), screen(QRectF(1000, 1000, 1000, 1000))}, {u"默认屏幕 *"_s, u"右侧屏幕"_s}},
        // The same centre counts as to the right.
        {{screen(main, true), screen(main)}, {u"默认屏幕 *"_s, u"右侧屏幕"_s}},
        {{}, {}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(labels(c.screens), c.expected);
}
