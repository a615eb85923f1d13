#include "PanelViewFixture.h"

#include <QClipboard>
#include <QGuiApplication>

namespace holdra::test {
namespace {

// The note editor as the panel opens it from a row's menu. Its keys with a row
// selected are driven on the real binary (KeyRoads).
class NoteEditorTest : public PanelViewFixture
{
protected:
    void SetUp() override
    {
        openStore();
        m_store->addText(u"待办"_s);
        ASSERT_NE(openPanel(460), nullptr);
        ASSERT_TRUE(waitFor([&] { return isShown(u"rowMouseArea"_s); }));
    }
    // Opens the sheet from the first row's menu.
    [[nodiscard]] ::testing::AssertionResult openEditor()
    {
        if (::testing::AssertionResult done = click(u"rowMouseArea"_s, Qt::RightButton); !done)
            return done;
        if (::testing::AssertionResult done = click(u"menuNote"_s); !done)
            return done;
        if (!waitFor([&] { return focusIsIn(u"noteField"_s); }))
            return ::testing::AssertionFailure() << "the note field did not take the keys";
        return ::testing::AssertionSuccess();
    }
    QString fieldText() const { return visibleTexts(u"noteField"_s).value(0, u"<no field>"_s); }
    QString counter() const { return visibleTexts(u"noteCounter"_s).value(0); }
    QString note() const { return m_store->items().first().note().value_or(u"<none>"_s); }
};

// Escape leaving the note alone, Return saving it and a cancelled text not
// coming back are driven on the real binary (KeyRoads).
TEST_F(NoteEditorTest, TheSheetCountsWhatIsTypedSavesItAndEditsANoteInPlace)
{
    ASSERT_TRUE(openEditor());
    EXPECT_EQ(visibleTexts(u"noteEditorTitle"_s), QStringList{u"添加备注"_s});
    EXPECT_EQ(counter(), u"0 / 500");
    typeText(u"buy milk"_s);
    EXPECT_EQ(counter(), u"8 / 500");
    ASSERT_TRUE(click(u"noteSave"_s));
    EXPECT_EQ(note(), u"buy milk");

    ASSERT_TRUE(openEditor());
    EXPECT_EQ(visibleTexts(u"noteEditorTitle"_s), QStringList{u"编辑备注"_s});
    EXPECT_EQ(fieldText(), u"buy milk");
}

// The limit counts what a reader sees: an emoji with its skin tone is one character.
TEST_F(NoteEditorTest, ANoteStopsAtFiveHundredCharacters)
{
    const struct
    {
        QString unit;
        bool pasted;
    } cases[] = {{u"x"_s, true}, {u"👍🏽"_s, false}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.unit.toStdString());
        ASSERT_TRUE(openEditor());
        if (c.pasted) {
            QGuiApplication::clipboard()->setText(c.unit.repeated(600));
            key(Qt::Key_V, Qt::ControlModifier);
            typeText(u"y"_s);
        } else {
            find(u"noteField"_s)->setProperty("text", c.unit.repeated(501));
        }
        EXPECT_EQ(fieldText(), c.unit.repeated(500)) << "neither a long paste nor typing goes past the limit";
        EXPECT_EQ(counter(), u"500 / 500");
        ASSERT_TRUE(click(u"noteSave"_s));
        EXPECT_EQ(note(), c.unit.repeated(500));
    }
}

} // namespace
} // namespace holdra::test
