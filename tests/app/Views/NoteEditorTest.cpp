#include "PanelViewFixture.h"

#include <QClipboard>
#include <QGuiApplication>

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
        controller().open(QStringLiteral("A"));
        show(QStringLiteral("OpenPanelView"), QSize(460, 470))->forceActiveFocus();
        ASSERT_TRUE(waitFor([&] { return !visibleItems(QStringLiteral("rowMouseArea")).isEmpty(); }));
    }
    void openEditor()
    {
        click(visibleItems(QStringLiteral("rowMouseArea")).value(0), Qt::RightButton);
        ASSERT_TRUE(waitFor([&] { return !visibleItems(QStringLiteral("menuNote")).isEmpty(); }));
        click(visibleItems(QStringLiteral("menuNote")).value(0));
        ASSERT_TRUE(waitFor([&] { return !visibleItems(QStringLiteral("noteField")).isEmpty(); }));
    }
    QQuickItem *field() const { return visibleItems(QStringLiteral("noteField")).value(0); }
    void typeIntoField(const QString &text) const { typeText(text); }

    StashItem m_item;
};

TEST_F(NoteEditorTest, AnItemWithoutANoteGetsAnEmptyAddNoteSheet)
{
    openEditor();
    EXPECT_EQ(visibleTexts("noteEditorTitle"), QStringList{"添加备注"});
    EXPECT_EQ(field()->property("text").toString(), QString());
    EXPECT_EQ(visibleTexts("noteCounter"), QStringList{"0 / 500"});
    saveScreenshot(QStringLiteral("note-editor"));
}

TEST_F(NoteEditorTest, SavingStoresTheNoteAndEscapeLeavesItAlone)
{
    openEditor();
    typeIntoField(QStringLiteral("buy milk"));
    EXPECT_EQ(visibleTexts("noteCounter"), QStringList{"8 / 500"});
    key(Qt::Key_Escape);
    EXPECT_TRUE(waitFor([&] { return visibleItems(QStringLiteral("noteField")).isEmpty(); }));
    EXPECT_FALSE(m_store->items().first().note().has_value());

    openEditor();
    EXPECT_EQ(field()->property("text").toString(), QString()) << "a cancelled edit does not come back";
    typeIntoField(QStringLiteral("buy milk"));
    click(visibleItems("noteSave").value(0));
    EXPECT_EQ(m_store->items().first().note().value_or(QString()), "buy milk");

    // With a note the sheet is for editing it.
    openEditor();
    EXPECT_EQ(visibleTexts("noteEditorTitle"), QStringList{"编辑备注"});
    EXPECT_EQ(field()->property("text").toString(), "buy milk");
    key(Qt::Key_Return);
    EXPECT_TRUE(waitFor([&] { return visibleItems(QStringLiteral("noteField")).isEmpty(); }));
    EXPECT_EQ(m_store->items().first().note().value_or(QString()), "buy milk");
}

TEST_F(NoteEditorTest, ALongPasteIsCutToFiveHundredCharacters)
{
    openEditor();
    QGuiApplication::clipboard()->setText(QString(600, QLatin1Char('x')));
    key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(field()->property("text").toString().size(), 500);
    EXPECT_EQ(visibleTexts("noteCounter"), QStringList{"500 / 500"});
    // Typing beyond the limit has no effect.
    typeIntoField(QStringLiteral("y"));
    EXPECT_EQ(field()->property("text").toString(), QString(500, QLatin1Char('x')));
}

TEST_F(NoteEditorTest, EmojiCountAsOneCharacterEach)
{
    openEditor();
    QString emoji;
    for (int i = 0; i < 501; ++i)
        emoji += QStringLiteral("👍🏽");
    field()->setProperty("text", emoji);
    const QString kept = field()->property("text").toString();
    EXPECT_EQ(kept.size(), 500 * QStringLiteral("👍🏽").size());
    EXPECT_EQ(visibleTexts("noteCounter"), QStringList{"500 / 500"});
    click(visibleItems("noteSave").value(0));
    EXPECT_EQ(m_store->items().first().note().value_or(QString()), kept);
}

} // namespace
} // namespace holdra::test
