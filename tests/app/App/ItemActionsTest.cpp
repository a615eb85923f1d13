#include "App/ItemActions.h"
#include "Pasteboard/DropImport.h"
#include "PrivateSessionBus.h"
#include "StoreFixture.h"

#include <QBuffer>
#include <QClipboard>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QTest>

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
                return QString();
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

    // A real picture also goes out as a picture.
    QImage picture(5, 2, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG");
    const StashItem realImage = addFile("real.png", png);
    data = actions().copyData({page, realImage, image});
    ASSERT_TRUE(data->hasFormat("image/png"));
    EXPECT_EQ(QImage::fromData(data->data("image/png"), "PNG").size(), QSize(5, 2));

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
    actions().copyItems({file}, *clipboard);
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

namespace {

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
        connection.send(failing ? message.createErrorReply(QStringLiteral("org.freedesktop.DBus.Error.Failed"), "no")
                                : message.createReply());
        return true;
    }
    QStringList shown;
    bool failing = false;
};

} // namespace

TEST_F(ItemActionsTest, RevealAsksTheFileManagerAndElseOpensTheFolder)
{
    test::PrivateSessionBus bus;
    if (!bus.failure().isEmpty())
        GTEST_SKIP() << bus.failure().toStdString();
    const StashItem file = addFile("doc.pdf", "pdf");
    const QUrl folder = QUrl::fromLocalFile(QFileInfo(copyOf(file).toLocalFile()).absolutePath());
    actions().setSessionBus(bus.connect());

    // None on the bus: the folder, at once.
    actions().reveal(file);
    actions().reveal(link("https://example.com/"));
    EXPECT_EQ(opened, QList<QUrl>{folder});

    // One the bus can start but that fails to: the folder, once the bus says so.
    opened.clear();
    ASSERT_TRUE(bus.addActivatable("org.freedesktop.FileManager1", "/bin/false"));
    QDBusConnection service = bus.connect();
    service.call(QDBusMessage::createMethodCall("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                                                "ReloadConfig"));
    actions().reveal(file);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !opened.isEmpty(); }, 15000));
    EXPECT_EQ(opened, QList<QUrl>{folder});

    // A running one is asked, and answers; an error reply ends in the folder.
    opened.clear();
    FakeFileManager manager;
    ASSERT_TRUE(service.registerVirtualObject("/org/freedesktop/FileManager1", &manager));
    ASSERT_TRUE(service.registerService("org.freedesktop.FileManager1"));
    actions().reveal(file);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !manager.shown.isEmpty(); }, 5000));
    EXPECT_EQ(manager.shown, QStringList{copyOf(file).toString(QUrl::FullyEncoded)});
    manager.failing = true;
    actions().reveal(file);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !opened.isEmpty(); }, 5000));
    EXPECT_EQ(opened, QList<QUrl>{folder});
    EXPECT_EQ(manager.shown.size(), 2);
}

TEST_F(ItemActionsTest, ADragCarriesEveryItemAndComesBackAsAlreadyStashed)
{
    QImage picture(4, 3, QImage::Format_RGB32);
    picture.fill(Qt::red);
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "JPG");
    const StashItem image = addFile("photo.jpg", jpeg);
    const StashItem song = addFile("song.m4a", "audio");
    StashItem text = StashItem::makeText("ignored", QDateTime::currentDateTimeUtc());
    text.setText(std::nullopt);
    text.setDisplayName(QStringLiteral("便签"));
    m_store->insert({text});
    const StashItem page = link("https://example.com/x");
    m_store->insert({page});

    std::unique_ptr<QMimeData> data = actions().dragData({image, text, page, song});
    const QString textFile = actions().textDragDirectory(text) + u'/' + text.txtFileName();
    EXPECT_EQ(data->urls(),
              (QList<QUrl>{copyOf(image), QUrl::fromLocalFile(textFile), QUrl("https://example.com/x"), copyOf(song)}));
    EXPECT_EQ(data->data("x-special/gnome-copied-files"),
              "copy\n" + copyOf(image).toEncoded() + '\n' + QUrl::fromLocalFile(textFile).toEncoded() + '\n'
                  + copyOf(song).toEncoded());
    EXPECT_EQ(data->text(), QStringLiteral("便签\nhttps://example.com/x"));
    const QByteArray moz = data->data("text/x-moz-url");
    EXPECT_EQ(QString::fromUtf16(reinterpret_cast<const char16_t *>(moz.constData()), moz.size() / 2),
              "https://example.com/x\n" + page.displayName());
    // The picture is converted only when a target asks for it.
    EXPECT_TRUE(data->hasFormat("image/png"));
    EXPECT_EQ(QImage::fromData(data->data("image/png"), "PNG").size(), QSize(4, 3));

    // The text's file lives in a private folder and is replaced by the next drag.
    EXPECT_TRUE(textFile.contains("HoldraDrag/" + text.id().toString(QUuid::WithoutBraces).toUpper() + '/'));
    const QFile::Permissions others =
        QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
    EXPECT_FALSE(QFileInfo(actions().textDragDirectory(text)).permissions() & others);
    text.setDisplayName(QStringLiteral("改名"));
    actions().dragData({text});
    EXPECT_EQ(QDir(actions().textDragDirectory(text)).entryList(QDir::Files), QStringList{text.txtFileName()});
    QFile written(actions().textDragDirectory(text) + u'/' + text.txtFileName());
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), QStringLiteral("改名").toUtf8());

    // Dropped back onto the shelf, every one of them is already stashed.
    const int count = m_store->count();
    const DropImport::Outcome outcome = DropImport::run(*data, *m_store);
    EXPECT_EQ(outcome.addedCount, 0);
    EXPECT_EQ(outcome.duplicates.size(), 4);
    EXPECT_EQ(m_store->count(), count);

    actions().removeDragScratch();
    EXPECT_FALSE(QFileInfo::exists(actions().textDragDirectory(text)));

    // No place for the file: the text alone still goes out.
    m_actions->setTemporaryDirectory(m_dir.write("blocked", "a file, not a folder"));
    data = actions().dragData({text});
    EXPECT_FALSE(data->hasUrls());
    EXPECT_EQ(data->text(), QStringLiteral("改名"));
}
