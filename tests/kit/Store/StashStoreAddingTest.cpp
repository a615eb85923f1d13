#include "Storage/ContentHasher.h"
#include "StoreFixture.h"

#include <QImage>

#include <sys/stat.h>

using namespace holdra;
using namespace holdra::test;

namespace {

class StashStoreAddingTest : public StoreFixture
{
};

} // namespace

TEST_F(StashStoreAddingTest, TheSameFileTwiceIsReportedAsADuplicate)
{
    StashStore &store = openStore();
    const QUrl url = source(QStringLiteral("report.pdf"), "same bytes");
    const StashStore::AddFilesResult first = store.addFiles({url});
    ASSERT_EQ(first.added.size(), 1);
    EXPECT_EQ(first.added.first().contentHash(), ContentHasher::sha256Hex(url.toLocalFile()));

    // Nothing new, nothing written: metadata.json stays the very same file.
    struct stat before {};
    ASSERT_EQ(::stat(QFile::encodeName(metadataPath()).constData(), &before), 0);
    const int saves = m_itemSaves;
    const StashStore::AddFilesResult second = store.addFiles({url});
    EXPECT_TRUE(second.added.isEmpty());
    EXPECT_EQ(second.duplicates, first.added);
    EXPECT_EQ(store.count(), 1);
    EXPECT_EQ(itemDirectoryCount(), 1);
    EXPECT_EQ(m_itemSaves, saves);
    struct stat after {};
    ASSERT_EQ(::stat(QFile::encodeName(metadataPath()).constData(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
    EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
}

TEST_F(StashStoreAddingTest, IdenticalFilesInOneCallKeepOnlyTheFirst)
{
    StashStore &store = openStore();
    const StashStore::AddFilesResult result =
        store.addFiles({source(QStringLiteral("a.txt"), "x"), source(QStringLiteral("b.txt"), "x")});
    ASSERT_EQ(result.added.size(), 1);
    EXPECT_EQ(result.added.first().displayName(), QStringLiteral("a.txt"));
    EXPECT_EQ(result.duplicates, result.added);
    EXPECT_EQ(itemDirectoryCount(), 1);
}

TEST_F(StashStoreAddingTest, NewItemsGoDirectlyBelowTheLockedOnesInTheGivenOrder)
{
    writeItems({storedItem(QStringLiteral("L1"), "l1", true), storedItem(QStringLiteral("L2"), "l2", true),
                storedItem(QStringLiteral("old"), "old")});
    StashStore &store = openStore();
    store.addFiles({source(QStringLiteral("one"), "1"), source(QStringLiteral("two"), "2"),
                    source(QStringLiteral("three"), "3")});
    EXPECT_EQ(displayNames(store.items()),
              QStringList({QStringLiteral("L1"), QStringLiteral("L2"), QStringLiteral("one"),
                           QStringLiteral("two"), QStringLiteral("three"), QStringLiteral("old")}));
    EXPECT_EQ(displayNames(savedItems()), displayNames(store.items()));
}

TEST_F(StashStoreAddingTest, TextIsNeverADuplicate)
{
    StashStore &store = openStore();
    store.addText(QStringLiteral("same"));
    store.addText(QStringLiteral("same"));
    EXPECT_EQ(store.count(), 2);
}

TEST_F(StashStoreAddingTest, AStashedItemsOwnCopyIsRecognisedButASiblingFolderIsNot)
{
    StashStore &store = openStore();
    const StashItem item = store.addFiles({source(QStringLiteral("doc.pdf"), "doc")}).added.first();

    const StashStore::AddFilesResult back = store.addFiles({QUrl::fromLocalFile(*store.absolutePath(item))});
    EXPECT_EQ(back.duplicates, QList<StashItem>{item});
    EXPECT_EQ(itemDirectoryCount(), 1);

    // "…/FilesX/…" begins with the root's path but is not below it.
    const QString sibling = m_dir.write(QStringLiteral("Holdra/FilesX/") + item.relativePath()->section(u'/', 0, 0)
                                            + QStringLiteral("/doc.pdf"), "other doc");
    EXPECT_EQ(store.existingItemForManagedUrl(QUrl::fromLocalFile(sibling)), std::nullopt);
    EXPECT_EQ(store.addFiles({QUrl::fromLocalFile(sibling)}).added.size(), 1);
    EXPECT_EQ(store.existingItemForManagedUrl(QUrl(QStringLiteral("https://example.com/doc.pdf"))), std::nullopt);
}

TEST_F(StashStoreAddingTest, FailuresAreCollectedPerFile)
{
    StashStore &store = openStore();
    const StashStore::AddFilesResult result =
        store.addFiles({source(QStringLiteral("a"), "a"), QUrl::fromLocalFile(m_dir.filePath(QStringLiteral("gone.pdf"))),
                        source(QStringLiteral("b"), "b")});
    EXPECT_EQ(result.added.size(), 2);
    ASSERT_EQ(result.errors.size(), 1);
    EXPECT_EQ(result.errors.first(), FileStorageError::sourceUnreadable(QStringLiteral("gone.pdf")));
    EXPECT_EQ(itemDirectoryCount(), 2);
}

TEST_F(StashStoreAddingTest, KindsComeFromTheStoredCopy)
{
    StashStore &store = openStore();
    QImage image(30, 20, QImage::Format_RGB32);
    image.fill(Qt::red);
    const QString png = m_dir.filePath(QStringLiteral("sources/pic.png"));
    QDir().mkpath(QFileInfo(png).path());
    ASSERT_TRUE(image.save(png));
    m_dir.write(QStringLiteral("sources/folder.png/inside.txt"), "i");

    const StashStore::AddFilesResult result =
        store.addFiles({QUrl::fromLocalFile(png), source(QStringLiteral("song.mp3"), "mp3"),
                        QUrl::fromLocalFile(m_dir.filePath(QStringLiteral("sources/folder.png")))});
    ASSERT_EQ(result.added.size(), 3);
    EXPECT_EQ(result.added[0].kind(), StashItemKind::image);
    EXPECT_EQ(result.added[0].pixelSizeText(), QStringLiteral("30 × 20"));
    EXPECT_EQ(result.added[1].kind(), StashItemKind::audio);
    EXPECT_EQ(result.added[1].displayName(), QStringLiteral("song.mp3"));
    EXPECT_EQ(result.added[2].kind(), StashItemKind::file);
    EXPECT_EQ(result.added[2].contentHash(), std::nullopt);
}

TEST_F(StashStoreAddingTest, RecordingsAndImageDataDeduplicate)
{
    StashStore &store = openStore();
    const StashItem first = store.addAudio("voice", QStringLiteral("clip"), 2.5);
    EXPECT_EQ(first.originalFileName(), QStringLiteral("clip.m4a"));
    EXPECT_TRUE(first.displayName().startsWith(QStringLiteral("录音 · ")));
    const StashItem again = store.addAudio("voice", QStringLiteral("clip"), 2.5);
    EXPECT_EQ(again, first);
    EXPECT_EQ(store.count(), 1);

    const StashStore::ImageDataResult image = store.addImageData("not really png", QStringLiteral("shot"), QStringLiteral("png"));
    ASSERT_TRUE(image.item);
    EXPECT_EQ(image.item->pixelWidth(), std::nullopt);
    const StashStore::ImageDataResult repeated = store.addImageData("not really png", QStringLiteral("shot"), QStringLiteral("png"));
    EXPECT_FALSE(repeated.item);
    EXPECT_EQ(repeated.duplicates, QList<StashItem>{*image.item});
    EXPECT_EQ(itemDirectoryCount(), 2);
}

TEST_F(StashStoreAddingTest, StagedItemsAreCommittedByOneInsert)
{
    StashStore &store = openStore();
    const StashItem file = store.stageFile(source(QStringLiteral("f.bin"), "f"));
    const StashItem audio = store.stageAudioData("a", QStringLiteral("rec"), QStringLiteral("ogg"));
    EXPECT_EQ(store.count(), 0);
    EXPECT_EQ(audio.displayName(), QStringLiteral("rec.ogg"));
    EXPECT_TRUE(store.insert({file, audio}).isEmpty());
    EXPECT_EQ(displayNames(store.items()), QStringList({QStringLiteral("f.bin"), QStringLiteral("rec.ogg")}));
    EXPECT_TRUE(store.insert({}).isEmpty());
}

TEST_F(StashStoreAddingTest, ReinsertingAnExistingItemNeverDeletesItsCopy)
{
    StashStore &store = openStore();
    const StashItem item = store.addFiles({source(QStringLiteral("keep.bin"), "keep")}).added.first();
    StashItem copy = item;
    copy.setDisplayName(QStringLiteral("alias"));
    EXPECT_EQ(store.insert({copy}), QList<StashItem>{item});
    EXPECT_TRUE(QFileInfo::exists(*store.absolutePath(item)));
}

TEST_F(StashStoreAddingTest, AddingATextFileTrashesTextItemsWithItsContent)
{
    StashStore &store = openStore();
    store.addText(QStringLiteral("remember\nthis"));
    store.addText(QStringLiteral("unrelated"));
    store.addFiles({source(QStringLiteral("notes.txt"), "remember\r\nthis")});
    EXPECT_EQ(displayNames(store.items()), QStringList({QStringLiteral("notes.txt"), QStringLiteral("unrelated")}));
    EXPECT_EQ(store.trashCount(), 1);
}
