#include "PanelViewFixture.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QSignalSpy>

namespace holdra::test {
namespace {

// The note editor as the panel opens it from a row's menu.
class NoteEditorTest : public PanelViewFixture
{
protected:
    void SetUp() override
    {
        openStore();
        m_item = m_store->addText(QStringLiteral("待办"));
        ASSERT_NE(openPanel(460), nullptr);
        ASSERT_TRUE(waitFor([&] { return !visibleItems(QStringLiteral("rowMouseArea")).isEmpty(); }));
    }
    // Opens the sheet from the first row's menu.
    [[nodiscard]] ::testing::AssertionResult openEditor()
    {
        if (::testing::AssertionResult done = click(QStringLiteral("rowMouseArea"), Qt::RightButton); !done)
            return done;
        if (::testing::AssertionResult done = click(QStringLiteral("menuNote")); !done)
            return done;
        if (!waitFor([&] { return field() != nullptr && field()->hasActiveFocus(); }))
            return ::testing::AssertionFailure() << "the note field did not take the keys";
        return ::testing::AssertionSuccess();
    }
    QQuickItem *field() const { return visibleItems(QStringLiteral("noteField")).value(0); }
    QString fieldText() const { return field() ? field()->property("text").toString() : QStringLiteral("<no field>"); }
    bool editorClosed() const
    {
        return waitFor([&] { return visibleItems(QStringLiteral("noteField")).isEmpty(); });
    }

    StashItem m_item;
};

TEST_F(NoteEditorTest, AnItemWithoutANoteGetsAnEmptyAddNoteSheet)
{
    ASSERT_TRUE(openEditor());
    EXPECT_EQ(visibleTexts("noteEditorTitle"), QStringList{"添加备注"});
    EXPECT_EQ(fieldText(), QString());
    EXPECT_EQ(visibleTexts("noteCounter"), QStringList{"0 / 500"});
    saveScreenshot(QStringLiteral("note-editor"));
}

TEST_F(NoteEditorTest, SavingStoresTheNoteAndEscapeLeavesItAlone)
{
    ASSERT_TRUE(openEditor());
    typeText(QStringLiteral("buy milk"));
    EXPECT_EQ(visibleTexts("noteCounter"), QStringList{"8 / 500"});
    key(Qt::Key_Escape);
    EXPECT_TRUE(editorClosed());
    EXPECT_FALSE(m_store->items().first().note().has_value());

    ASSERT_TRUE(openEditor());
    EXPECT_EQ(fieldText(), QString()) << "a cancelled edit does not come back";
    typeText(QStringLiteral("buy milk"));
    ASSERT_TRUE(click(QStringLiteral("noteSave")));
    EXPECT_EQ(m_store->items().first().note().value_or(QString()), "buy milk");

    // With a note the sheet is for editing it.
    ASSERT_TRUE(openEditor());
    EXPECT_EQ(visibleTexts("noteEditorTitle"), QStringList{"编辑备注"});
    EXPECT_EQ(fieldText(), "buy milk");
    key(Qt::Key_Return);
    EXPECT_TRUE(editorClosed());
    EXPECT_EQ(m_store->items().first().note().value_or(QString()), "buy milk");
}

TEST_F(NoteEditorTest, KeysEditTheNoteNotTheSelectedRowAndEscapeClosesOneLayerAtATime)
{
    ASSERT_TRUE(click(QStringLiteral("rowMouseArea")));
    ASSERT_EQ(controller().selection()->count(), 1);
    ASSERT_TRUE(openEditor());
    QSignalSpy copies(controller().actions(), &StashActions::copyRequested);
    typeText(QStringLiteral("milk"));
    key(Qt::Key_Backspace);
    key(Qt::Key_Left);
    key(Qt::Key_Delete);
    EXPECT_EQ(fieldText(), "mi");
    key(Qt::Key_A, Qt::ControlModifier);
    key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "mi");
    key(Qt::Key_End);
    key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(fieldText(), "mimi");
    EXPECT_EQ(m_store->count(), 1) << "nothing was trashed or stashed";
    EXPECT_EQ(m_store->trashCount(), 0);
    EXPECT_EQ(copies.count(), 0);

    // The sheet, then the selection, then the panel.
    key(Qt::Key_Escape);
    EXPECT_TRUE(editorClosed());
    EXPECT_TRUE(controller().isOpen());
    EXPECT_EQ(controller().selection()->count(), 1);
    key(Qt::Key_Escape);
    EXPECT_TRUE(controller().isOpen());
    EXPECT_EQ(controller().selection()->count(), 0);
    key(Qt::Key_Escape);
    EXPECT_FALSE(controller().isOpen());
    EXPECT_FALSE(m_store->items().first().note().has_value());
}

TEST_F(NoteEditorTest, ALongPasteIsCutToFiveHundredCharacters)
{
    ASSERT_TRUE(openEditor());
    QGuiApplication::clipboard()->setText(QString(600, QLatin1Char('x')));
    key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(fieldText().size(), 500);
    EXPECT_EQ(visibleTexts("noteCounter"), QStringList{"500 / 500"});
    // Typing beyond the limit has no effect.
    typeText(QStringLiteral("y"));
    EXPECT_EQ(fieldText(), QString(500, QLatin1Char('x')));
}

TEST_F(NoteEditorTest, EmojiCountAsOneCharacterEach)
{
    ASSERT_TRUE(openEditor());
    QString emoji;
    for (int i = 0; i < 501; ++i)
        emoji += QStringLiteral("👍🏽");
    ASSERT_NE(field(), nullptr);
    field()->setProperty("text", emoji);
    const QString kept = fieldText();
    EXPECT_EQ(kept.size(), 500 * QStringLiteral("👍🏽").size());
    EXPECT_EQ(visibleTexts("noteCounter"), QStringList{"500 / 500"});
    ASSERT_TRUE(click(QStringLiteral("noteSave")));
    EXPECT_EQ(m_store->items().first().note().value_or(QString()), kept);
}

} // namespace
} // namespace holdra::test
