#include "App/ItemActions.h"
#include "StoreFixture.h"

#include <QClipboard>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QGuiApplication>
#include <QMimeData>

using namespace holdra;
using namespace holdra::test;

namespace {

class ItemActionsTest : public StoreFixture
{
protected:
    ItemActions &actions()
    {
        if (!m_actions) {
            m_actions = std::make_unique<ItemActions>(openStore());
            m_actions->setURLOpener([this](const QUrl &url) {
                opened.append(url);
                return true;
            });
            m_actions->setTemporaryDirectory(m_dir.filePath("tmp"));
        }
        return *m_actions;
    }
    StashItem addFile(const QString &name, const QByteArray &bytes)
    {
        actions();
        return m_store->addFiles({source(name, bytes)}).added.first();
    }
    QUrl copyOf(const StashItem &item) const { return QUrl::fromLocalFile(*m_store->absolutePath(item)); }

    QList<QUrl> opened;
    std::unique_ptr<ItemActions> m_actions;
};

StashItem link(const QString &url)
{
    return StashItem::makeLink(url, std::nullopt, QDateTime::currentDateTimeUtc());
}

} // namespace

TEST_F(ItemActionsTest, CopyPutsEveryItemOnTheClipboardInOrder)
{
    const StashItem image = addFile("photo.png", "not really a png");
    const StashItem text = StashItem::makeText("第一行\n第二行", QDateTime::currentDateTimeUtc());
    const StashItem page = link("https://example.com/a");

    std::unique_ptr<QMimeData> data = actions().copyData({text, page, image});
    ASSERT_TRUE(data);
    EXPECT_EQ(data->urls(), (QList<QUrl>{QUrl("https://example.com/a"), copyOf(image)}));
    EXPECT_EQ(data->data("x-special/gnome-copied-files"), "copy\n" + copyOf(image).toEncoded());
    EXPECT_EQ(data->text(), QStringLiteral("第一行\n第二行"));

    // Without texts, editors get where the things are.
    data = actions().copyData({page, image});
    EXPECT_EQ(data->text(), "https://example.com/a\n" + copyOf(image).toLocalFile());

    // A link that is no URL goes out as its words.
    data = actions().copyData({link("not a url")});
    EXPECT_TRUE(data->urls().isEmpty());
    EXPECT_EQ(data->text(), QStringLiteral("not a url"));
}

TEST_F(ItemActionsTest, CopyingToTheRealClipboardReplacesOrClearsIt)
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    auto *old = new QMimeData;
    old->setText("old");
    clipboard->setMimeData(old);

    actions().copyItems({}, *clipboard);
    EXPECT_EQ(clipboard->text(), QStringLiteral("old"));

    StashItem linkWithoutURL = link("x");
    linkWithoutURL.setUrlString(std::nullopt);
    actions().copyItems({linkWithoutURL}, *clipboard);
    EXPECT_TRUE(clipboard->text().isEmpty());
    EXPECT_TRUE(!clipboard->mimeData() || !clipboard->mimeData()->hasUrls());

    const StashItem file = addFile("a b.txt", "a");
    actions().copyItems(QStringList{file.id().toString()});
    ASSERT_NE(clipboard->mimeData(), nullptr);
    EXPECT_EQ(clipboard->mimeData()->urls(), QList<QUrl>{copyOf(file)});
}

TEST_F(ItemActionsTest, OpenHandsLinksAndFilesToTheDesktop)
{
    const StashItem file = addFile("doc.pdf", "pdf");
    actions().open(file);
    actions().open(link("https://example.com/"));
    actions().open(link("::nope"));
    actions().open(StashItem::makeText("t", QDateTime::currentDateTimeUtc()));
    EXPECT_EQ(opened, (QList<QUrl>{copyOf(file), QUrl("https://example.com/")}));
}

TEST_F(ItemActionsTest, RevealWithoutAFileManagerOnTheBusOpensTheFolder)
{
    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected() && bus.interface()->isServiceRegistered("org.freedesktop.FileManager1"))
        GTEST_SKIP() << "a file manager answers on this bus";
    const StashItem file = addFile("doc.pdf", "pdf");
    actions().reveal(file);
    actions().reveal(link("https://example.com/"));
    EXPECT_EQ(opened, QList<QUrl>{QUrl::fromLocalFile(QFileInfo(copyOf(file).toLocalFile()).absolutePath())});
}

TEST_F(ItemActionsTest, DragsCarryStoredCopiesLinksAndTextFiles)
{
    const StashItem file = addFile("song.m4a", "audio");
    std::unique_ptr<QMimeData> data = actions().dragData(file);
    EXPECT_EQ(data->urls(), QList<QUrl>{copyOf(file)});
    EXPECT_TRUE(data->hasFormat("x-special/gnome-copied-files"));

    data = actions().dragData(link("https://example.com/x"));
    EXPECT_EQ(data->urls(), QList<QUrl>{QUrl("https://example.com/x")});
    EXPECT_EQ(data->text(), QStringLiteral("https://example.com/x"));

    StashItem text = StashItem::makeText("ignored", QDateTime::currentDateTimeUtc());
    text.setText(std::nullopt);
    text.setDisplayName(QStringLiteral("便签"));
    data = actions().dragData(text);
    const QString expected = actions().textDragDirectory(text) + u'/' + text.txtFileName();
    EXPECT_TRUE(actions().textDragDirectory(text).endsWith(
        "HoldraDrag/" + text.id().toString(QUuid::WithoutBraces).toUpper()));
    EXPECT_EQ(data->urls(), QList<QUrl>{QUrl::fromLocalFile(expected)});
    EXPECT_EQ(data->text(), QStringLiteral("便签"));
    QFile written(expected);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), QStringLiteral("便签").toUtf8());

    // No place for the file: the text alone still goes out.
    m_actions->setTemporaryDirectory(m_dir.write("blocked", "a file, not a folder"));
    data = actions().dragData(text);
    EXPECT_FALSE(data->hasUrls());
    EXPECT_EQ(data->text(), QStringLiteral("便签"));
}
