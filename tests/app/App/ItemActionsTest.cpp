#include "App/ItemActions.h"
#include "ImageBytes.h"
#include "PrivateSessionBus.h"
#include "StoreFixture.h"

#include <QClipboard>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QTest>

using namespace holdra;
using holdra::test::imageBytes;
using namespace Qt::StringLiterals;

namespace {

StashItem link(const QString &url)
{
    return StashItem::makeLink(url, std::nullopt, QDateTime::currentDateTimeUtc());
}

class ItemActionsTest : public test::StoreFixture
{
protected:
    void SetUp() override
    {
        actions = std::make_unique<ItemActions>(openStore());
        actions->setURLOpener([this](const QUrl &url) {
            opened.append(url);
            return QString();
        });
        actions->setTemporaryDirectory(m_dir.filePath(u"tmp"_s));
    }
    StashItem addFile(const QString &name, const QByteArray &bytes)
    {
        return m_store->addFiles({source(name, bytes)}).added.first();
    }
    QUrl copyOf(const StashItem &item) const { return QUrl::fromLocalFile(*m_store->absolutePath(item)); }

    QList<QUrl> opened;
    std::unique_ptr<ItemActions> actions;
};

// A file manager on the bus that records what it is asked to show, and
// answers with an error when told to.
class FakeFileManager : public QDBusVirtualObject
{
public:
    QString introspect(const QString &) const override { return {}; }
    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override
    {
        if (message.member() != u"ShowItems")
            return false;
        shown.append(message.arguments().value(0).toStringList());
        connection.send(failing ? message.createErrorReply(u"org.freedesktop.DBus.Error.Failed"_s, u"no"_s)
                                : message.createReply());
        return true;
    }
    QStringList shown;
    bool failing = false;
};

} // namespace

TEST_F(ItemActionsTest, CopyPutsEveryItemOnTheClipboardInOrderAndOpenHandsOverLinksAndFiles)
{
    const StashItem image = addFile(u"photo.png"_s, "not really a png");
    const StashItem text = StashItem::makeText(u"第一行\n第二行"_s, QDateTime::currentDateTimeUtc());
    const StashItem page = link(u"https://example.com/a"_s);
    const QUrl pageUrl(u"https://example.com/a"_s);

    std::unique_ptr<QMimeData> data = actions->copyData({text, page, image});
    ASSERT_TRUE(data);
    EXPECT_EQ(data->urls(), (QList<QUrl>{pageUrl, copyOf(image)}));
    EXPECT_EQ(data->data(u"x-special/gnome-copied-files"_s), "copy\n" + copyOf(image).toEncoded());
    EXPECT_EQ(data->text(), u"第一行\n第二行"_s);
    // Without texts, editors get where the things are.
    EXPECT_EQ(actions->copyData({page, image})->text(), u"https://example.com/a\n"_s + copyOf(image).toLocalFile());
    // A real picture also goes out as a picture.
    data = actions->copyData({page, addFile(u"real.png"_s, imageBytes({5, 2}, "PNG")), image});
    EXPECT_EQ(QImage::fromData(data->data(u"image/png"_s), "PNG").size(), QSize(5, 2));
    // A link that is no URL goes out as its words.
    data = actions->copyData({link(u"not a url"_s)});
    EXPECT_TRUE(data->urls().isEmpty());
    EXPECT_EQ(data->text(), u"not a url"_s);

    // The real clipboard: nothing selected leaves it, nothing to copy clears it.
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->setText(u"old"_s);
    actions->copyItems({}, *clipboard);
    EXPECT_EQ(clipboard->text(), u"old"_s);
    StashItem withoutURL = link(u"x"_s);
    withoutURL.setUrlString(std::nullopt);
    actions->copyItems({withoutURL}, *clipboard);
    EXPECT_TRUE(clipboard->text().isEmpty());
    actions->copyItems({image}, *clipboard);
    ASSERT_NE(clipboard->mimeData(), nullptr);
    EXPECT_EQ(clipboard->mimeData()->urls(), QList<QUrl>{copyOf(image)});

    for (const StashItem &item : {image, page, link(u"::nope"_s), text})
        actions->open(item);
    EXPECT_EQ(opened, (QList<QUrl>{copyOf(image), pageUrl}));
}

TEST_F(ItemActionsTest, RevealAsksTheFileManagerAndElseOpensTheFolder)
{
    test::PrivateSessionBus bus;
    if (!bus.failure().isEmpty())
        GTEST_SKIP() << bus.failure().toStdString();
    const StashItem file = addFile(u"doc.pdf"_s, "pdf");
    const QUrl folder = QUrl::fromLocalFile(QFileInfo(copyOf(file).toLocalFile()).absolutePath());
    actions->setSessionBus(bus.connect());
    const auto revealed = [&](const StashItem &item) {
        opened.clear();
        actions->reveal(item);
        return QTest::qWaitFor([&] { return !opened.isEmpty(); }, 15000) && opened == QList<QUrl>{folder};
    };

    // None on the bus: the folder, at once; a link has no folder.
    actions->reveal(link(u"https://example.com/"_s));
    EXPECT_TRUE(opened.isEmpty());
    EXPECT_TRUE(revealed(file));
    // A running one is asked, and answers; an error reply ends in the folder.
    QDBusConnection service = bus.connect();
    FakeFileManager manager;
    ASSERT_TRUE(service.registerVirtualObject(u"/org/freedesktop/FileManager1"_s, &manager));
    ASSERT_TRUE(service.registerService(u"org.freedesktop.FileManager1"_s));
    opened.clear();
    actions->reveal(file);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !manager.shown.isEmpty(); }, 5000));
    EXPECT_EQ(manager.shown, QStringList{copyOf(file).toString(QUrl::FullyEncoded)});
    manager.failing = true;
    EXPECT_TRUE(revealed(file));
    EXPECT_EQ(manager.shown.size(), 2);
}

TEST_F(ItemActionsTest, ADragCarriesEveryItemAndATextAsAPrivateFile)
{
    const StashItem image = addFile(u"photo.jpg"_s, imageBytes({4, 3}, "JPG"));
    const StashItem song = addFile(u"song.m4a"_s, "audio");
    StashItem text = StashItem::makeText(u"ignored"_s, QDateTime::currentDateTimeUtc());
    text.setText(std::nullopt);
    text.setDisplayName(u"便签"_s);
    const StashItem page = link(u"https://example.com/x"_s);

    std::unique_ptr<QMimeData> data = actions->dragData({image, text, page, song});
    const QUrl textFile = QUrl::fromLocalFile(actions->textDragDirectory(text) + u'/' + text.txtFileName());
    EXPECT_EQ(data->urls(), (QList<QUrl>{copyOf(image), textFile, QUrl(u"https://example.com/x"_s), copyOf(song)}));
    EXPECT_EQ(data->data(u"x-special/gnome-copied-files"_s),
              "copy\n" + copyOf(image).toEncoded() + '\n' + textFile.toEncoded() + '\n' + copyOf(song).toEncoded());
    EXPECT_EQ(data->text(), u"便签\nhttps://example.com/x"_s);
    const QByteArray moz = data->data(u"text/x-moz-url"_s);
    EXPECT_EQ(QString::fromUtf16(reinterpret_cast<const char16_t *>(moz.constData()), moz.size() / 2),
              u"https://example.com/x\n"_s + page.displayName());
    // The picture is converted only when a target asks for it.
    EXPECT_EQ(QImage::fromData(data->data(u"image/png"_s), "PNG").size(), QSize(4, 3));

    // The text's file lives in a private folder and is replaced by the next drag.
    EXPECT_TRUE(textFile.path().contains(u"HoldraDrag/"_s + text.id().toString(QUuid::WithoutBraces).toUpper()));
    EXPECT_EQ(int(QFileInfo(actions->textDragDirectory(text)).permissions() & 0x0077), 0);
    text.setDisplayName(u"改名"_s);
    actions->dragData({text});
    EXPECT_EQ(QDir(actions->textDragDirectory(text)).entryList(QDir::Files), QStringList{text.txtFileName()});
    QFile written(actions->textDragDirectory(text) + u'/' + text.txtFileName());
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), u"改名"_s.toUtf8());

    actions->removeDragScratch();
    EXPECT_FALSE(QFileInfo::exists(actions->textDragDirectory(text)));

    // No place for the file: the text alone still goes out.
    actions->setTemporaryDirectory(m_dir.write(u"blocked"_s, "a file, not a folder"));
    data = actions->dragData({text});
    EXPECT_FALSE(data->hasUrls());
    EXPECT_EQ(data->text(), u"改名"_s);
}
