#include "MessageLog.h"
#include "Storage/ContentHasher.h"
#include "Store/TextCopyMemo.h"
#include "StoreFixture.h"

#include <QDeadlineTimer>
#include <QImage>
#include <QProcess>

#include <fcntl.h>
#include <sys/stat.h>

using namespace holdra;
using namespace holdra::test;
using namespace Qt::StringLiterals;

namespace {

class StashStoreTest : public StoreFixture
{
protected:
    StashItem text(const QString &text, bool locked = false) const
    {
        StashItem item = StashItem::makeText(text, m_now);
        item.setLocked(locked);
        return item;
    }
};

} // namespace

// Loading repairs what it finds and saves it: locked items pinned on top, trash
// entries of active items and expired ones (with their copies) gone, the trash
// newest first (ties in file order), missing hashes filled.
TEST_F(StashStoreTest, LoadingRepairsTheListsAndSavesTheRepair)
{
    const StashItem active = storedItem(u"a.bin"_s, "a");
    const StashItem old = storedItem(u"old.bin"_s, "old");
    StashItem image = storedItem(u"p.png"_s, "pixels");
    image.setKind(StashItemKind::image);
    writeItems({text(u"u1"_s), text(u"l"_s, true), active, image});
    writeTrash({{text(u"b"_s), m_now.addDays(-1)},
                {active, m_now.addDays(-2)},
                {text(u"newest"_s), m_now},
                {text(u"c"_s), m_now.addDays(-1)},
                {old, m_now.addDays(-31)}});

    StashStore &store = openStore();
    EXPECT_EQ(displayNames(store.items()), (QStringList{u"l"_s, u"u1"_s, u"a.bin"_s, u"p.png"_s}));
    EXPECT_EQ(displayNames(store.trashItems()), (QStringList{u"newest"_s, u"b"_s, u"c"_s}));
    EXPECT_EQ(store.items().last().contentHash(), ContentHasher::sha256Hex(*store.absolutePath(image)));
    EXPECT_EQ(savedItems(), store.items());
    EXPECT_EQ(savedTrash(), store.trashItems());
    EXPECT_FALSE(QFileInfo::exists(root() + u'/' + old.relativePath()->section(u'/', 0, 0)));
    EXPECT_TRUE(QFileInfo::exists(*store.absolutePath(active)));
}

// Unlocked texts that repeat a stashed .txt file (in any encoding, line ends or
// normalisation form) go to the trash, when loaded or when the file is added;
// other files and locked texts stay.
TEST_F(StashStoreTest, TextItemsRepeatingAStashedTextFileGoToTheTrash)
{
    const StashItem lockedRepeat = text(u"line one\nline two\n"_s, true);
    const QList<StashItem> repeats{text(u"line one\nline two\n"_s), text(u"cafe\u0301"_s)};
    const QByteArray wide = QByteArray("\xFF\xFE", 2) + QByteArray(reinterpret_cast<const char *>(u"caf\u00e9"), 8);
    writeItems(QList<StashItem>{lockedRepeat, text(u"something else"_s), text(u"same"_s)} + repeats
               + QList<StashItem>{storedItem(u"notes.txt"_s, "\xEF\xBB\xBFline one\r\nline two\r\n"),
                                  storedItem(u"wide.TXT"_s, wide), storedItem(u"same.md"_s, "same")});
    StashStore &store = openStore();
    EXPECT_EQ(displayNames(store.trashItems()), displayNames(repeats));
    EXPECT_EQ(displayNames(store.items()),
              (QStringList{u"line one line two"_s, u"something else"_s, u"same"_s, u"notes.txt"_s, u"wide.TXT"_s,
                           u"same.md"_s}));
    EXPECT_EQ(savedTrash().size(), 2);

    store.addText(u"remember\nthis"_s);
    store.addFiles({source(u"later.txt"_s, "remember\r\nthis")});
    EXPECT_EQ(store.trashCount(), 3);
    EXPECT_EQ(store.trashItems().first().item.displayName(), u"remember this"_s);
}

// What a stored text copy held is remembered across runs only while the copy is
// as it was: other bytes under the old size and times are read again, and a
// damaged memory is no fault.
TEST_F(StashStoreTest, ATextCopyChangedSinceTheLastRunIsReadAgain)
{
    const StashItem file = storedItem(u"notes.txt"_s, "alpha");
    const QString copy = root() + u'/' + *file.relativePath();
    for (const QDeadlineTimer deadline(5000); !TextCopyMemo::look(copy).settled;)
        ASSERT_FALSE(deadline.hasExpired()) << "the copy's times never fell into a past tick";
    const auto trashedOnOpening = [&](const QList<StashItem> &items) {
        writeItems(items);
        const StashStore::Opening opening = StashStore::open(support(), 30, {}, std::chrono::milliseconds(0));
        return opening.store ? opening.store->trashCount() : -1;
    };
    EXPECT_EQ(trashedOnOpening({file, text(u"other"_s)}), 0);

    const struct stat before = fileStatus(copy);
    QFile changed(copy);
    ASSERT_TRUE(changed.open(QIODevice::ReadWrite) && changed.write("bravo") == 5);
    changed.close();
    const timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(copy).constData(), times, 0), 0);
    EXPECT_EQ(trashedOnOpening({file, text(u"bravo"_s)}), 1);

    QFile memo(TextCopyMemo::defaultPath(support()));
    ASSERT_TRUE(memo.open(QIODevice::WriteOnly | QIODevice::Truncate) && memo.write("\xA1\x61v\x02") == 4);
    memo.close();
    EXPECT_EQ(trashedOnOpening({file, text(u"bravo"_s)}), 2);
}

// A list file that cannot be read is moved aside and never overwritten; when
// even that fails it is the only copy of what it holds, and every change is
// refused, loudly, rather than written over it.
TEST_F(StashStoreTest, AnUnreadableListIsSetAsideOrElseEveryChangeIsRefused)
{
    for (const bool setAsideFails : {false, true}) {
        SCOPED_TRACE(setAsideFails ? "cannot be set aside" : "set aside");
        QDir(support()).removeRecursively();
        m_dir.write(u"Holdra/metadata.json"_s, "[{\"id\": broken");
        m_dir.write(u"Holdra/trash.json"_s, "{\"not\": \"an array\"}");
        m_setAsideFails = setAsideFails;
        StashStore &store = openStore();
        QStringList refusals;
        QObject::connect(&store, &StashStore::saveFailed, [&](const QString &message) { refusals.append(message); });
        store.addText(u"typed"_s);
        const QStringList aside = QDir(support()).entryList({u"*.unreadable-*"_s});
        if (!setAsideFails) {
            ASSERT_EQ(aside.size(), 2);
            EXPECT_EQ(readFile(support() + u'/' + aside.filter(u"metadata"_s).value(0)), "[{\"id\": broken");
            EXPECT_EQ(displayNames(savedItems()), QStringList{u"typed"_s});
            continue;
        }
        EXPECT_TRUE(store.addFiles({source(u"a.bin"_s, "alpha")}).added.isEmpty());
        EXPECT_THROW(store.addImageData("png", u"shot"_s, u"png"_s), FileStorageError);
        EXPECT_TRUE(aside.isEmpty());
        EXPECT_EQ(store.count(), 0);
        EXPECT_EQ(itemDirectoryCount(), 0);
        ASSERT_EQ(refusals.size(), 3);
        EXPECT_TRUE(refusals.first().contains(u"metadata.json"_s)) << refusals.first().toStdString();
        EXPECT_EQ(readFile(metadataPath()), "[{\"id\": broken");
    }
}

// A list file that cannot be replaced (a folder took its place) undoes the
// change, in memory and in the other file when it was already written, and the
// log says once which file failed and why.
TEST_F(StashStoreTest, AFailedSaveIsUndoneAndLoggedOnceWithTheFileThatFailed)
{
    const struct
    {
        const char *change;
        bool listBlocked;
    } cases[] = {{"add", true}, {"remove", false}, {"remove", true}}; // the trash is written first
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.change) + (c.listBlocked ? ", list blocked" : ", trash blocked"));
        QDir(support()).removeRecursively();
        writeItems({text(u"kept"_s)});
        writeTrash({});
        StashStore &store = openStore();
        const QString blocked = c.listBlocked ? metadataPath() : trashPath();
        ASSERT_TRUE(QFile::remove(blocked) && QDir().mkdir(blocked));
        QStringList refusals;
        QObject::connect(&store, &StashStore::saveFailed, [&](const QString &message) { refusals.append(message); });
        MessageLog log;
        if (QByteArrayView(c.change) == "add")
            store.addText(u"lost"_s);
        else
            store.remove(store.items().first());

        EXPECT_EQ(displayNames(store.items()), QStringList{u"kept"_s});
        EXPECT_EQ(store.trashCount(), 0);
        EXPECT_EQ(c.listBlocked ? savedTrash().size() : savedItems().size(), c.listBlocked ? 0 : 1);
        ASSERT_EQ(refusals.size(), 1);
        const QStringList lines = log.lines().filter(u"change not saved"_s);
        ASSERT_EQ(lines.size(), 1) << log.lines().join(u'\n').toStdString();
        EXPECT_TRUE(lines.first().contains(blocked) && lines.first().contains(refusals.first()));
    }
}

// A FIFO in place of a list or of a stored text copy is refused at once; read,
// it would wait for a writer for ever.
TEST_F(StashStoreTest, AFifoInPlaceOfAListOrOfACopyIsNeverWaitedOn)
{
    const StashItem file = storedItem(u"notes.txt"_s, "same text");
    const StashItem repeat = text(u"same text"_s);
    writeItems({file, repeat});
    const QByteArray copy = QFile::encodeName(root() + u'/' + *file.relativePath());
    ASSERT_EQ(::unlink(copy.constData()), 0);
    ASSERT_EQ(::mkfifo(copy.constData(), 0600), 0);
    ASSERT_EQ(::mkfifo(QFile::encodeName(trashPath()).constData(), 0600), 0);

    StashStore &store = openStore();
    EXPECT_EQ(store.count(), 2);
    EXPECT_EQ(QDir(support()).entryList({u"trash.json.unreadable-*"_s}, QDir::System).size(), 1);
    store.remove(repeat);
    EXPECT_EQ(savedTrash().size(), 1);
}

// The lock is the kernel's (flock), held here by a real writer process that is
// killed after five seconds: a second writer is refused only after its patience,
// waits through the holder's life, and takes the lock the moment it dies.
TEST_F(StashStoreTest, AWriterWaitsForTheHolderAndALockDiesWithItsProcess)
{
    const QString child = qEnvironmentVariable("HOLDRA_STASH_STRESS_CHILD");
    ASSERT_FALSE(child.isEmpty()) << "HOLDRA_STASH_STRESS_CHILD names the helper";
    QProcess holder;
    holder.start(u"timeout"_s, {u"-s"_s, u"KILL"_s, u"5"_s, child, support(), m_dir.filePath(u"scratch"_s), u"1"_s});
    ASSERT_TRUE(holder.waitForStarted());
    while (!holder.canReadLine())
        ASSERT_TRUE(holder.waitForReadyRead(10'000)) << "the writer never got going";

    const StashStore::Opening refused = StashStore::open(support(), 30, {}, std::chrono::milliseconds(100));
    EXPECT_FALSE(refused.store);
    EXPECT_TRUE(refused.errorMessage.contains(support()) && refused.errorMessage.contains(u"进程号"_s))
        << refused.errorMessage.toStdString();
    EXPECT_TRUE(StashStore::openForReading(support()).store) << "looking needs no lock";

    StashStore::Opening first = StashStore::open(support(), 30, {}, std::chrono::seconds(60));
    ASSERT_TRUE(first.store) << first.errorMessage.toStdString();
    EXPECT_TRUE(holder.waitForFinished());
    // Within one process, too, a second store is a second writer.
    EXPECT_FALSE(StashStore::open(support(), 30, {}, std::chrono::milliseconds(0)).store);
    first.store.reset();
    EXPECT_TRUE(StashStore::open(support(), 30, {}, std::chrono::milliseconds(0)).store);
}

TEST_F(StashStoreTest, TheSupportDirectoryAndTheListsArePrivate)
{
    ::umask(022);
    const QString existing = m_dir.mkdir(u"open"_s);
    ::chmod(QFile::encodeName(existing).constData(), 0755);
    ::chmod(QFile::encodeName(m_dir.write(u"open/metadata.json"_s, "[]")).constData(), 0644);
    const auto mode = [](const QString &path) { return fileStatus(path).st_mode & 07777; };
    for (const QString &directory : {m_dir.filePath(u"new/deeper/Holdra"_s), existing}) {
        StashStore::Opening opening = StashStore::open(directory);
        ASSERT_TRUE(opening.store) << opening.errorMessage.toStdString();
        opening.store->addFiles({source(u"f.txt"_s, directory.toUtf8())});
        EXPECT_EQ(mode(directory), 0700u) << directory.toStdString();
        EXPECT_EQ(mode(directory + u"/metadata.json"_s), 0600u);
        EXPECT_EQ(mode(directory + u"/Files"_s), 0700u);
        EXPECT_EQ(mode(directory + u"/.lock"_s), 0600u);
    }
    EXPECT_EQ(mode(m_dir.filePath(u"new"_s)), 0700u);
}

// Locking pins items; notes are normalised and saved.
TEST_F(StashStoreTest, LocksPinItemsAndNotesAreNormalised)
{
    const StashItem l1 = text(u"L1"_s, true), l2 = text(u"L2"_s, true), u1 = text(u"U1"_s), u2 = text(u"U2"_s);
    writeItems({l1, l2, u1, u2});
    StashStore &store = openStore();
    store.setLocked(true, {u2.id()});
    EXPECT_EQ(displayNames(store.items()), (QStringList{u"L1"_s, u"L2"_s, u"U2"_s, u"U1"_s}));
    store.setLocked(false, {u2.id(), l1.id()});
    EXPECT_EQ(displayNames(store.items()), (QStringList{u"L2"_s, u"L1"_s, u"U2"_s, u"U1"_s}));
    EXPECT_EQ(savedItems(), store.items());

    ASSERT_TRUE(store.setNote(u"  hello \n"_s, u1.id()));
    EXPECT_EQ(store.items().last().note(), u"hello"_s);
    EXPECT_EQ(savedItems(), store.items());
    store.remove(u1);
    EXPECT_FALSE(store.setNote(u"x"_s, u1.id()));
}

TEST_F(StashStoreTest, SizesFollowRemovalAndPurge)
{
    StashStore &store = openStore();
    store.addText(u"t"_s);
    const StashItem big = store.addFiles({source(u"big.bin"_s, QByteArray(5'000'000, 'b'))}).added.value(0);
    EXPECT_EQ(store.activeByteSize(), 5'000'000);
    store.remove(big);
    EXPECT_EQ(store.activeByteSize(), 0);
    EXPECT_EQ(store.trashByteSize(), 5'000'000);
    EXPECT_EQ(store.totalByteSize(), 5'000'000);
    EXPECT_EQ(store.purgeExpiredTrash(m_now.addDays(30)), 1);
    EXPECT_EQ(store.totalByteSize(), 0);
}

// The same bytes again, by any road (files in one call or a later one, the
// item's own copy dragged back, the item inserted again under another name, a
// recording, image data) are the item they repeat: not copied again, and its
// copy never deleted. "…/FilesX/…" begins with the root's path but is not below
// it; a text is never a duplicate.
TEST_F(StashStoreTest, EveryRoadInFindsTheItemTheSameBytesRepeat)
{
    StashStore &store = openStore();
    const QUrl url = source(u"report.pdf"_s, "same bytes");
    const StashStore::AddFilesResult first = store.addFiles({url, source(u"copy.pdf"_s, "same bytes")});
    ASSERT_EQ(first.added.size(), 1);
    const StashItem report = first.added.first();
    EXPECT_EQ(first.duplicates, first.added);
    EXPECT_EQ(store.addFiles({url}).duplicates, first.added);
    EXPECT_EQ(store.addFiles({QUrl::fromLocalFile(*store.absolutePath(report))}).duplicates, first.added);
    StashItem alias = report;
    alias.setDisplayName(u"alias"_s);
    EXPECT_EQ(store.insert({alias}), first.added);
    EXPECT_TRUE(QFileInfo::exists(*store.absolutePath(report)));

    const StashItem voice = store.addAudio("voice", u"clip"_s, 2.5);
    EXPECT_EQ(voice.originalFileName(), u"clip.m4a"_s);
    EXPECT_TRUE(voice.displayName().startsWith(u"录音 · "_s));
    EXPECT_EQ(store.addAudio("voice", u"clip"_s, 2.5), voice);
    const StashStore::ImageDataResult image = store.addImageData("not really png", u"shot"_s, u"png"_s);
    ASSERT_TRUE(image.item);
    EXPECT_EQ(image.item->pixelWidth(), std::nullopt);
    EXPECT_EQ(store.addImageData("not really png", u"shot"_s, u"png"_s).duplicates, QList<StashItem>{*image.item});
    EXPECT_EQ(itemDirectoryCount(), 3);

    const QString sibling =
        m_dir.write(u"Holdra/FilesX/"_s + report.relativePath()->section(u'/', 0, 0) + u"/report.pdf"_s, "other");
    EXPECT_EQ(store.existingItemForManagedUrl(QUrl::fromLocalFile(sibling)), std::nullopt);
    EXPECT_EQ(store.addFiles({QUrl::fromLocalFile(sibling)}).added.size(), 1);
    EXPECT_EQ(store.existingItemForManagedUrl(QUrl(u"https://example.com/doc.pdf"_s)), std::nullopt);
    store.addText(u"same"_s);
    store.addText(u"same"_s);
    EXPECT_EQ(store.count(), 6);
}

// Kinds come from the stored copy (a folder named .png is a file); a failure is
// collected for its file and the others are added.
TEST_F(StashStoreTest, KindsComeFromTheStoredCopyAndFailuresAreCollectedPerFile)
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

// Locked items stay; removed ones lead the trash in list order, dated now.
TEST_F(StashStoreTest, LockedItemsStayAndRemovedOnesLeadTheTrashInListOrder)
{
    const StashItem l = text(u"L"_s, true), a = text(u"A"_s), b = text(u"B"_s), c = text(u"C"_s), d = text(u"D"_s);
    writeItems({l, a, b, c, d});
    writeTrash({{text(u"older"_s), m_now.addDays(-3)}});
    StashStore &store = openStore();
    EXPECT_EQ(store.remove(QSet<QUuid>{l.id()}), 0);

    m_now = m_now.addSecs(60);
    EXPECT_EQ(store.remove(QSet<QUuid>{d.id(), l.id(), b.id()}), 2);
    EXPECT_EQ(displayNames(store.items()), (QStringList{u"L"_s, u"A"_s, u"C"_s}));
    EXPECT_EQ(displayNames(store.trashItems()), (QStringList{u"B"_s, u"D"_s, u"older"_s}));
    EXPECT_TRUE(store.trashItems()[0].trashedAt == m_now && store.trashItems()[1].trashedAt == m_now);
    EXPECT_EQ(savedTrash(), store.trashItems());
    EXPECT_EQ(savedItems(), store.items());

    store.removeAll();
    EXPECT_EQ(displayNames(store.items()), QStringList{u"L"_s});
}

// An entry goes with its copy once a whole retention interval old, never
// earlier, and never while another entry still refers to the copy.
TEST_F(StashStoreTest, PurgeHonoursTheRetentionBoundaryAndKeepsReferencedCopies)
{
    const StashItem expired = storedItem(u"expired.bin"_s, "e");
    const StashItem staying = storedItem(u"staying.bin"_s, "s");
    const StashItem shared = storedItem(u"shared.bin"_s, "shared");
    // A hand-merged file: entries pointing into the directory of an active item.
    const StashItem oldEntry = StashItem::makeFile({*shared.relativePath(), 6, u"shared.bin"_s}, m_now);
    const StashItem sibling =
        StashItem::makeFile({shared.relativePath()->section(u'/', 0, 0) + u"/other.bin"_s, 1, u"other.bin"_s}, m_now);
    writeItems({shared});
    writeTrash({{expired, m_now.addDays(-1)},
                {staying, m_now.addDays(-1).addSecs(1)},
                {oldEntry, m_now.addDays(-40)},
                {sibling, m_now.addDays(-40)}});
    StashStore &store = openStore();
    EXPECT_EQ(store.trashCount(), 2);
    EXPECT_EQ(ContentHasher::sha256Hex(*store.absolutePath(shared)), store.items().first().contentHash());

    EXPECT_EQ(store.purgeExpiredTrash(m_now.addDays(29)), 1);
    EXPECT_EQ(displayNames(store.trashItems()), QStringList{u"staying.bin"_s});
    EXPECT_FALSE(QFileInfo::exists(root() + u'/' + expired.relativePath()->section(u'/', 0, 0)));
    EXPECT_TRUE(QFileInfo::exists(*store.absolutePath(staying)));
    EXPECT_EQ(store.purgeExpiredTrash(m_now.addDays(29)), 0);
}

// Restoring reports what stayed and why: the same content is active again, or
// the copy is gone; of two trashed copies with the same content only the first returns.
TEST_F(StashStoreTest, RestoreReportsDuplicatesAndMissingFiles)
{
    StashStore &store = openStore();
    const StashItem image = store.addImageData("img", u"a"_s, u"png"_s).item.value();
    const StashItem gone = store.addFiles({source(u"gone.bin"_s, "gone")}).added.first();
    const StashItem twin = store.addFiles({source(u"twin.bin"_s, "twin")}).added.first();
    const StashItem note = store.addText(u"note"_s);
    store.remove(QSet<QUuid>{image.id(), gone.id(), note.id(), twin.id()});
    QFile::remove(*store.absolutePath(gone));
    store.addImageData("img", u"b"_s, u"png"_s);
    store.addText(u"note"_s);
    store.addFiles({source(u"twin-again.bin"_s, "twin")});
    store.remove(store.items().first());

    const TrashRestoreResult result = store.restoreFromTrash(
        {image.id(), gone.id(), note.id(), twin.id(), store.trashItems().first().id(), QUuid::createUuid()});
    EXPECT_EQ(displayNames(result.restored), (QStringList{u"twin-again.bin"_s, u"note"_s}));
    QStringList duplicates = displayNames(result.duplicates);
    duplicates.sort();
    EXPECT_EQ(duplicates, (QStringList{u"a.png"_s, u"twin.bin"_s}));
    EXPECT_EQ(displayNames(result.missingFiles), QStringList{u"gone.bin"_s});
    EXPECT_EQ(displayNames(savedTrash()), displayNames(store.trashItems()));
}

// Restored and new items alike go directly below the locked ones: restored ones
// unchanged and in trash order, new ones in the order given.
TEST_F(StashStoreTest, RestoredAndNewItemsGoDirectlyBelowTheLockedOnes)
{
    const StashItem locked = text(u"L"_s, true);
    StashItem first = text(u"first"_s);
    first.setNote(u"kept"_s);
    const StashItem second = text(u"second"_s);
    writeItems({locked, first, second, text(u"other"_s)});
    StashStore &store = openStore();
    store.remove(first);
    m_now = m_now.addSecs(5);
    store.remove(second);

    EXPECT_EQ(store.restoreFromTrash({first.id(), second.id()}).restored, QList<StashItem>({second, first}));
    EXPECT_EQ(displayNames(store.items()), (QStringList{u"L"_s, u"second"_s, u"first"_s, u"other"_s}));
    EXPECT_EQ(store.trashCount(), 0);
    store.setLocked(true, {second.id()});
    store.addFiles({source(u"one"_s, "1"), source(u"two"_s, "2")});
    EXPECT_EQ(displayNames(store.items()),
              (QStringList{u"L"_s, u"second"_s, u"one"_s, u"two"_s, u"first"_s, u"other"_s}));
    EXPECT_EQ(displayNames(savedItems()), displayNames(store.items()));
}

// Only a file of a stored item's size and bytes repeats it (a text of the same
// bytes has no stored copy); a FIFO is never read for the comparison, it would block.
TEST_F(StashStoreTest, OnlyTheSameSizeAndBytesRepeatAStoredFile)
{
    StashStore &store = openStore();
    store.addText(u"twelve bytes"_s);
    const StashItem stored = store.addFiles({source(u"stored.bin"_s, "twelve bytes")}).added.value(0);
    const QString fifo = m_dir.filePath(u"fifo"_s);
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const StashStore::AddFilesResult result = store.addFiles(
        {source(u"a.bin"_s, "twelve bytes"), source(u"b.bin"_s, "twelve Bytes"), QUrl::fromLocalFile(fifo)});
    EXPECT_EQ(result.duplicates, QList<StashItem>{stored});
    EXPECT_EQ(displayNames(result.added), QStringList{u"b.bin"_s});
    EXPECT_EQ(result.errors.size(), 1);
    EXPECT_EQ(store.count(), 3);
}
