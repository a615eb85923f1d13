#include "Settings/ConnectedDisplay.h"

#include <gtest/gtest.h>

using namespace holdra;
using Screen = ConnectedDisplay::Screen;

namespace {

QStringList labels(const QList<ConnectedDisplay> &displays)
{
    QStringList out;
    for (const ConnectedDisplay &display : displays)
        out.append(display.positionLabel);
    return out;
}

} // namespace

TEST(ConnectedDisplayTest, ANotchedScreenIsTheDefaultAndOthersAreLabelledByWhereTheyLie)
{
    const QList<Screen> screens{
        {"ext", "DELL U2720Q", QRectF(1512, 0, 2560, 1440), false, true},
        {"builtin", "内建显示器", QRectF(0, 0, 1512, 982), true, false},
    };
    const QList<ConnectedDisplay> displays = ConnectedDisplay::fromScreens(screens);
    ASSERT_EQ(displays.size(), 2);
    EXPECT_EQ(displays[0].positionLabel, "右侧屏幕");
    EXPECT_EQ(displays[0].placementCaption(), "屏幕顶部中央");
    EXPECT_EQ(displays[0].title(), "DELL U2720Q · 右侧屏幕");
    EXPECT_EQ(displays[1].positionLabel, "默认屏幕");
    // Even a notched screen is captioned in Linux words.
    EXPECT_EQ(displays[1].placementCaption(), "默认 · 屏幕顶部中央");
    EXPECT_TRUE(displays[1].isDefault);
}

TEST(ConnectedDisplayTest, WithoutANotchTheMainScreenIsTheDefaultElseTheFirst)
{
    QList<Screen> screens{
        {"a", "A", QRectF(0, 0, 1920, 1080), false, false},
        {"b", "B", QRectF(1920, 0, 1920, 1080), false, true},
    };
    EXPECT_EQ(ConnectedDisplay::defaultScreenIndex(screens), 1);
    EXPECT_EQ(labels(ConnectedDisplay::fromScreens(screens)), (QStringList{"左侧屏幕", "默认屏幕"}));
    EXPECT_EQ(ConnectedDisplay::fromScreens(screens)[1].placementCaption(), "默认 · 屏幕顶部中央");

    screens[1].isMain = false;
    EXPECT_EQ(ConnectedDisplay::defaultScreenIndex(screens), 0);
    EXPECT_FALSE(ConnectedDisplay::defaultScreenIndex({}).has_value());
    EXPECT_TRUE(ConnectedDisplay::fromScreens({}).isEmpty());
}

TEST(ConnectedDisplayTest, VerticalOffsetsWinOnlyWhenStrictlyLarger)
{
    const Screen main{"m", "M", QRectF(0, 0, 1000, 1000), false, true};
    auto labelOf = [&](QRectF frame) {
        return ConnectedDisplay::fromScreens({main, {"x", "X", frame, false, false}})[1].positionLabel;
    };
    // Up and to the left, farther up than left. Qt's y grows downwards.
    EXPECT_EQ(labelOf(QRectF(-600, -1000, 1000, 1000)), "上方屏幕");
    EXPECT_EQ(labelOf(QRectF(300, 1000, 1000, 1000)), "下方屏幕");
    // Exactly diagonal: the horizontal test wins.
    EXPECT_EQ(labelOf(QRectF(-1000, -1000, 1000, 1000)), "左侧屏幕");
    EXPECT_EQ(labelOf(QRectF(1000, 1000, 1000, 1000)), "右侧屏幕");
    // The same centre counts as to the right.
    EXPECT_EQ(labelOf(QRectF(0, 0, 1000, 1000)), "右侧屏幕");
}
