#include "ControllerFixture.h"

namespace holdra::test {
namespace {

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

TEST_F(PanelGeometryTest, WidthLimitsFollowTheDisplayAndItsNotch)
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
        {"a notch wider than 224 points widens the minimum", notchedDisplay(u"N"_s, {0, 0, 1512, 982}, 260), 320, 356},
        {"a narrower notch leaves it", notchedDisplay(u"M"_s, {0, 0, 1512, 982}, 200), 320, 320},
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
    // The closed window covers the notch and the band below it.
    EXPECT_EQ(window(u"M"_s).frame, QRectF(656, 0, 200, 38 + 26));
}

} // namespace
} // namespace holdra::test
