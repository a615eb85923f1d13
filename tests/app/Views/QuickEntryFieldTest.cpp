#include "Models/DraftModel.h"
#include "PanelViewFixture.h"

namespace holdra::test {
namespace {

// The quick-entry field at the bottom of the open panel. Return stashing, and
// the keys with a row selected, are driven on the real binary (KeyRoads).
class QuickEntryFieldTest : public PanelViewFixture
{
protected:
    void SetUp() override
    {
        openStore();
        ASSERT_NE(openPanel(), nullptr);
        ASSERT_TRUE(waitFor([&] { return isShown(u"quickEntry"_s); }));
    }
    DraftModel &draft() { return controller().draftModel(); }
    // The draft is measured on the controller's clock.
    bool heightBecomes(double lines)
    {
        return waitFor([&] {
            m_clock.advance(std::chrono::milliseconds(100));
            return find(u"entryScroller"_s)->height() == lines * draft().lineHeight();
        });
    }
    [[nodiscard]] ::testing::AssertionResult focusField() const
    {
        if (::testing::AssertionResult clicked = click(find(u"quickEntry"_s)); !clicked)
            return clicked;
        if (!waitFor([&] { return focusIsIn(u"quickEntry"_s); }))
            return ::testing::AssertionFailure() << "the field did not take the keys";
        return ::testing::AssertionSuccess();
    }
};

TEST_F(QuickEntryFieldTest, ShiftReturnBreaksTheLineAndOnlyTheFocusedFieldIsTyping)
{
    ASSERT_TRUE(focusField());
    EXPECT_TRUE(draft().isTyping());
    root()->forceActiveFocus();
    EXPECT_FALSE(draft().isTyping());
    ASSERT_TRUE(focusField());
    typeText(u"hello"_s);
    key(Qt::Key_Return, Qt::ShiftModifier);
    typeText(u"world"_s);
    EXPECT_EQ(draft().draft(), u"hello\nworld");
    EXPECT_EQ(m_store->count(), 0);
    controller().showTrash(true);
    EXPECT_TRUE(waitFor([&] { return !draft().isTyping(); })) << "the trash has no field";
}

TEST_F(QuickEntryFieldTest, FieldAndPanelGrowToEightLinesAndShrinkToOneWhenCleared)
{
    EXPECT_TRUE(heightBecomes(1));
    EXPECT_FALSE(isShown(u"clearDraftButton"_s));
    QStringList lines;
    for (int i = 0; i < 12; ++i)
        lines.append(u"line %1"_s.arg(i));
    draft().setDraft(lines.join(u'\n'));
    EXPECT_TRUE(heightBecomes(8));
    EXPECT_TRUE(waitFor([&] { return window()->frame().height() == 470 + 7 * draft().lineHeight(); }));
    EXPECT_EQ(property(u"quickEntryField"_s, "showsScrollIndicator"), u"true");

    ASSERT_TRUE(click(u"clearDraftButton"_s));
    EXPECT_TRUE(draft().draft().isEmpty());
    EXPECT_TRUE(heightBecomes(1));
    EXPECT_TRUE(waitFor([&] { return window()->frame().height() == 470; }));
    EXPECT_EQ(property(u"quickEntryField"_s, "showsScrollIndicator"), u"false");
}

} // namespace
} // namespace holdra::test
