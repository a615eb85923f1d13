#include "App/ItemTransfer.h"
#include "PanelViewFixture.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

using namespace holdra;
using namespace holdra::test;
using namespace std::chrono_literals;

namespace {

class ItemTransferTest : public PanelViewFixture
{
protected:
    ItemTransfer &transfer()
    {
        if (!m_transfer)
            m_transfer = std::make_unique<ItemTransfer>(controller(), *m_store, &m_defaults);
        return *m_transfer;
    }

    static QMimeData *filesData(const QList<QUrl> &urls)
    {
        auto *data = new QMimeData;
        data->setUrls(urls);
        return data;
    }

    // Drops and opened files are copied off the main thread; true once committed.
    bool imported() { return waitFor([this] { return !transfer().importJob().isBusy(); }); }

    QUrl missing() const { return QUrl::fromLocalFile(m_dir.filePath(QStringLiteral("gone.txt"))); }

    std::unique_ptr<ItemTransfer> m_transfer;
};

} // namespace

TEST_F(ItemTransferTest, APasteToastsSelectsAndScrollsToRepeatsOrBeepsWhenNothingWasStashed)
{
    openStore();
    for (int i = 1; i <= 8; ++i)
        m_store->addFiles({source(QStringLiteral("f%1.txt").arg(i), QByteArray::number(i))});
    const StashItem bottom = m_store->items().last();
    NotchController &c = controller();

    struct Case
    {
        const char *what;
        QList<QUrl> urls;
        std::optional<QString> toast;
        bool alert;
    };
    const QList<Case> cases{
        {"a repeat and a failure", {source(QStringLiteral("again.txt"), "1"), missing()},
         QStringLiteral("「f1.txt」已存在，高亮显示"), false},
        {"only a failure", {missing()}, std::nullopt, true},
        {"one new, one failed: the files pasted are counted",
         {source(QStringLiteral("new.txt"), "new"), missing()}, QStringLiteral("已暂存 2 个文件"), false},
    };
    for (const Case &test : cases) {
        SCOPED_TRACE(test.what);
        m_clock.advance(NotchController::toastDuration);
        m_sounds.clear();
        QGuiApplication::clipboard()->setMimeData(filesData(test.urls));
        transfer().handlePaste();
        EXPECT_EQ(c.toast(), test.toast);
        EXPECT_EQ(m_sounds.contains(SystemSound::Sound::Alert), test.alert);
    }
    // The repeated bottom row was selected and brought into view.
    m_clock.advance(NotchController::toastDuration);
    QGuiApplication::clipboard()->setMimeData(filesData({source(QStringLiteral("again.txt"), "1")}));
    const int requests = c.scrollToTopRequest();
    transfer().handlePaste();
    EXPECT_EQ(c.selectionSet(), QSet<QUuid>{bottom.id()});
    EXPECT_EQ(c.scrollTargetItemID(), bottom.id());
    EXPECT_EQ(c.scrollToTopRequest(), requests + 1);
}

TEST_F(ItemTransferTest, ADropThatStashesNothingIsSilentAndLeavesTheDragOpenedPanelOpen)
{
    openStore();
    NotchController &c = controller();
    c.openForDrag(QStringLiteral("A"));

    const std::unique_ptr<QMimeData> failed(filesData({missing(), missing()}));
    transfer().importDrop(*failed);
    ASSERT_TRUE(imported());
    EXPECT_FALSE(c.toast());
    m_clock.advance(NotchController::autoCloseDelay);
    EXPECT_TRUE(c.isOpen());

    const std::unique_ptr<QMimeData> stored(filesData({source(QStringLiteral("a.txt"), "a"), missing()}));
    transfer().importDrop(*stored);
    ASSERT_TRUE(imported());
    EXPECT_EQ(c.toast(), QStringLiteral("已暂存 1 项"));
    m_clock.advance(NotchController::autoCloseDelay);
    EXPECT_FALSE(c.isOpen());
}

TEST_F(ItemTransferTest, FilesOpenedWithHoldraThatOnlyRepeatAreShownAndFailuresAreNoSuccess)
{
    openStore();
    for (int i = 1; i <= 8; ++i)
        m_store->addFiles({source(QStringLiteral("f%1.txt").arg(i), QByteArray::number(i))});
    const StashItem bottom = m_store->items().last();
    NotchController &c = controller();

    transfer().importExternalFiles({source(QStringLiteral("again.txt"), "1")});
    ASSERT_TRUE(imported());
    EXPECT_TRUE(c.isOpen());
    EXPECT_EQ(c.selectionSet(), QSet<QUuid>{bottom.id()});
    EXPECT_EQ(c.scrollTargetItemID(), bottom.id());
    EXPECT_FALSE(c.toastIsError());

    transfer().importExternalFiles({source(QStringLiteral("new.txt"), "new"), missing()});
    ASSERT_TRUE(imported());
    EXPECT_EQ(c.scrollTargetItemID(), m_store->items().first().id());
    EXPECT_EQ(c.toast(), QStringLiteral("已暂存 1 项，1 项失败"));
    EXPECT_TRUE(c.toastIsError());
}
