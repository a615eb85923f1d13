#include "ControllerFixture.h"

#include "Models/DraftModel.h"
#include "Panel/StashItemFilterModel.h"
#include "Panel/StashItemListModel.h"

#include <QAbstractItemModelTester>
#include <QKeySequence>
#include <QSignalSpy>

namespace holdra::test {
namespace {

using Sound = SystemSound::Sound;

class NotchControllerTest : public ControllerFixture
{
protected:
    // Stores `texts` (the last at the top of the list) and opens the panel.
    NotchController &openWith(const QStringList &texts)
    {
        openStore();
        for (const QString &text : texts)
            addText(text);
        controller().open();
        return controller();
    }
    // The texts of the selected rows, in list order.
    QString selectedTexts()
    {
        QString texts;
        for (const StashItem &item : m_store->items()) {
            if (controller().selection()->contains(item.id()))
                texts += item.text().value_or(QString());
        }
        return texts;
    }
    QString rowID(int row) const { return idOf(m_store->items().at(row)); }
    // The texts of the rows the search shows, top to bottom, joined by "|".
    QString shownTexts()
    {
        const StashItemFilterModel &results = *controller().search()->results();
        QStringList out;
        for (int row = 0; row < results.rowCount(); ++row)
            out.append(results.index(row, 0).data(StashItemListModel::TextRole).toString());
        return out.join(u'|');
    }
    bool press(const char *keys)
    {
        const QKeyCombination combination = QKeySequence(QLatin1String(keys))[0];
        return pressed(combination.key(), combination.keyboardModifiers());
    }
};

TEST_F(NotchControllerTest, ClosingResetsThePanelButLeavesTheToast)
{
    NotchController &c = openWith({u"x"_s});
    QSignalSpy opened(&c, &NotchController::isOpenChanged);
    c.open(u"A"_s);
    EXPECT_EQ(opened.count(), 0) << "opening where it is open changes nothing";
    c.setDropTargeted(true);
    c.selection()->selectRow(rowID(0), false);
    c.showTrash(true);
    c.draftModel().setDraft(u"typed"_s);
    c.draftModel().setTyping(true);
    c.toasts()->show(u"message"_s);
    c.close();
    EXPECT_FALSE(c.activeDisplayID() || c.isDropTargeted() || c.isShowingTrash() || c.draftModel().isTyping());
    EXPECT_TRUE(selection().isEmpty());
    EXPECT_TRUE(c.draftModel().draft().isEmpty());
    EXPECT_EQ(toast(), u"message"_s);
}

// Return and Space on the keyboard's row, and Escape's layers, are driven on the real binary (KeyRoads).
TEST_F(NotchControllerTest, TheListKeysWalkSelectTypeAndTrash)
{
    NotchController &c = openWith({u"a"_s, u"b"_s, u"c"_s, u"d"_s, u"e"_s});
    c.setListPageRows(2);
    // The list shows e, d, c, b, a from the top.
    EXPECT_FALSE(pressed(Qt::Key_Delete)) << "nothing selected: passed on";
    EXPECT_FALSE(press("Ctrl+Shift+A"));
    const std::pair<const char *, const char *> steps[] = {
        {"Down", "e"},       {"Down", "d"},        {"Shift+Down", "dc"}, {"Shift+PgDown", "dcba"},
        {"Shift+Up", "dcb"}, {"Shift+Home", "ed"}, {"End", "a"},         {"Down", "a"},
        {"PgUp", "c"},       {"Home", "e"},        {"Ctrl+A", "edcba"}};
    for (const auto &[keys, selected] : steps) {
        EXPECT_TRUE(press(keys)) << keys;
        EXPECT_EQ(selectedTexts(), QLatin1String(selected)) << keys;
    }
    // Shift+click ranges from the last plain click.
    c.selection()->selectRow(rowID(3), false);
    c.selection()->selectRange(rowID(1));
    EXPECT_EQ(selectedTexts(), u"dcb"_s);

    // A character typed on the list starts the quick entry with it; Tab goes there too.
    QSignalSpy focusRequests(&c, &NotchController::quickEntryFocusRequested);
    EXPECT_TRUE(pressed(Qt::Key_X, Qt::ShiftModifier, u"X"_s) && c.draftModel().draft() == u"X"_s);
    EXPECT_TRUE(pressed(Qt::Key_Tab));
    EXPECT_EQ(focusRequests.count(), 2);
    EXPECT_FALSE(pressed(Qt::Key_X, Qt::ControlModifier, u"\x18"_s)) << "Ctrl+X is no character";
    c.draftModel().setDraft({});

    QSignalSpy settings(&c, &NotchController::settingsRequested);
    QSignalSpy quits(&c, &NotchController::quitRequested);
    EXPECT_TRUE(pressed(Qt::Key_Comma, Qt::ControlModifier) && pressed(Qt::Key_Q, Qt::ControlModifier));
    EXPECT_EQ(settings.count() + quits.count(), 2);
    EXPECT_TRUE(pressed(Qt::Key_Backspace) && m_store->trashCount() == 3);

    // In the trash the list keys do nothing, select-all included.
    c.showTrash(true);
    EXPECT_FALSE(pressed(Qt::Key_Down) || pressed(Qt::Key_Y, Qt::NoModifier, u"y"_s));
    EXPECT_TRUE(pressed(Qt::Key_A, Qt::ControlModifier) && selection().isEmpty());
}

TEST_F(NotchControllerTest, TheSearchNarrowsSelectionKeysAndActionsToTheRowsItShows)
{
    // From the top: https://APPLE.example, cherry, Apple juice, banana, apple pie.
    NotchController &c =
        openWith({u"apple pie"_s, u"banana"_s, u"Apple juice"_s, u"cherry"_s, u"https://APPLE.example"_s});
    PanelSearch &search = *c.search();
    c.selection()->selectRow(rowID(3), false);
    EXPECT_TRUE(pressed(Qt::Key_F, Qt::ControlModifier) && search.isActive());

    search.setQuery(u"ａｐｐｌｅ"_s);
    EXPECT_TRUE(selection().isEmpty()) << "a hidden row leaves the selection";
    EXPECT_TRUE(pressed(Qt::Key_A, Qt::ControlModifier));
    EXPECT_EQ(selection().size(), 3);

    // Escape: first the search goes (the selection stays), then the selection.
    EXPECT_TRUE(pressed(Qt::Key_Escape) && !search.isActive() && search.query().isEmpty());
    EXPECT_EQ(selection().size(), 3);
    EXPECT_TRUE(pressed(Qt::Key_Escape) && selection().isEmpty());

    // The keyboard and Shift ranges walk the shown rows only; typing on the list extends the query.
    search.begin();
    search.setQuery(u"e"_s);
    EXPECT_TRUE(pressed(Qt::Key_P, Qt::NoModifier, u"p"_s) && search.query() == u"ep"_s);
    search.setQuery(u"p"_s);
    EXPECT_TRUE(pressed(Qt::Key_Down) && pressed(Qt::Key_Down));
    EXPECT_EQ(selectedTexts(), u"Apple juice"_s);
    c.selection()->selectRange(rowID(4));
    EXPECT_EQ(selectedTexts(), u"Apple juiceapple pie"_s);
    EXPECT_TRUE(pressed(Qt::Key_Delete) && m_store->trashCount() == 2);

    c.showTrash(true);
    EXPECT_FALSE(search.isActive()) << "the trash is not searched";
    EXPECT_FALSE(pressed(Qt::Key_F, Qt::ControlModifier));
    c.showTrash(false);
    search.begin();
    search.setQuery(u"cherry"_s);
    // Meanwhile the results follow the store row for row, each row judged as it changes.
    QAbstractItemModelTester tester(search.results(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    const StashItem banana = m_store->items().last();
    m_store->setNote(u"cherry pit"_s, banana.id());
    m_store->setLocked(true, {banana.id()});
    const StashItem jam = addText(u"cherry jam"_s);
    EXPECT_EQ(shownTexts(), u"banana|cherry jam|cherry"_s);
    m_store->remove(QSet<QUuid>{jam.id()});
    m_store->setNote(QString(), banana.id());
    EXPECT_EQ(shownTexts(), u"cherry"_s);
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

using ToastPresenterTest = ControllerFixture;

TEST_F(ToastPresenterTest, MessagesReplaceEachOtherLastTheirFullTimeAndSoundOnlyWhenWanted)
{
    ToastPresenter &toasts = *controller().toasts();
    toasts.show(u"first"_s);
    m_clock.advance(1000ms);
    toasts.feedback(u"second"_s, ToastPresenter::Kind::error);
    EXPECT_EQ(toasts.message(), u"second"_s);
    EXPECT_TRUE(toasts.isError());
    m_clock.advance(ToastPresenter::duration - 1ms);
    EXPECT_EQ(toasts.message(), u"second"_s) << "the first timer must not clear the newer message";
    m_clock.advance(1ms);
    EXPECT_FALSE(toasts.message());

    toasts.beep();
    m_settings.setSoundFeedback(false);
    toasts.feedback(u"quiet"_s);
    EXPECT_EQ(m_sounds, (QList<Sound>{Sound::Pop, Sound::Alert}));
    EXPECT_FALSE(toasts.isError());
}

} // namespace
} // namespace holdra::test
