#include "MessageLog.h"
#include "Storage/ContentHasher.h"
#include "StoreFixture.h"

#include <QProcess>

#include <sys/stat.h>

using namespace holdra;
using namespace holdra::test;
using namespace Qt::StringLiterals;

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

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

// Loading repairs what it finds and saves only what it repaired: locked items
// pinned on top, trash entries of active items and expired ones (with their
// copies) gone, the trash newest first (ties in file order), missing hashes filled.
TEST_F(StashStoreTest, LoadingRepairsTheListsAndSavesOnlyWhatChanged)
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

    // A hash that cannot be filled in (the copy is gone) writes nothing.
    QFile::remove(*store.absolutePath(active));
    writeItems({text(u"l"_s, true), active});
    resetSaveCounts();
    EXPECT_EQ(openStore().items().last().contentHash(), std::nullopt);
    EXPECT_EQ(m_itemSaves, 0);
}

// Unlocked texts that repeat a stashed .txt file (in any encoding, line ends or
// normalisation form) go to the trash; other files and locked texts stay.
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
}

// The file spells each syllable as its jamo, three times the bytes of the text,
// with a byte-order mark and CR LF on top; no longer text widens the sizes looked at.
TEST_F(StashStoreTest, AShortTextRepeatingALongerDecomposedFileGoesToTheTrashToo)
{
    QString decomposed = u"한국어\n"_s.normalized(QString::NormalizationForm_D);
    decomposed.replace(u'\n', u"\r\n"_s);
    writeItems({text(u"한국어\n"_s), storedItem(u"jamo.txt"_s, "\xEF\xBB\xBF" + decomposed.toUtf8())});
    StashStore &store = openStore();
    EXPECT_EQ(store.trashCount(), 1);
    EXPECT_EQ(displayNames(store.items()), QStringList{u"jamo.txt"_s});
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
        resetSaveCounts();
        StashStore &store = openStore();
        QStringList refusals;
        QObject::connect(&store, &StashStore::saveFailed, [&](const QString &message) { refusals.append(message); });
        store.addText(u"typed"_s);
        const QStringList aside = QDir(support()).entryList({u"*.unreadable-*"_s});
        if (!setAsideFails) {
            ASSERT_EQ(aside.size(), 2);
            EXPECT_EQ(readAll(support() + u'/' + aside.filter(u"metadata"_s).value(0)), "[{\"id\": broken");
            EXPECT_EQ(displayNames(savedItems()), QStringList{u"typed"_s});
            continue;
        }
        EXPECT_TRUE(store.addFiles({source(u"a.bin"_s, "alpha")}).added.isEmpty());
        EXPECT_THROW(store.addImageData("png", u"shot"_s, u"png"_s), FileStorageError);
        EXPECT_TRUE(aside.isEmpty());
        EXPECT_EQ(store.count(), 0);
        EXPECT_EQ(itemDirectoryCount(), 0);
        EXPECT_EQ(m_itemSaves, 0);
        ASSERT_EQ(refusals.size(), 3);
        EXPECT_TRUE(refusals.first().contains(u"metadata.json"_s)) << refusals.first().toStdString();
        EXPECT_EQ(readAll(metadataPath()), "[{\"id\": broken");
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
    const auto mode = [](const QString &path) {
        struct stat status
        {
        };
        return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_mode & 07777 : 07777;
    };
    for (const QString &directory : {m_dir.filePath(u"new/deeper/Holdra"_s), existing}) {
        StashStore::Opening opening = StashStore::open(directory);
        ASSERT_TRUE(opening.store) << opening.errorMessage.toStdString();
        opening.store->addFiles({source(u"f.txt"_s, directory.toUtf8())});
        EXPECT_EQ(mode(directory), 0700u) << directory.toStdString();
        EXPECT_EQ(mode(directory + u"/metadata.json"_s), 0600u);
        EXPECT_EQ(mode(directory + u"/trash.json"_s), 07777u); // nothing trashed, nothing written
        EXPECT_EQ(mode(directory + u"/Files"_s), 0700u);
        EXPECT_EQ(mode(directory + u"/.lock"_s), 0600u);
    }
    EXPECT_EQ(mode(m_dir.filePath(u"new"_s)), 0700u);
}

// Locking pins and always saves; notes are normalised and saved only when they change.
TEST_F(StashStoreTest, LocksPinItemsAndNotesAreSavedOnlyWhenChanged)
{
    const StashItem l1 = text(u"L1"_s, true), l2 = text(u"L2"_s, true), u1 = text(u"U1"_s), u2 = text(u"U2"_s);
    writeItems({l1, l2, u1, u2});
    StashStore &store = openStore();
    resetSaveCounts();
    store.setLocked(true, {});
    EXPECT_EQ(m_itemSaves, 0);
    store.setLocked(true, {u2.id()});
    EXPECT_EQ(displayNames(store.items()), (QStringList{u"L1"_s, u"L2"_s, u"U2"_s, u"U1"_s}));
    store.setLocked(false, {u2.id(), l1.id()});
    EXPECT_EQ(displayNames(store.items()), (QStringList{u"L2"_s, u"L1"_s, u"U2"_s, u"U1"_s}));
    EXPECT_EQ(savedItems(), store.items());

    ASSERT_TRUE(store.setNote(u"  hello \n"_s, u1.id()));
    EXPECT_EQ(store.items().last().note(), u"hello"_s);
    resetSaveCounts();
    EXPECT_TRUE(store.setNote(u"hello"_s, u1.id()));
    EXPECT_TRUE(store.setNote(u"   "_s, l2.id()));
    EXPECT_EQ(m_itemSaves, 0);
    EXPECT_TRUE(store.setNote(u"  "_s, u1.id()));
    EXPECT_EQ(store.items().last().note(), std::nullopt);
    EXPECT_EQ(m_itemSaves, 1);
    store.remove(u1);
    EXPECT_FALSE(store.setNote(u"x"_s, u1.id()));
}

TEST_F(StashStoreTest, SizesFollowRemovalAndPurge)
{
    StashStore &store = openStore();
    store.addText(u"t"_s);
    const StashItem big = store.addFiles({source(u"big.bin"_s, QByteArray(5'000'000, 'b'))}).added.value(0);
    EXPECT_EQ(store.activeByteSize(), 5'000'000);
    EXPECT_EQ(store.totalByteSizeText(), QLocale().formattedDataSize(5'000'000, 1, QLocale::DataSizeSIFormat));
    store.remove(big);
    EXPECT_EQ(store.activeByteSize(), 0);
    EXPECT_EQ(store.trashByteSize(), 5'000'000);
    EXPECT_EQ(store.totalByteSize(), 5'000'000);
    EXPECT_EQ(store.purgeExpiredTrash(m_now.addDays(30)), 1);
    EXPECT_EQ(store.totalByteSize(), 0);
}
