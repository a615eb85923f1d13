#include "ControllerFixture.h"

#include "Models/DraftModel.h"

#include <QKeySequence>
#include <QSignalSpy>

namespace holdra::test {
namespace {

using Sound = SystemSound::Sound;

class NotchControllerTest : public ControllerFixture
{
protected:
    // The texts of the selected rows, in list order.
    QString selectedTexts()
    {
        QString texts;
        for (const StashItem &item : m_store->items()) {
            if (controller().selection()->contains(item.id()))
                texts += item.text().value_or(item.urlString().value_or(QString()));
        }
        return texts;
    }
};

TEST_F(NotchControllerTest, ClosingResetsThePanelButLeavesTheToast)
{
    openStore();
    const StashItem item = addText(u"x"_s);
    NotchController &c = controller();
    QSignalSpy opened(&c, &NotchController::isOpenChanged);
    c.open();
    c.open(u"A"_s);
    EXPECT_EQ(opened.count(), 1) << "opening where it is open changes nothing";
    c.setDropTargeted(true);
    c.selection()->selectRow(idOf(item), false);
    c.showTrash(true);
    c.draftModel().setDraft(u"typed"_s);
    c.draftModel().setTyping(true);
    c.toasts()->show(u"message"_s);
    c.close();
    EXPECT_FALSE(c.activeDisplayID());
    EXPECT_FALSE(c.isDropTargeted());
    EXPECT_TRUE(selection().isEmpty());
    EXPECT_FALSE(c.isShowingTrash());
    EXPECT_TRUE(c.draftModel().draft().isEmpty());
    EXPECT_FALSE(c.draftModel().isTyping());
    EXPECT_EQ(toast(), u"message"_s);
}

TEST_F(NotchControllerTest, EscapeClosesOneLayerAtATimeAndTheFieldKeepsItsKeys)
{
    openStore();
    const StashItem item = addText(u"x"_s);
    NotchController &c = controller();
    QSignalSpy copies(c.actions(), &StashActions::copyRequested);
    c.open();
    c.selection()->selectRow(idOf(item), false);
    c.draftModel().setTyping(true);
    c.draftModel().setDraft(u"abc"_s);
    EXPECT_FALSE(pressed(Qt::Key_C, Qt::ControlModifier));
    EXPECT_FALSE(pressed(Qt::Key_Delete));
    EXPECT_EQ(copies.count(), 0);
    EXPECT_EQ(m_store->count(), 1);
    EXPECT_TRUE(pressed(Qt::Key_Escape));
    EXPECT_TRUE(c.draftModel().draft().isEmpty()) << "the first Escape clears the draft";
    EXPECT_TRUE(c.isOpen());

    c.draftModel().setTyping(false);
    EXPECT_TRUE(pressed(Qt::Key_Escape));
    EXPECT_TRUE(selection().isEmpty()) << "then the selection";
    EXPECT_TRUE(c.isOpen());
    EXPECT_TRUE(pressed(Qt::Key_Escape));
    EXPECT_FALSE(c.isOpen());
    EXPECT_FALSE(pressed(Qt::Key_Escape)) << "a closed panel takes no keys";

    c.open();
    c.draftModel().setTyping(true);
    c.draftModel().setDraft(u"by return"_s);
    EXPECT_TRUE(pressed(Qt::Key_Return));
    EXPECT_EQ(m_store->count(), 2);
    EXPECT_FALSE(c.isOpen());
}

TEST_F(NotchControllerTest, ShortcutsOfTheList)
{
    openStore();
    const StashItem a = addText(u"a"_s);
    addText(u"b"_s);
    NotchController &c = controller();
    QSignalSpy settings(&c, &NotchController::settingsRequested);
    QSignalSpy quits(&c, &NotchController::quitRequested);
    c.open();
    EXPECT_FALSE(pressed(Qt::Key_Delete)) << "nothing selected: passed on";
    EXPECT_TRUE(pressed(Qt::Key_A, Qt::ControlModifier));
    EXPECT_EQ(selection().size(), 2);
    EXPECT_FALSE(pressed(Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier));
    EXPECT_TRUE(pressed(Qt::Key_Comma, Qt::ControlModifier));
    EXPECT_TRUE(pressed(Qt::Key_Q, Qt::ControlModifier));
    EXPECT_EQ(settings.count(), 1);
    EXPECT_EQ(quits.count(), 1);
    c.selection()->selectRow(idOf(a), false);
    EXPECT_TRUE(pressed(Qt::Key_Backspace));
    EXPECT_EQ(m_store->count(), 1);
    EXPECT_EQ(toast(), u"已移入回收站 1 项"_s);
}

TEST_F(NotchControllerTest, TheKeyboardWalksAndExtendsTheSelection)
{
    openStore();
    for (const QString &text : {u"a"_s, u"b"_s, u"c"_s, u"d"_s, u"e"_s})
        addText(text);
    NotchController &c = controller();
    c.setListPageRows(2);
    c.open();
    // The list shows e, d, c, b, a from the top.
    struct Step
    {
        int key;
        Qt::KeyboardModifiers modifiers;
        QString selection;
    };
    const QList<Step> steps{
        {Qt::Key_Down, Qt::NoModifier, u"e"_s},     {Qt::Key_Down, Qt::NoModifier, u"d"_s},
        {Qt::Key_Down, Qt::ShiftModifier, u"dc"_s}, {Qt::Key_PageDown, Qt::ShiftModifier, u"dcba"_s},
        {Qt::Key_Up, Qt::ShiftModifier, u"dcb"_s},  {Qt::Key_Home, Qt::ShiftModifier, u"ed"_s},
        {Qt::Key_End, Qt::NoModifier, u"a"_s},      {Qt::Key_Down, Qt::NoModifier, u"a"_s},
        {Qt::Key_PageUp, Qt::NoModifier, u"c"_s},   {Qt::Key_Home, Qt::NoModifier, u"e"_s},
    };
    for (const Step &step : steps) {
        SCOPED_TRACE(QKeySequence(step.key | step.modifiers).toString().toStdString());
        EXPECT_TRUE(pressed(step.key, step.modifiers));
        EXPECT_EQ(selectedTexts(), step.selection);
    }
    // Shift+click ranges from the last plain click.
    c.selection()->selectRow(idOf(m_store->items()[3]), false);
    c.selection()->selectRange(idOf(m_store->items()[1]));
    EXPECT_EQ(selectedTexts(), u"dcb"_s);

    // Return opens the keyboard's row, Space previews it; a text previews either way.
    QSignalSpy previews(c.actions(), &StashActions::previewItemRequested);
    EXPECT_TRUE(pressed(Qt::Key_Return));
    EXPECT_TRUE(pressed(Qt::Key_Space));
    ASSERT_EQ(previews.count(), 2);
    EXPECT_EQ(previews.last().first().value<StashItem>().text(), u"d"_s);

    // A character typed on the list starts the quick entry with it.
    QSignalSpy focusRequests(&c, &NotchController::quickEntryFocusRequested);
    EXPECT_TRUE(pressed(Qt::Key_X, Qt::ShiftModifier, u"X"_s));
    EXPECT_EQ(c.draftModel().draft(), u"X"_s);
    EXPECT_TRUE(pressed(Qt::Key_Tab));
    EXPECT_EQ(focusRequests.count(), 2);
    EXPECT_FALSE(pressed(Qt::Key_X, Qt::ControlModifier, u"\x18"_s)) << "Ctrl+X is no character";

    // In the trash the list keys do nothing.
    c.showTrash(true);
    EXPECT_FALSE(pressed(Qt::Key_Down));
    EXPECT_FALSE(pressed(Qt::Key_Y, Qt::NoModifier, u"y"_s));
    EXPECT_TRUE(pressed(Qt::Key_A, Qt::ControlModifier));
    EXPECT_TRUE(selection().isEmpty()) << "select-all does nothing in the trash";
}

TEST_F(NotchControllerTest, TheEffectiveItemsOfARowAreTheSelectionItBelongsTo)
{
    openStore();
    const StashItem c1 = addText(u"1"_s);
    const StashItem c2 = addText(u"2"_s);
    const StashItem c3 = addText(u"3"_s);
    PanelSelection &s = *controller().selection();
    s.selectRow(idOf(c1), false);
    EXPECT_EQ(s.effectiveItems(idOf(c1)), QStringList{idOf(c1)}) << "one selected row acts alone";
    s.selectRow(idOf(c3), true);
    EXPECT_EQ(s.effectiveItems(idOf(c1)), (QStringList{idOf(c3), idOf(c1)})) << "in list order, newest first";
    EXPECT_EQ(s.effectiveItems(idOf(c2)), QStringList{idOf(c2)}) << "an unselected row acts alone";
    s.selectRow(idOf(c3), true);
    EXPECT_FALSE(s.isSelected(idOf(c3)));
    s.selectRow(u"not an id"_s, false);
    EXPECT_EQ(selection(), QStringList{idOf(c1)});
}

// The search narrows what the keys, ranges and actions reach.
TEST_F(NotchControllerTest, TheSearchNarrowsSelectionKeysAndActionsToTheRowsItShows)
{
    openStore();
    for (const QString &text : {u"apple pie"_s, u"banana"_s, u"Apple juice"_s, u"cherry"_s, u"https://APPLE.example"_s})
        addText(text);
    NotchController &c = controller();
    PanelSearch &search = *c.search();
    c.open();
    QSignalSpy focus(&search, &PanelSearch::focusRequested);
    c.selection()->selectRow(idOf(m_store->items()[3]), false); // banana
    EXPECT_TRUE(pressed(Qt::Key_F, Qt::ControlModifier));
    EXPECT_TRUE(search.isActive());
    EXPECT_EQ(focus.count(), 1);

    search.setQuery(u"ａｐｐｌｅ"_s);
    EXPECT_TRUE(selectedTexts().isEmpty()) << "a hidden row leaves the selection";
    EXPECT_TRUE(pressed(Qt::Key_A, Qt::ControlModifier));
    EXPECT_EQ(selectedTexts(), u"https://APPLE.exampleApple juiceapple pie"_s);

    // Escape: first the search goes (the selection stays), then the selection.
    EXPECT_TRUE(pressed(Qt::Key_Escape));
    EXPECT_FALSE(search.isActive());
    EXPECT_TRUE(search.query().isEmpty());
    EXPECT_EQ(selection().size(), 3);
    EXPECT_TRUE(pressed(Qt::Key_Escape));
    EXPECT_TRUE(selection().isEmpty());

    // The keyboard and Shift ranges walk the shown rows only; typing on the list extends the query.
    search.begin();
    search.setQuery(u"e"_s);
    EXPECT_TRUE(pressed(Qt::Key_P, Qt::NoModifier, u"p"_s));
    EXPECT_EQ(search.query(), u"ep"_s);
    search.setQuery(u"p"_s);
    EXPECT_TRUE(pressed(Qt::Key_Down));
    EXPECT_TRUE(pressed(Qt::Key_Down));
    EXPECT_EQ(selectedTexts(), u"Apple juice"_s);
    c.selection()->selectRange(idOf(m_store->items()[4]));
    EXPECT_EQ(selectedTexts(), u"Apple juiceapple pie"_s);

    // Trashing takes the shown selection; banana and cherry were never in reach.
    EXPECT_TRUE(pressed(Qt::Key_Delete));
    EXPECT_EQ(toast(), u"已移入回收站 2 项"_s);
    EXPECT_EQ(m_store->count(), 3);

    c.showTrash(true);
    EXPECT_FALSE(search.isActive()) << "the trash is not searched";
    EXPECT_FALSE(pressed(Qt::Key_F, Qt::ControlModifier));
    c.showTrash(false);
    search.begin();
    search.setQuery(u"cherry"_s);
    c.close();
    EXPECT_FALSE(search.isActive());
    EXPECT_EQ(search.results()->count(), 3);
}

TEST_F(NotchControllerTest, TheCompanionSegmentFollowsAvailability)
{
    NotchController &c = controller();
    QSignalSpy requests(&c, &NotchController::openKelvarnTodayFolderRequested);
    c.openKelvarnTodayFolder(u"A"_s);
    EXPECT_EQ(m_sounds, QList<Sound>{Sound::Alert});
    c.setKelvarnAvailability(true, true);
    EXPECT_TRUE(c.canOpenKelvarnTodayFolder());
    c.openKelvarnTodayFolder(u"A"_s);
    ASSERT_EQ(requests.count(), 1);
    EXPECT_TRUE(requests.at(0).at(1).toBool());
    c.reportKelvarnOpenFailure();
    EXPECT_FALSE(c.canOpenKelvarnTodayFolder());
    EXPECT_EQ(m_sounds.count(Sound::Alert), 2);
}

} // namespace
} // namespace holdra::test
