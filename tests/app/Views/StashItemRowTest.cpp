#include "PanelViewFixture.h"

namespace holdra::test {
namespace {

// A stash with a file, a link, a text and a recording, shown in the open panel.
class StashItemRowTest : public PanelViewFixture
{
protected:
    void SetUp() override
    {
        openStore();
        const auto files = m_store->addFiles({source(u"report.pdf"_s, QByteArray(4096, 'r'))});
        ASSERT_TRUE(files.errors.isEmpty());
        m_file = files.added[0];
        m_link = m_store->addLink(u"https://www.example.org/article"_s, std::nullopt);
        m_text = m_store->addText(u"买牛奶\n还有面包"_s);
        m_audio = m_store->addAudio(QByteArray(8000, 'a'), u"语音备忘"_s, 65.0);
        ASSERT_NE(openPanel(420), nullptr);
        ASSERT_TRUE(waitFor([&] { return visibleItems(u"rowName"_s).size() == 4; }));
    }

    // The row delegate showing `item`.
    QQuickItem *rowOf(const StashItem &item) const
    {
        for (QQuickItem *name : visibleItems(u"rowName"_s)) {
            QQuickItem *row = name;
            while (row && row->property("itemId").toString() != idOf(item))
                row = row->parentItem();
            if (row)
                return row;
        }
        return nullptr;
    }
    QQuickItem *childOf(const StashItem &item, const QString &name) const
    {
        QQuickItem *row = rowOf(item);
        return row ? allItems(name, row).value(0) : nullptr;
    }
    QString inRow(const StashItem &item, const QString &name) const
    {
        QQuickItem *found = childOf(item, name);
        return found ? found->property("text").toString() : u"<no "_s + name + u'>';
    }
    bool hover(QQuickItem *row) const
    {
        QTest::mouseMove(window(), row->mapToScene(QPointF(row->width() / 2, row->height() / 2)).toPoint());
        return waitFor([&] { return row->property("hovering").toBool(); });
    }

    StashItem m_file, m_link, m_text, m_audio;
};

TEST_F(StashItemRowTest, ALockedRowShowsItsBadgeAndNoRemoveButtonUnderThePointer)
{
    m_store->setLocked(true, {m_text.id()});
    m_store->setNote(u"周末前"_s, m_text.id());
    ASSERT_TRUE(waitFor([&] { return inRow(m_text, u"rowNote"_s) == u"周末前"; }));
    ASSERT_TRUE(hover(rowOf(m_text)));
    EXPECT_TRUE(effectivelyVisible(childOf(m_text, u"lockBadge"_s)));
    EXPECT_FALSE(effectivelyVisible(childOf(m_text, u"removeButton"_s)));

    // An unlocked row offers removal under the pointer, and the button moves it to the trash.
    EXPECT_DOUBLE_EQ(childOf(m_link, u"removeButton"_s)->opacity(), 0);
    ASSERT_TRUE(hover(rowOf(m_link)));
    EXPECT_TRUE(waitFor([&] { return childOf(m_link, u"removeButton"_s)->opacity() == 1; }));
    EXPECT_FALSE(effectivelyVisible(childOf(m_link, u"lockBadge"_s)));
    ASSERT_TRUE(click(childOf(m_link, u"removeButton"_s)));
    EXPECT_EQ(m_store->trashCount(), 1);
}

TEST_F(StashItemRowTest, ClicksSelectAndTwoQuickOnesActivate)
{
    QSignalSpy previews(controller().actions(), &StashActions::previewItemRequested);
    QQuickItem *row = rowOf(m_text);
    ASSERT_TRUE(click(row));
    EXPECT_EQ(selection(), QStringList{idOf(m_text)});
    EXPECT_TRUE(row->property("accessibleName").toString().endsWith(u"，已选中"_s));
    EXPECT_TRUE(row->property("current").toBool()) << "the clicked row is the keyboard's";
    EXPECT_EQ(previews.count(), 0);
    ASSERT_TRUE(click(row));
    EXPECT_EQ(previews.count(), 1);

    // 0.4 s after the previous click only selects.
    row->setProperty("lastClickAt", QDateTime::currentMSecsSinceEpoch() - 400);
    ASSERT_TRUE(click(row));
    EXPECT_EQ(previews.count(), 1);
    // A Ctrl click adds to the selection and never activates.
    QSignalSpy opens(controller().actions(), &StashActions::openItemRequested);
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(click(rowOf(m_link), Qt::LeftButton, Qt::ControlModifier));
    EXPECT_EQ(controller().selection()->count(), 2);
    EXPECT_EQ(opens.count(), 0);
    EXPECT_TRUE(rowOf(m_link)->property("current").toBool() && !row->property("current").toBool());
}

// The menu names what it acts on: a row of a selection acts on all of it.
TEST_F(StashItemRowTest, TheMenuCountsTheSelectionItActsOnAndNamesTheFileManager)
{
    const QStringList names{u"menuCopy"_s, u"menuLock"_s, u"menuNote"_s, u"menuRemove"_s, u"menuReveal"_s};
    const auto menuTexts = [&] {
        QStringList texts;
        for (const QString &name : names)
            texts.append(visibleTexts(name).value(0));
        return texts;
    };
    controller().selection()->selectRow(idOf(m_text), false);
    controller().selection()->selectRow(idOf(m_link), true);
    controller().selection()->selectRow(idOf(m_audio), true);
    ASSERT_TRUE(click(rowOf(m_link), Qt::RightButton));
    EXPECT_TRUE(waitFor([&] { return isShown(u"menuCopy"_s); }));
    EXPECT_EQ(menuTexts(),
              (QStringList{u"复制 3 项"_s, u"锁定 3 项"_s, u"为此项目添加备注"_s, u"移到回收站 3 项"_s, {}}));
    ASSERT_TRUE(click(u"menuLock"_s));
    EXPECT_EQ(std::ranges::count_if(m_store->items(), &StashItem::locked), 3);

    ASSERT_TRUE(click(rowOf(m_file), Qt::RightButton));
    EXPECT_TRUE(waitFor([&] { return isShown(u"menuCopy"_s); }));
    EXPECT_EQ(menuTexts(),
              (QStringList{u"复制"_s, u"锁定"_s, u"添加备注"_s, u"移到回收站"_s, u"在文件管理器中显示"_s}));
    QSignalSpy reveals(controller().actions(), &StashActions::revealItemRequested);
    ASSERT_TRUE(click(u"menuReveal"_s));
    ASSERT_EQ(reveals.count(), 1);
    EXPECT_EQ(reveals.first().at(0).value<StashItem>().id(), m_file.id());
}

TEST_F(StashItemRowTest, APlayingRecordingShowsItsProgressAndAPausedOneKeepsItsButton)
{
    m_playerState->duration = 65;
    controller().voiceNotes()->togglePlayback(idOf(m_audio));
    controller().voiceNotes()->player()->seek(12);
    QQuickItem *row = rowOf(m_audio);
    EXPECT_TRUE(waitFor([&] { return row->property("isAudioPlaying").toBool(); }));
    EXPECT_EQ(row->property("thumbnailActionSymbol").toString(), u"pause.fill");
    EXPECT_FALSE(effectivelyVisible(childOf(m_audio, u"rowSubtitle"_s)));
    EXPECT_EQ(inRow(m_audio, u"progressText"_s), u"0:12 / 1:05");

    controller().voiceNotes()->togglePlayback(idOf(m_audio));
    EXPECT_TRUE(waitFor([&] { return !row->property("isAudioPlaying").toBool(); }));
    EXPECT_EQ(row->property("thumbnailActionSymbol").toString(), u"play.fill");
    EXPECT_TRUE(row->property("showsThumbnailAction").toBool()) << "a paused recording keeps its button";
}

} // namespace
} // namespace holdra::test
