#include "PanelViewFixture.h"

namespace holdra::test {
namespace {

// The root view and the closed capsule in the windows the controller makes.
using NotchRootViewTest = PanelViewFixture;

TEST_F(NotchRootViewTest, TheCapsuleCountsGrowsWithTheCompanionAndMakesWayForThePanel)
{
    controller();
    ASSERT_TRUE(waitFor([&] { return isShown(u"traySegment"_s); }));
    EXPECT_FALSE(isShown(u"itemCountText"_s)) << "no count while the stash is empty";
    m_store->addText(u"one"_s);
    EXPECT_EQ(visibleTexts(u"itemCountText"_s), QStringList{u"1"_s});
    // Each button is as large as its glyph, or it could be neither seen nor clicked.
    for (const QString &name : {u"micSegment"_s, u"traySegment"_s}) {
        EXPECT_GE(find(name)->width(), 13) << name.toStdString();
        EXPECT_GE(find(name)->height(), 13) << name.toStdString();
    }

    QQuickItem *bar = find(u"capsuleBar"_s);
    const double narrow = bar->width();
    EXPECT_FALSE(isShown(u"companionSegment"_s));
    controller().setKelvarnAvailability(true, false);
    EXPECT_TRUE(isShown(u"companionSegment"_s));
    EXPECT_TRUE(waitFor([&] { return bar->width() > narrow; }));
    controller().setKelvarnAvailability(false, false);
    EXPECT_FALSE(isShown(u"companionSegment"_s));

    // Opening swaps the capsule for the panel; closing brings it back.
    ASSERT_NE(openPanel(), nullptr);
    EXPECT_TRUE(waitFor([&] { return find(u"traySegment"_s) == nullptr; })) << "the closed view leaves while open";
    EXPECT_TRUE(isShown(u"title"_s));
    // Reopened while still fading out, it takes the keyboard from its field again.
    find(u"quickEntry"_s)->forceActiveFocus();
    controller().close();
    controller().open(u"A"_s);
    EXPECT_TRUE(waitFor([&] { return root() && root()->hasActiveFocus(); }));
    controller().close();
    EXPECT_TRUE(waitFor([&] { return isShown(u"traySegment"_s); }));
    EXPECT_TRUE(window()->flags().testFlag(Qt::WindowDoesNotAcceptFocus)) << "the closed capsule refuses the keyboard";
}

} // namespace
} // namespace holdra::test
