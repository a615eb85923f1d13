#include "ControllerFixture.h"

#include <QCoreApplication>

namespace holdra::test {
namespace {

using NotchWindowManagerTest = ControllerFixture;

const QRectF closedA(865, 27, 190, 34);

TEST_F(NotchWindowManagerTest, TheCapsuleHangsUnderTheTopPanelOfThePrimaryDisplayAndGrowsIntoThePanel)
{
    NotchController &c = controller();
    EXPECT_EQ(c.visibleCapsuleDisplayIDs(), QStringList{u"A"_s});
    EXPECT_FALSE(hasWindow(u"B"_s));
    const auto isClosedCapsule = [this] {
        const WindowState &a = window(u"A"_s);
        return a.frame == closedA && a.visible && !a.key;
    };
    EXPECT_TRUE(isClosedCapsule());
    c.open();
    EXPECT_TRUE(c.isOpenOn(u"A"_s));
    EXPECT_EQ(window(u"A"_s).frame, QRectF(768, 27, 384, 470));
    EXPECT_TRUE(window(u"A"_s).key);
    c.close();
    EXPECT_TRUE(isClosedCapsule());

    // Two displays reporting one identifier: the first keeps it.
    m_displays.append(display(u"A"_s, {0, 1080, 800, 600}, 0));
    c.windows().refreshAttachedWindows();
    EXPECT_EQ(window(u"A"_s).frame, closedA);
}

TEST_F(NotchWindowManagerTest, SelectedDisplaysEachHaveACapsuleAndAClickMovesThePanelThere)
{
    m_settings.setDisplayAttachmentSelection(DisplayAttachmentSelection::selected({u"A"_s, u"B"_s}));
    NotchController &c = controller();
    EXPECT_EQ(c.visibleCapsuleDisplayIDs(), (QStringList{u"A"_s, u"B"_s}));
    c.open(u"A"_s);
    c.open(u"B"_s);
    EXPECT_TRUE(c.isOpenOn(u"B"_s));
    EXPECT_EQ(window(u"A"_s).frame, closedA);
    EXPECT_FALSE(window(u"A"_s).key);
    EXPECT_EQ(window(u"B"_s).frame.center().x(), 1920 + 640);

    // The open display unplugged: the panel closes with its window.
    m_displays.removeLast();
    c.windows().refreshAttachedWindows();
    EXPECT_FALSE(c.isOpen());
    EXPECT_FALSE(hasWindow(u"B"_s));
    EXPECT_TRUE(hasWindow(u"A"_s));

    m_settings.setDisplayAttachmentSelection(DisplayAttachmentSelection::selected({u"A"_s}));
    c.open(u"A"_s);
    m_settings.setDisplayAttachmentSelection(DisplayAttachmentSelection::disabled());
    EXPECT_FALSE(c.isOpen()) << "the open display is no longer a target";
    EXPECT_TRUE(c.windows().windowDisplayIDs().isEmpty());
    EXPECT_TRUE(c.visibleCapsuleDisplayIDs().isEmpty());
}

TEST_F(NotchWindowManagerTest, WithoutCapsulesTheHotKeyOpensATransientPanelOnItsDisplayOnly)
{
    m_settings.setDisplayAttachmentSelection(DisplayAttachmentSelection::disabled());
    NotchController &c = controller();
    EXPECT_TRUE(c.visibleCapsuleDisplayIDs().isEmpty());
    EXPECT_FALSE(hasWindow(u"A"_s));

    c.open(u"A"_s, true);
    c.windows().refreshAttachedWindows();
    EXPECT_TRUE(c.isOpenOn(u"A"_s)) << "a transient panel survives a refresh while open";
    c.close();
    EXPECT_FALSE(hasWindow(u"A"_s));
    EXPECT_FALSE(window(u"A"_s).visible);
    // Destroyed only after the event that closed it, which may be its own view's.
    QCoreApplication::sendPostedEvents();
    EXPECT_FALSE(m_windows.contains(u"A"_s));

    c.windows().applyFullScreenCoverage({u"A"_s});
    c.open(u"A"_s, true);
    EXPECT_FALSE(c.isOpen()) << "a covered display is never chosen";
}

using PanelGeometryTest = ControllerFixture;

TEST_F(PanelGeometryTest, ResizingIsClampedEndsWithThePanelAndFollowsTheSettings)
{
    m_settings.setPanelWidth(400);
    NotchController &c = controller();
    PanelGeometry &g = *c.geometry();
    g.beginResize(PanelGeometry::Edge::Trailing, 100);
    EXPECT_FALSE(g.isResizing()) << "nothing to resize while closed";

    // A drag by the trailing edge and its storing on release are the view suite's.
    c.open();
    g.beginResize(PanelGeometry::Edge::Leading, 500);
    g.updateResize(470);
    EXPECT_EQ(g.width(), 460);
    EXPECT_EQ(window(u"A"_s).frame.width(), 460);
    g.updateResize(-1000);
    EXPECT_EQ(g.width(), 720);
    g.updateResize(2000);
    EXPECT_EQ(g.width(), 320);
    c.close();
    EXPECT_EQ(m_settings.panelWidth(), 320) << "closing during a drag ends it";
    EXPECT_FALSE(g.isResizing());

    c.open();
    m_settings.setPanelWidth(500);
    EXPECT_EQ(window(u"A"_s).frame, QRectF(710, 27, 500, 470)) << "the settings' width reaches the open panel";
    m_settings.setPanelWidth(320);
    g.step(-10);
    EXPECT_EQ(g.width(), 320) << "a step is clamped like a drag";
    g.step(24);
    EXPECT_EQ(m_settings.panelWidth(), 344) << "and stored at once";
}

TEST_F(PanelGeometryTest, WidthLimitsFollowTheDisplay)
{
    const struct
    {
        const char *what;
        NotchDisplay display;
        double stored;
        double width;
    } cases[] = {
        {"a narrow display keeps 40 points free", display(u"S"_s, {0, 0, 600, 800}, 0), 720, 560},
        {"below the minimum on a tiny display", display(u"T"_s, {0, 0, 300, 800}, 0), 320, 260},
    };
    for (const auto &test : cases) {
        SCOPED_TRACE(test.what);
        m_displays = {test.display};
        m_settings.setPanelWidth(test.stored);
        controller().windows().refreshAttachedWindows();
        controller().open();
        EXPECT_EQ(controller().geometry()->width(), test.width);
        EXPECT_EQ(m_settings.panelWidth(), test.stored) << "narrowing for a display does not change what is stored";
        controller().close();
    }
}

} // namespace
} // namespace holdra::test
