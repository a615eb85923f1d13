#include "PanelViewFixture.h"

namespace holdra::test {
namespace {

// The root view and the closed capsule in the windows the controller makes:
// display A shows the capsule, B to its right does not.
class NotchRootViewTest : public PanelViewFixture
{
protected:
    NotchRootViewTest() { m_displays.append(display(QStringLiteral("B"), QRectF(1920, 0, 1280, 1024), 0)); }

    QQuickItem *rootView(const QString &displayID = QStringLiteral("A")) const
    {
        NotchWindow *shown = window(displayID);
        return shown ? shown->rootView() : nullptr;
    }
};

TEST_F(NotchRootViewTest, TheCapsuleShowsTheItemCountOnlyWhenThereAreItems)
{
    controller();
    ASSERT_NE(rootView(), nullptr);
    EXPECT_FALSE(isShown("itemCountText"));
    m_store->addText(QStringLiteral("one"));
    EXPECT_TRUE(isShown("itemCountText"));
    EXPECT_EQ(text("itemCountText"), QStringLiteral("1"));
    EXPECT_TRUE(isShown("traySegment"));
    // Each button is as large as its glyph, or it could be neither seen nor clicked.
    for (const char *name : {"micSegment", "traySegment"}) {
        const QQuickItem *segment = find(name);
        ASSERT_NE(segment, nullptr) << name;
        EXPECT_GE(segment->width(), 13) << name;
        EXPECT_GE(segment->height(), 13) << name;
    }
}

TEST_F(NotchRootViewTest, TheCompanionSegmentFollowsTheController)
{
    controller();
    ASSERT_NE(rootView(), nullptr);
    ASSERT_TRUE(waitFor([&] { return find("companionSegment") != nullptr && find("capsuleBar") != nullptr; }));
    EXPECT_FALSE(isShown("companionSegment"));
    QQuickItem *bar = find("capsuleBar");
    const double narrow = bar->width();
    controller().setKelvarnAvailability(true, false);
    EXPECT_TRUE(isShown("companionSegment"));
    EXPECT_TRUE(waitFor([&] { return bar->width() > narrow; })) << "the capsule grows with the segment";
    controller().setKelvarnAvailability(false, false);
    EXPECT_FALSE(isShown("companionSegment"));
}

TEST_F(NotchRootViewTest, ADisplayWithoutTheCapsuleDrawsNone)
{
    EXPECT_EQ(window(QStringLiteral("B")), nullptr) << "automatic: B has no window of its own";
    // The window a hidden trigger or a transient panel would get on B.
    NotchWindow hidden(controller(), QStringLiteral("B"), m_engine, nullptr);
    hidden.resize(190, 34);
    ASSERT_NE(hidden.rootView(), nullptr);
    EXPECT_TRUE(isShown("traySegment"));
    QQuickItem *tray = hidden.rootView()->findChild<QQuickItem *>(QStringLiteral("traySegment"));
    ASSERT_NE(tray, nullptr);
    EXPECT_FALSE(tray->isVisible());
}

TEST_F(NotchRootViewTest, OpeningSwapsTheCapsuleForThePanelAndClosingBringsItBack)
{
    ASSERT_NE(openPanel(), nullptr);
    EXPECT_TRUE(rootView()->property("panelOpen").toBool());
    EXPECT_TRUE(waitFor([&] { return find("traySegment") == nullptr; })) << "the closed view leaves while open";
    EXPECT_TRUE(isShown("title"));
    controller().close();
    EXPECT_TRUE(waitFor([&] { return isShown("traySegment"); }));
    EXPECT_TRUE(window()->flags().testFlag(Qt::WindowDoesNotAcceptFocus)) << "the closed capsule refuses the keyboard";
}

} // namespace
} // namespace holdra::test
