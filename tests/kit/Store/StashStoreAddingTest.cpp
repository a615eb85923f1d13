#include "Storage/ContentHasher.h"
#include "StoreFixture.h"

#include <QImage>

#include <sys/stat.h>

using namespace holdra;
using namespace holdra::test;
using namespace Qt::StringLiterals;

namespace {

class StashStoreAddingTest : public StoreFixture
{
};

} // namespace

// The same bytes again, in a later call or in the same one, are reported as the
// item they repeat, and nothing is written: metadata.json stays the very same
// file. A text is never a duplicate.
TEST_F(StashStoreAddingTest, RepeatedFilesAreDuplicatesAndWriteNothing)
{
    StashStore &store = openStore();
    const QUrl url = source(u"report.pdf"_s, "same bytes");
    const StashStore::AddFilesResult first = store.addFiles({url, source(u"copy.pdf"_s, "same bytes")});
    ASSERT_EQ(first.added.size(), 1);
    EXPECT_EQ(first.duplicates, first.added);
    EXPECT_EQ(first.added.first().contentHash(), ContentHasher::sha256Hex(url.toLocalFile()));

    struct stat before
    {
    };
    ASSERT_EQ(::stat(QFile::encodeName(metadataPath()).constData(), &before), 0);
    resetSaveCounts();
    const StashStore::AddFilesResult second = store.addFiles({url});
    EXPECT_TRUE(second.added.isEmpty());
    EXPECT_EQ(second.duplicates, first.added);
    EXPECT_EQ(itemDirectoryCount(), 1);
    EXPECT_EQ(m_itemSaves, 0);
    struct stat after
    {
    };
    ASSERT_EQ(::stat(QFile::encodeName(metadataPath()).constData(), &after), 0);
    EXPECT_TRUE(after.st_ino == before.st_ino && after.st_mtim.tv_sec == before.st_mtim.tv_sec
                && after.st_mtim.tv_nsec == before.st_mtim.tv_nsec);

    store.addText(u"same"_s);
    store.addText(u"same"_s);
    EXPECT_EQ(store.count(), 3);
}

TEST_F(StashStoreAddingTest, NewItemsGoDirectlyBelowTheLockedOnesInTheGivenOrder)
{
    writeItems({storedItem(u"L1"_s, "l1", true), storedItem(u"L2"_s, "l2", true), storedItem(u"old"_s, "old")});
    StashStore &store = openStore();
    store.addFiles({source(u"one"_s, "1"), source(u"two"_s, "2"), source(u"three"_s, "3")});
    EXPECT_EQ(displayNames(store.items()), (QStringList{u"L1"_s, u"L2"_s, u"one"_s, u"two"_s, u"three"_s, u"old"_s}));
    EXPECT_EQ(displayNames(savedItems()), displayNames(store.items()));
}

// A stashed item's own copy dragged back in is that item; "…/FilesX/…" begins
// with the root's path but is not below it.
TEST_F(StashStoreAddingTest, AStashedItemsOwnCopyIsRecognisedButASiblingFolderIsNot)
{
    StashStore &store = openStore();
    const StashItem item = store.addFiles({source(u"doc.pdf"_s, "doc")}).added.first();
    EXPECT_EQ(store.addFiles({QUrl::fromLocalFile(*store.absolutePath(item))}).duplicates, QList<StashItem>{item});
    EXPECT_EQ(itemDirectoryCount(), 1);

    const QString sibling =
        m_dir.write(u"Holdra/FilesX/"_s + item.relativePath()->section(u'/', 0, 0) + u"/doc.pdf"_s, "other doc");
    EXPECT_EQ(store.existingItemForManagedUrl(QUrl::fromLocalFile(sibling)), std::nullopt);
    EXPECT_EQ(store.addFiles({QUrl::fromLocalFile(sibling)}).added.size(), 1);
    EXPECT_EQ(store.existingItemForManagedUrl(QUrl(u"https://example.com/doc.pdf"_s)), std::nullopt);
}

// Kinds come from the stored copy (a folder named .png is a file); a failure is
// collected for its file and the others are added.
TEST_F(StashStoreAddingTest, KindsComeFromTheStoredCopyAndFailuresAreCollectedPerFile)
{
    StashStore &store = openStore();
    QImage image(30, 20, QImage::Format_RGB32);
    image.fill(Qt::red);
    const QString png = m_dir.write(u"sources/pic.png"_s, {});
    ASSERT_TRUE(image.save(png));
    m_dir.write(u"sources/folder.png/inside.txt"_s, "i");

    const StashStore::AddFilesResult result = store.addFiles(
        {QUrl::fromLocalFile(png), source(u"song.mp3"_s, "mp3"), QUrl::fromLocalFile(m_dir.filePath(u"gone.pdf"_s)),
         QUrl::fromLocalFile(m_dir.filePath(u"sources/folder.png"_s))});
    ASSERT_EQ(result.added.size(), 3);
    EXPECT_EQ(result.added[0].kind(), StashItemKind::image);
    EXPECT_EQ(result.added[0].pixelSizeText(), u"30 × 20"_s);
    EXPECT_EQ(result.added[1].kind(), StashItemKind::audio);
    EXPECT_EQ(result.added[2].kind(), StashItemKind::file);
    EXPECT_EQ(result.added[2].contentHash(), std::nullopt);
    EXPECT_EQ(result.errors, QList<FileStorageError>{FileStorageError::sourceUnreadable(u"gone.pdf"_s)});
    EXPECT_EQ(itemDirectoryCount(), 3);
}

TEST_F(StashStoreAddingTest, RecordingsAndImageDataDeduplicate)
{
    StashStore &store = openStore();
    const StashItem first = store.addAudio("voice", u"clip"_s, 2.5);
    EXPECT_EQ(first.originalFileName(), u"clip.m4a"_s);
    EXPECT_TRUE(first.displayName().startsWith(u"录音 · "_s));
    EXPECT_EQ(store.addAudio("voice", u"clip"_s, 2.5), first);
    EXPECT_EQ(store.count(), 1);

    const StashStore::ImageDataResult image = store.addImageData("not really png", u"shot"_s, u"png"_s);
    ASSERT_TRUE(image.item);
    EXPECT_EQ(image.item->pixelWidth(), std::nullopt);
    const StashStore::ImageDataResult repeated = store.addImageData("not really png", u"shot"_s, u"png"_s);
    EXPECT_FALSE(repeated.item);
    EXPECT_EQ(repeated.duplicates, QList<StashItem>{*image.item});
    EXPECT_EQ(itemDirectoryCount(), 2);
}

// Staged copies are committed by one insert; an existing item inserted again
// (under another name) is a duplicate whose copy is never deleted.
TEST_F(StashStoreAddingTest, StagedItemsAreCommittedByOneInsertAndAReinsertKeepsItsCopy)
{
    StashStore &store = openStore();
    const StashItem file = store.stageFile(source(u"f.bin"_s, "f"));
    const StashItem audio = store.stageAudioData("a", u"rec"_s, u"ogg"_s);
    EXPECT_EQ(store.count(), 0);
    EXPECT_TRUE(store.insert({file, audio}).isEmpty());
    EXPECT_EQ(displayNames(store.items()), (QStringList{u"f.bin"_s, u"rec.ogg"_s}));

    StashItem alias = store.items().first();
    alias.setDisplayName(u"alias"_s);
    EXPECT_EQ(store.insert({alias}), QList<StashItem>{store.items().first()});
    EXPECT_TRUE(QFileInfo::exists(*store.absolutePath(alias)));
}

TEST_F(StashStoreAddingTest, AddingATextFileTrashesTextItemsWithItsContent)
{
    StashStore &store = openStore();
    store.addText(u"remember\nthis"_s);
    store.addText(u"unrelated"_s);
    store.addFiles({source(u"notes.txt"_s, "remember\r\nthis")});
    EXPECT_EQ(displayNames(store.items()), (QStringList{u"notes.txt"_s, u"unrelated"_s}));
    EXPECT_EQ(store.trashCount(), 1);
}
