#include "ControllerFixture.h"

#include "FakePasteboardReader.h"

#include <QDir>
#include <QMimeData>
#include <QSignalSpy>

namespace holdra::test {
namespace {

using Sound = SystemSound::Sound;

class StashActionsTest : public ControllerFixture
{
protected:
    StashActions &actions() { return *controller().actions(); }
    bool isError() { return controller().toasts()->isError(); }
    bool imported()
    {
        return waitFor([this] { return !controller().importJob()->isBusy(); });
    }
    QUrl missing() const { return QUrl::fromLocalFile(m_dir.filePath(u"gone.txt"_s)); }
};

TEST_F(StashActionsTest, CopyingNamesItsCountAndAnEmptySelectionOnlyBeeps)
{
    openStore();
    const QString a = idOf(addText(u"a"_s));
    QSignalSpy copies(&actions(), &StashActions::copyRequested);
    actions().copySelection();
    EXPECT_EQ(m_sounds, QList<Sound>{Sound::Alert});
    EXPECT_EQ(copies.count(), 0);

    controller().selection()->selectRow(a, false);
    actions().copySelection();
    EXPECT_EQ(toast(), u"已复制 1 项"_s);
    EXPECT_EQ(copies.count(), 1);
    EXPECT_EQ(m_sounds.count(Sound::Pop), 1);
}

TEST_F(StashActionsTest, TrashingSparesLockedItemsStopsPlaybackAndARefusalIsNoSuccess)
{
    openStore();
    QStringList ids;
    for (int i = 0; i < 5; ++i)
        ids.append(idOf(addText(QString::number(i))));
    PanelSelection &selection = *controller().selection();
    actions().toggleLock(QStringList{ids[0], ids[1]});
    EXPECT_EQ(toast(), u"已锁定 2 项"_s);
    selection.selectAll();
    actions().deleteSelection();
    EXPECT_EQ(toast(), u"已移入回收站 3 项，2 项已锁定"_s);
    EXPECT_FALSE(isError());
    EXPECT_TRUE(m_store->count() == 2 && selection.idTexts().isEmpty());

    selection.selectAll();
    actions().deleteSelection();
    EXPECT_EQ(toast(), u"所选已锁定，先解锁再删除"_s);
    EXPECT_TRUE(isError() && m_store->count() == 2);

    // A row's own button: the store's record decides, the row leaves the selection.
    selection.selectAll();
    actions().removeItems(QStringList{ids[0]});
    EXPECT_EQ(toast(), u"已锁定，先解锁再删除"_s);
    actions().toggleLock(QStringList{ids[0], ids[1]});
    EXPECT_EQ(toast(), u"已解锁 2 项"_s) << "all locked: the toggle unlocks";
    actions().removeItems(QStringList{ids[0]});
    EXPECT_EQ(toast(), u"已移入回收站"_s);
    EXPECT_EQ(selection.idTexts(), QStringList{ids[1]});

    const QString note = idOf(addAudio("voice"));
    controller().voiceNotes()->togglePlayback(note);
    ASSERT_TRUE(controller().voiceNotes()->player()->isPlaying());
    actions().removeItems(QStringList{note});
    EXPECT_TRUE(controller().voiceNotes()->player()->activeItemID().isNull()) << "a trashed row stops playing";
}

TEST_F(StashActionsTest, RestoringAnEntryWhoseFileIsGoneFailsAndLeavesItInTheTrash)
{
    const StashItem stored = storedItem(u"gone.txt"_s, "bytes");
    writeItems({stored});
    openStore();
    const StashItem text = addText(u"t"_s);
    actions().removeItems(QStringList{idOf(stored), idOf(text)});
    ASSERT_EQ(m_store->trashCount(), 2);
    actions().restoreFromTrash(QStringList{idOf(text)});
    EXPECT_TRUE(toast() == u"已恢复到暂存"_s && !isError());
    QDir(root()).removeRecursively();
    actions().restoreAllFromTrash();
    EXPECT_EQ(toast(), u"原文件已缺失，无法恢复"_s);
    EXPECT_TRUE(isError() && m_store->trashCount() == 1);
}

TEST_F(StashActionsTest, APasteSelectsAndScrollsToWhatItRepeatedOrBeepsWhenNothingWasStashed)
{
    openStore();
    for (int i = 1; i <= 8; ++i)
        m_store->addFiles({source(u"f%1.txt"_s.arg(i), QByteArray::number(i))});
    const StashItem bottom = m_store->items().last();
    PanelSelection &selection = *controller().selection();
    const struct
    {
        const char *what;
        QList<QUrl> files;
        std::optional<QString> toast; // none: the alert
        bool highlights;
    } cases[] = {
        {"an empty clipboard", {}, std::nullopt, false},
        {"only a failure", {missing()}, std::nullopt, false},
        {"one new, one failed: the files pasted are counted",
         {source(u"new.txt"_s, "new"), missing()},
         u"已暂存 2 个文件"_s,
         false},
        {"a repeat and a failure", {source(u"again.txt"_s, "1"), missing()}, u"「f1.txt」已存在，高亮显示"_s, true},
    };
    for (const auto &test : cases) {
        SCOPED_TRACE(test.what);
        m_clock.advance(ToastPresenter::duration);
        m_sounds.clear();
        FakePasteboardReader clipboard;
        clipboard.files = test.files;
        const int requests = selection.scrollToTopRequest();
        actions().paste(clipboard);
        ASSERT_TRUE(imported());
        EXPECT_EQ(toast(), test.toast);
        EXPECT_EQ(m_sounds.contains(Sound::Alert), !test.toast);
        EXPECT_EQ(selection.scrollToTopRequest(), requests + (test.highlights ? 1 : 0));
    }
    // The repeated bottom row was selected and brought into view.
    EXPECT_EQ(selection.idTexts(), QStringList{idOf(bottom)});
    EXPECT_EQ(selection.scrollTargetItemID(), bottom.id());
}

TEST_F(StashActionsTest, ADropIsImportedAfterItsAcceptanceAndTheDragOpenedPanelClosesAfterIt)
{
    openStore();
    NotchController &c = controller();
    c.openForDrag(u"A"_s);

    // The drop returns at once; its data is copied for the import on the next turn.
    QMimeData data;
    data.setText(u"dropped words"_s);
    actions().drop(data);
    data.setText(u"changed after the drop"_s);
    EXPECT_EQ(m_store->count(), 0);
    m_clock.runDue();
    ASSERT_TRUE(imported());
    EXPECT_EQ(m_store->items().first().text(), u"dropped words"_s);
    EXPECT_EQ(toast(), u"已暂存 1 项"_s);
    m_clock.advance(NotchController::autoCloseDelay - 1ms);
    EXPECT_TRUE(c.isOpen());
    m_clock.advance(1ms);
    EXPECT_FALSE(c.isOpen());

    // Nothing stashed: silent, and the panel stays.
    c.openForDrag(u"A"_s);
    m_clock.advance(ToastPresenter::duration);
    QMimeData gone;
    gone.setUrls({missing(), missing()});
    actions().drop(gone);
    m_clock.runDue();
    ASSERT_TRUE(imported());
    EXPECT_FALSE(toast());
    m_clock.advance(NotchController::autoCloseDelay);
    EXPECT_TRUE(c.isOpen());
}

} // namespace
} // namespace holdra::test
