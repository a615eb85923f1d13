#include "Panel/StashItemPresentation.h"
#include "PanelViewFixture.h"
#include "Support/DateText.h"

#include <QImage>
#include <QSignalSpy>

namespace holdra::test {
namespace {

using namespace std::chrono_literals;

// A stash with one item of every kind, shown in the open panel.
class StashItemRowTest : public PanelViewFixture
{
protected:
    void SetUp() override
    {
        openStore();
        QImage picture(1920, 1080, QImage::Format_RGB32);
        picture.fill(QColor(70, 130, 180));
        const QString picturePath = m_dir.filePath(QStringLiteral("sources/sky.png"));
        QDir().mkpath(QFileInfo(picturePath).absolutePath());
        ASSERT_TRUE(picture.save(picturePath));
        const QString folder = m_dir.mkdir(QStringLiteral("sources/Projects"));
        m_dir.write(QStringLiteral("sources/Projects/plan.txt"), "plan");
        const auto files = m_store->addFiles({source(QStringLiteral("report.pdf"), QByteArray(4096, 'r')),
                                              QUrl::fromLocalFile(folder), QUrl::fromLocalFile(picturePath)});
        ASSERT_TRUE(files.errors.isEmpty());
        m_file = files.added[0];
        m_folder = files.added[1];
        m_image = files.added[2];
        m_link = m_store->addLink(QStringLiteral("https://www.example.org/article"), std::nullopt);
        m_text = m_store->addText(QStringLiteral("买牛奶\n还有面包"));
        m_audio = m_store->addAudio(QByteArray(8000, 'a'), QStringLiteral("语音备忘"), 65.0);
        ASSERT_NE(openPanel(420), nullptr);
        ASSERT_TRUE(waitFor([&] { return visibleItems(QStringLiteral("rowName")).size() >= 5; }));
    }

    // The row delegate showing `item`.
    QQuickItem *rowOf(const StashItem &item) const
    {
        for (QQuickItem *name : visibleItems(QStringLiteral("rowName"))) {
            if (name->property("text").toString() == item.displayName()) {
                QQuickItem *row = name;
                while (row && row->property("itemId").toString().isEmpty())
                    row = row->parentItem();
                return row;
            }
        }
        return nullptr;
    }
    QString inRow(const StashItem &item, const QString &childName) const
    {
        QQuickItem *found = childOf(item, childName);
        return found ? found->property("text").toString() : QStringLiteral("<no %1>").arg(childName);
    }
    QQuickItem *childOf(const StashItem &item, const QString &childName) const
    {
        std::function<QQuickItem *(QQuickItem *)> walk = [&](QQuickItem *at) -> QQuickItem * {
            if (at->objectName() == childName)
                return at;
            for (QQuickItem *c : at->childItems())
                if (QQuickItem *found = walk(c))
                    return found;
            return nullptr;
        };
        QQuickItem *row = rowOf(item);
        return row ? walk(row) : nullptr;
    }
    QString date(const StashItem &item) const { return abbreviatedDateTime(item.createdAt()); }

    StashItem m_file, m_folder, m_image, m_link, m_text, m_audio;
};

TEST_F(StashItemRowTest, EveryKindShowsItsNameAndSubtitle)
{
    EXPECT_EQ(inRow(m_image, "rowSubtitle"), QStringLiteral("图片 · 1920 × 1080 · ") + date(m_image));
    EXPECT_EQ(inRow(m_link, "rowSubtitle"), QStringLiteral("链接 · www.example.org · ") + date(m_link));
    EXPECT_EQ(inRow(m_folder, "rowSubtitle").section(QStringLiteral(" · "), 0, 0), "文件夹");
    EXPECT_EQ(inRow(m_file, "rowSubtitle"),
              QStringLiteral("文件 · ") + *m_file.byteSizeText() + QStringLiteral(" · ") + date(m_file));
    EXPECT_TRUE(inRow(m_audio, "rowSubtitle").startsWith(QStringLiteral("录音 · 1:05 · ")));
    EXPECT_TRUE(inRow(m_text, "rowSubtitle").startsWith(QStringLiteral("文字 · ")));

    // The folder's thumbnail action opens it.
    QQuickItem *folderRow = rowOf(m_folder);
    ASSERT_NE(folderRow, nullptr);
    EXPECT_EQ(folderRow->property("thumbnailActionSymbol").toString(), "arrow.up.forward");
    EXPECT_EQ(folderRow->property("thumbnailActionTitle").toString(), "打开文件夹");
    EXPECT_EQ(rowOf(m_image)->property("thumbnailActionTitle").toString(), "快速预览");
}

TEST_F(StashItemRowTest, ALockedRowShowsItsBadgeAndNoRemoveButtonUnderThePointer)
{
    m_store->setLocked(true, {m_text.id()});
    m_store->setNote(QStringLiteral("周末前"), m_text.id());
    ASSERT_TRUE(waitFor([&] { return inRow(m_text, "rowNote") == "周末前"; }));
    QQuickItem *row = rowOf(m_text);
    ASSERT_NE(row, nullptr);
    const QPoint centre = row->mapToScene(QPointF(row->width() / 2, row->height() / 2)).toPoint();
    QTest::mouseMove(window(), centre);
    EXPECT_TRUE(waitFor([&] { return row->property("hovering").toBool(); }));
    EXPECT_TRUE(effectivelyVisible(childOf(m_text, "lockBadge")));
    EXPECT_FALSE(effectivelyVisible(childOf(m_text, "removeButton")));
    EXPECT_DOUBLE_EQ(childOf(m_link, "removeButton")->opacity(), 0);

    // An unlocked row offers removal under the pointer, and the button moves it to the trash.
    QQuickItem *linkRow = rowOf(m_link);
    QTest::mouseMove(window(), linkRow->mapToScene(QPointF(linkRow->width() / 2, linkRow->height() / 2)).toPoint());
    EXPECT_TRUE(waitFor([&] { return childOf(m_link, "removeButton")->opacity() == 1; }));
    EXPECT_FALSE(effectivelyVisible(childOf(m_link, "lockBadge")));
    ASSERT_TRUE(click(childOf(m_link, "removeButton")));
    EXPECT_EQ(m_store->trashCount(), 1);
    EXPECT_EQ(controller().toasts()->message().value_or(QString()), "已移入回收站");
}

TEST_F(StashItemRowTest, ClicksSelectAndTwoQuickOnesActivate)
{
    QSignalSpy previews(controller().actions(), &StashActions::previewItemRequested);
    QQuickItem *row = rowOf(m_text);
    ASSERT_NE(row, nullptr);
    ASSERT_TRUE(click(row));
    EXPECT_EQ(controller().selection()->idTexts(), QStringList{idOf(m_text)});
    EXPECT_EQ(previews.count(), 0);
    ASSERT_TRUE(click(row));
    EXPECT_EQ(previews.count(), 1);

    // 0.4 s after the previous click only selects.
    row->setProperty("lastClickAt", QDateTime::currentMSecsSinceEpoch() - 400);
    ASSERT_TRUE(click(row));
    EXPECT_EQ(previews.count(), 1);
    // A Ctrl click adds to the selection and never activates.
    ASSERT_TRUE(click(rowOf(m_link), Qt::LeftButton, Qt::ControlModifier));
    ASSERT_TRUE(click(rowOf(m_link), Qt::LeftButton, Qt::ControlModifier));
    ASSERT_TRUE(click(rowOf(m_link), Qt::LeftButton, Qt::ControlModifier));
    EXPECT_EQ(controller().selection()->idTexts().size(), 2);
    QSignalSpy opens(controller().actions(), &StashActions::openItemRequested);
    EXPECT_EQ(opens.count(), 0);
}

TEST_F(StashItemRowTest, TheMenuOfAMultipleSelectionCountsItsItems)
{
    controller().selection()->selectRow(idOf(m_text), false);
    controller().selection()->selectRow(idOf(m_link), true);
    controller().selection()->selectRow(idOf(m_audio), true);
    ASSERT_TRUE(click(rowOf(m_link), Qt::RightButton));
    EXPECT_TRUE(waitFor([&] { return !visibleItems(QStringLiteral("menuCopy")).isEmpty(); }));
    EXPECT_EQ(visibleTexts("menuCopy"), QStringList{"复制 3 项"});
    EXPECT_EQ(visibleTexts("menuLock"), QStringList{"锁定 3 项"});
    EXPECT_EQ(visibleTexts("menuNote"), QStringList{"为此项目添加备注"});
    EXPECT_EQ(visibleTexts("menuRemove"), QStringList{"移到回收站 3 项"});
    EXPECT_EQ(visibleTexts("menuOpen"), QStringList{"打开"});
    EXPECT_TRUE(visibleTexts("menuReveal").isEmpty());
    ASSERT_TRUE(click(visibleItems("menuLock").value(0)));
    EXPECT_EQ(controller().toasts()->message().value_or(QString()), "已锁定 3 项");

    ASSERT_TRUE(click(rowOf(m_link), Qt::RightButton));
    EXPECT_TRUE(waitFor([&] { return visibleTexts("menuLock") == QStringList{"解锁 3 项"}; }));
    key(Qt::Key_Escape);
}

TEST_F(StashItemRowTest, TheMenuOfAFileNamesTheFileManager)
{
    ASSERT_TRUE(click(rowOf(m_file), Qt::RightButton));
    EXPECT_TRUE(waitFor([&] { return !visibleItems(QStringLiteral("menuCopy")).isEmpty(); }));
    EXPECT_EQ(visibleTexts("menuCopy"), QStringList{"复制"});
    EXPECT_EQ(visibleTexts("menuLock"), QStringList{"锁定"});
    EXPECT_EQ(visibleTexts("menuNote"), QStringList{"添加备注"});
    EXPECT_EQ(visibleTexts("menuQuickLook"), QStringList{"快速预览"});
    EXPECT_EQ(visibleTexts("menuReveal"), QStringList{"在文件管理器中显示"});
    QSignalSpy reveals(controller().actions(), &StashActions::revealItemRequested);
    ASSERT_TRUE(click(visibleItems("menuReveal").value(0)));
    ASSERT_EQ(reveals.count(), 1);
    EXPECT_EQ(reveals.first().at(0).value<StashItem>().id(), m_file.id());
}

TEST_F(StashItemRowTest, APlayingRecordingShowsItsProgressAndPauseAction)
{
    m_audioState->duration = 65;
    controller().voiceNotes()->togglePlayback(StashItemPresentation::idText(m_audio.id()));
    ASSERT_TRUE(controller().voiceNotes()->player()->isActive(m_audio.id()));
    controller().voiceNotes()->player()->seek(12);
    QQuickItem *row = rowOf(m_audio);
    ASSERT_NE(row, nullptr);
    EXPECT_TRUE(waitFor([&] { return row->property("isAudioPlaying").toBool(); }));
    EXPECT_TRUE(row->property("showsThumbnailAction").toBool());
    EXPECT_EQ(row->property("thumbnailActionSymbol").toString(), "pause.fill");
    EXPECT_FALSE(effectivelyVisible(childOf(m_audio, "rowSubtitle")));
    EXPECT_EQ(inRow(m_audio, "progressText"), "0:12 / 1:05");
}

TEST_F(StashItemRowTest, EveryKindRendersToAPicture)
{
    m_store->setLocked(true, {m_text.id()});
    m_store->setNote(QStringLiteral("周末前买好"), m_text.id());
    controller().selection()->selectRow(idOf(m_link), false);
    controller().toasts()->show(QStringLiteral("已复制"));
    // The picture once the note is drawn and the toast has faded in.
    ASSERT_TRUE(waitFor([&] {
        QQuickItem *toast = find(QStringLiteral("toast"));
        return toast && toast->opacity() == 1
            && inRow(m_text, QStringLiteral("rowNote")) == QStringLiteral("周末前买好");
    }));
    saveScreenshot(QStringLiteral("panel-every-kind"));
}

} // namespace
} // namespace holdra::test
