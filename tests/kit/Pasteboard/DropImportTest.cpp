#include "Pasteboard/DropImport.h"
#include "StoreFixture.h"

#include <QBuffer>
#include <QImage>
#include <QMimeData>

using namespace holdra;
using namespace holdra::test;

namespace {

class DropImportTest : public StoreFixture
{
protected:
    static QByteArray uriList(const QList<QUrl> &urls)
    {
        QByteArray list;
        for (const QUrl &url : urls)
            list += url.toEncoded() + "\r\n";
        return list;
    }
};

} // namespace

TEST_F(DropImportTest, SeveralFilesKeepTheirDropOrderAndAnUnreadableOneIsLeftOut)
{
    StashStore &store = openStore();
    QMimeData data;
    data.setData("text/uri-list",
                 uriList({source("one.txt", "1"), QUrl::fromLocalFile(m_dir.filePath("missing.txt")),
                          source("three.txt", "3")}));
    data.setText(QStringLiteral("one.txt missing.txt three.txt"));

    const DropImport::Outcome outcome = DropImport::run(data, store);
    EXPECT_EQ(outcome.addedCount, 2);
    EXPECT_EQ(outcome.message(), QStringLiteral("已暂存 2 项"));
    EXPECT_EQ(displayNames(store.items()), (QStringList{"one.txt", "three.txt"}));
}

TEST_F(DropImportTest, AStoredCopyDraggedBackAndRepeatedBytesAreDuplicates)
{
    StashStore &store = openStore();
    const StashItem stored = store.addFiles({source("报告.pdf", "report")}).added.first();
    const QUrl storedCopy = QUrl::fromLocalFile(*store.absolutePath(stored));

    QMimeData back;
    back.setUrls({storedCopy});
    DropImport::Outcome outcome = DropImport::run(back, store);
    EXPECT_EQ(outcome.addedCount, 0);
    EXPECT_EQ(outcome.duplicates, QList<StashItem>{stored});
    EXPECT_EQ(outcome.message(), QStringLiteral("「报告.pdf」已存在，高亮显示"));

    QMimeData mixed;
    mixed.setUrls({source("copy of report.pdf", "report"), source("new.txt", "new"), storedCopy});
    outcome = DropImport::run(mixed, store);
    EXPECT_EQ(outcome.addedCount, 1);
    // The same stored item reached twice is named once.
    EXPECT_EQ(outcome.duplicates, QList<StashItem>{stored});
    EXPECT_EQ(outcome.message(), QStringLiteral("已暂存 1 项，「报告.pdf」已存在"));
    EXPECT_EQ(store.count(), 2);
}

TEST_F(DropImportTest, LinksTextsAndImagesAreOneItemEach)
{
    StashStore &store = openStore();

    QMimeData browserLink;
    browserLink.setData("text/uri-list", "https://example.com/page\r\n");
    browserLink.setData("text/x-moz-url", QStringLiteral("https://example.com/page\nPage").toUtf8());
    browserLink.setText(QStringLiteral("https://example.com/page"));
    EXPECT_EQ(DropImport::providers(browserLink).size(), 1);
    EXPECT_EQ(DropImport::run(browserLink, store).addedCount, 1);
    EXPECT_EQ(store.items().first().kind(), StashItemKind::link);
    EXPECT_EQ(store.items().first().urlString(), QStringLiteral("https://example.com/page"));

    QMimeData selection;
    selection.setText(QStringLiteral(" 一段文字 "));
    DropImport::run(selection, store);
    EXPECT_EQ(store.items().first().kind(), StashItemKind::text);
    EXPECT_EQ(store.items().first().text(), QStringLiteral(" 一段文字 "));

    QImage image(5, 5, QImage::Format_RGB32);
    image.fill(Qt::green);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    QMimeData picture;
    picture.setData("text/uri-list", "https://example.com/cat.png\r\n");
    picture.setData("image/png", png);
    DropImport::run(picture, store);
    EXPECT_EQ(store.items().first().kind(), StashItemKind::image);
    EXPECT_EQ(store.count(), 3);

    // Several remote entries are several links.
    QMimeData links;
    links.setData("text/uri-list", "https://a.example/\r\n# comment\r\nhttps://b.example/\r\n");
    EXPECT_EQ(DropImport::run(links, store).message(), QStringLiteral("已暂存 2 项"));
    EXPECT_EQ(store.items().at(1).urlString(), QStringLiteral("https://b.example/"));
}

TEST_F(DropImportTest, NothingUsableOrNothingStoredEndsSilently)
{
    StashStore &store = openStore();
    QMimeData empty;
    QMimeData blank;
    blank.setText(QStringLiteral("  \n "));
    QMimeData unreadable;
    unreadable.setUrls(
        {QUrl::fromLocalFile(m_dir.filePath("gone-1.txt")), QUrl::fromLocalFile(m_dir.filePath("gone-2.txt"))});
    for (const QMimeData *data : {&empty, &blank, &unreadable}) {
        const DropImport::Outcome outcome = DropImport::run(*data, store);
        EXPECT_TRUE(outcome.isEmpty());
        EXPECT_EQ(outcome.message(), std::nullopt);
    }
    EXPECT_EQ(store.count(), 0);
}
