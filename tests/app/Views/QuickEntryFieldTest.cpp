#include "Models/DraftModel.h"
#include "PanelViewFixture.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QSignalSpy>

namespace holdra::test {
namespace {

// The quick-entry field at the bottom of the open panel.
class QuickEntryFieldTest : public PanelViewFixture
{
protected:
    void SetUp() override
    {
        openStore();
        ASSERT_NE(openPanel(), nullptr);
        ASSERT_TRUE(waitFor([&] { return isShown(QStringLiteral("quickEntry")); }));
    }
    DraftModel &draft() { return controller().draftModel(); }
    QQuickItem *field() const { return find(QStringLiteral("quickEntry")); }
    double lineHeight() { return draft().lineHeight(); }
    // The draft is measured on the controller's clock.
    bool heightBecomes(double height)
    {
        return waitFor([&] {
            m_clock.advance(std::chrono::milliseconds(100));
            return find(QStringLiteral("entryScroller"))->height() == height;
        });
    }
    [[nodiscard]] ::testing::AssertionResult focusField() const
    {
        if (::testing::AssertionResult clicked = click(field()); !clicked)
            return clicked;
        if (!waitFor([&] { return field()->hasActiveFocus(); }))
            return ::testing::AssertionFailure() << "the field did not take the keys";
        return ::testing::AssertionSuccess();
    }
};

TEST_F(QuickEntryFieldTest, AnEmptyDraftIsOneLineWithAPlaceholderAndNoClearButton)
{
    EXPECT_DOUBLE_EQ(find("entryScroller")->height(), lineHeight());
    EXPECT_EQ(field()->property("placeholderText").toString(), "快速录入：打字后回车暂存");
    EXPECT_FALSE(isShown("clearDraftButton"));
}

TEST_F(QuickEntryFieldTest, FocusIsTypingAndReturnStashesTheText)
{
    ASSERT_TRUE(focusField());
    EXPECT_TRUE(draft().isTyping());
    typeText(QStringLiteral("hello"));
    EXPECT_EQ(draft().draft(), "hello");
    EXPECT_TRUE(isShown("clearDraftButton"));
    // Shift+Return breaks the line instead of stashing.
    key(Qt::Key_Return, Qt::ShiftModifier);
    typeText(QStringLiteral("world"));
    EXPECT_EQ(draft().draft(), "hello\nworld");
    EXPECT_EQ(m_store->count(), 0);

    key(Qt::Key_Return);
    ASSERT_EQ(m_store->count(), 1);
    EXPECT_EQ(m_store->items().first().text().value_or(QString()), "hello\nworld");
    EXPECT_EQ(controller().toasts()->message().value_or(QString()), "已录入");
    EXPECT_FALSE(controller().isOpen());
    EXPECT_TRUE(draft().draft().isEmpty());
}

TEST_F(QuickEntryFieldTest, EscapeClearsTheDraftThenCloses)
{
    ASSERT_TRUE(focusField());
    typeText(QStringLiteral("note"));
    key(Qt::Key_Escape);
    EXPECT_TRUE(draft().draft().isEmpty());
    EXPECT_TRUE(controller().isOpen());
    key(Qt::Key_Escape);
    EXPECT_FALSE(controller().isOpen());
}

TEST_F(QuickEntryFieldTest, WithARowSelectedTheKeysStillEditTheText)
{
    const StashItem row = m_store->addText(QStringLiteral("selected row"));
    controller().selection()->selectRow(idOf(row), false);
    ASSERT_TRUE(focusField());
    typeText(QStringLiteral("hello"));
    key(Qt::Key_Backspace);
    key(Qt::Key_Home);
    key(Qt::Key_Delete);
    key(Qt::Key_Down);
    EXPECT_EQ(draft().draft(), "ell");
    QGuiApplication::clipboard()->setText(QStringLiteral("o!"));
    key(Qt::Key_End);
    key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(draft().draft(), "ello!");
    key(Qt::Key_A, Qt::ControlModifier);
    key(Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(draft().draft(), QString());
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "ello!");
    EXPECT_EQ(m_store->count(), 1);
    EXPECT_EQ(m_store->trashCount(), 0);
    EXPECT_EQ(controller().selection()->idTexts(), QStringList{idOf(row)});

    // Tab hands the keys to the list, where a typed character comes back here.
    key(Qt::Key_Tab);
    EXPECT_TRUE(waitFor([&] { return !draft().isTyping(); }));
    key(Qt::Key_Down);
    typeText(QStringLiteral("ok"));
    EXPECT_TRUE(waitFor([&] { return focusIsIn(QStringLiteral("quickEntry")); }));
    EXPECT_EQ(draft().draft(), "ok");
    EXPECT_EQ(m_store->count(), 1);
}

TEST_F(QuickEntryFieldTest, GrowsToEightLinesAndShrinksWhenCleared)
{
    QStringList lines;
    for (int i = 0; i < 12; ++i)
        lines.append(QStringLiteral("line %1").arg(i));
    draft().setDraft(lines.join(QLatin1Char('\n')));
    EXPECT_TRUE(heightBecomes(8 * lineHeight()));
    EXPECT_TRUE(find("quickEntryField")->property("showsScrollIndicator").toBool());

    ASSERT_TRUE(click(find("clearDraftButton")));
    EXPECT_TRUE(draft().draft().isEmpty());
    EXPECT_TRUE(heightBecomes(lineHeight()));
    EXPECT_FALSE(find("quickEntryField")->property("showsScrollIndicator").toBool());
}

TEST_F(QuickEntryFieldTest, ThreeLinesRenderToAPicture)
{
    draft().setDraft(QStringLiteral("第一行\n第二行\n第三行"));
    EXPECT_TRUE(heightBecomes(3 * lineHeight()));
    saveScreenshot(QStringLiteral("quick-entry-three-lines"));
}

TEST_F(QuickEntryFieldTest, LeavingTheFieldOrTheTrashEndsTyping)
{
    ASSERT_TRUE(focusField());
    ASSERT_TRUE(draft().isTyping());
    root()->forceActiveFocus();
    EXPECT_FALSE(draft().isTyping());
    ASSERT_TRUE(focusField());
    ASSERT_TRUE(draft().isTyping());
    controller().showTrash(true);
    EXPECT_TRUE(waitFor([&] { return !draft().isTyping(); }));
}

} // namespace
} // namespace holdra::test
