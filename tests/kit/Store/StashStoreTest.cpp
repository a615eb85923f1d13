#include "MessageLog.h"
#include "Storage/ContentHasher.h"
#include "Storage/MetadataCodec.h"
#include "StoreFixture.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QDateTime>
#include <QProcess>

#include <sys/stat.h>

using namespace holdra;
using namespace holdra::test;

namespace {

class StashStoreTest : public StoreFixture
{
};

StashItem textItem(const QString &text, bool locked = false)
{
    StashItem item = StashItem::makeText(text, QDateTime::currentDateTimeUtc());
    item.setLocked(locked);
    return item;
}

} // namespace

TEST_F(StashStoreTest, LoadPinsLockedItemsAndSavesTheNewOrder)
{
    writeItems({textItem(QStringLiteral("u1")), textItem(QStringLiteral("l"), true),
                textItem(QStringLiteral("u2"))});
    StashStore &store = openStore();
    const QStringList expected = {QStringLiteral("l"), QStringLiteral("u1"), QStringLiteral("u2")};
    EXPECT_EQ(displayNames(store.items()), expected);
    EXPECT_EQ(displayNames(savedItems()), expected);
}

TEST_F(StashStoreTest, LoadDropsTrashEntriesOfActiveItemsAndExpiredEntries)
{
    const StashItem active = storedItem(QStringLiteral("a.bin"), "a");
    const StashItem old = storedItem(QStringLiteral("old.bin"), "old");
    const StashItem recent = textItem(QStringLiteral("recent"));
    writeItems({active});
    writeTrash({{recent, m_now.addDays(-1)}, {active, m_now.addDays(-2)}, {old, m_now.addDays(-31)}});

    StashStore &store = openStore();
    EXPECT_EQ(displayNames(store.trashItems()), QStringList{QStringLiteral("recent")});
    EXPECT_EQ(displayNames(savedTrash()), QStringList{QStringLiteral("recent")});
    EXPECT_FALSE(QFileInfo::exists(root() + u'/' + old.relativePath()->section(u'/', 0, 0)));
    EXPECT_TRUE(QFileInfo::exists(*store.absolutePath(active)));
}

TEST_F(StashStoreTest, LoadSortsTheTrashNewestFirstKeepingTiesInFileOrder)
{
    const QDateTime t = m_now.addDays(-1);
    writeTrash({{textItem(QStringLiteral("b")), t}, {textItem(QStringLiteral("newest")), m_now},
                {textItem(QStringLiteral("c")), t}});
    StashStore &store = openStore();
    EXPECT_EQ(displayNames(store.trashItems()),
              QStringList({QStringLiteral("newest"), QStringLiteral("b"), QStringLiteral("c")}));
}

TEST_F(StashStoreTest, LoadFillsInMissingHashesAndSavesOnlyWhenItDid)
{
    StashItem image = storedItem(QStringLiteral("p.png"), "pixels");
    image.setKind(StashItemKind::image);
    writeItems({image});
    openStore();
    EXPECT_EQ(m_store->items().first().contentHash(),
              ContentHasher::sha256Hex(*m_store->absolutePath(image)));
    EXPECT_EQ(savedItems().first().contentHash(), m_store->items().first().contentHash());

    QFile::remove(*m_store->absolutePath(image));
    writeItems({image});
    resetSaveCounts();
    openStore();
    EXPECT_EQ(m_store->items().first().contentHash(), std::nullopt);
    EXPECT_EQ(m_itemSaves, 0);
}

TEST_F(StashStoreTest, TextItemsRepeatingAStashedTextFileGoToTheTrash)
{
    const StashItem utf8File = storedItem(QStringLiteral("notes.txt"), "\xEF\xBB\xBFline one\r\nline two\r\n");
    const StashItem utf16File = storedItem(
        QStringLiteral("wide.TXT"),
        QByteArray("\xFF\xFE", 2) + QByteArray(reinterpret_cast<const char *>(u"caf\u00e9"), 8));
    const StashItem repeat = textItem(QStringLiteral("line one\nline two\n"));
    const StashItem lockedRepeat = textItem(QStringLiteral("line one\nline two\n"), true);
    // Canonically equivalent to the UTF-16 text: e followed by a combining acute accent.
    const StashItem decomposed = textItem(QStringLiteral("cafe\u0301"));
    const StashItem other = textItem(QStringLiteral("something else"));
    writeItems({lockedRepeat, repeat, decomposed, other, utf8File, utf16File});

    StashStore &store = openStore();
    EXPECT_EQ(store.trashCount(), 2);
    EXPECT_EQ(store.count(), 4);
    QSet<QUuid> active;
    for (const StashItem &item : store.items())
        active.insert(item.id());
    EXPECT_TRUE(active.contains(lockedRepeat.id()));
    EXPECT_FALSE(active.contains(repeat.id()));
    EXPECT_FALSE(active.contains(decomposed.id()));
    EXPECT_EQ(savedTrash().size(), 2);
}

TEST_F(StashStoreTest, AShortTextRepeatingALongerDecomposedFileGoesToTheTrashToo)
{
    // The file spells each syllable as its jamo: three times the bytes of the text,
    // with a byte-order mark and CR LF on top. No longer text is there to widen the
    // sizes looked at.
    const QString composed = QStringLiteral("한국어\n");
    QString decomposed = composed.normalized(QString::NormalizationForm_D);
    decomposed.replace(u'\n', QStringLiteral("\r\n"));
    const StashItem file = storedItem(QStringLiteral("jamo.txt"), "\xEF\xBB\xBF" + decomposed.toUtf8());
    const StashItem repeat = textItem(composed);
    writeItems({repeat, file});

    StashStore &store = openStore();
    EXPECT_EQ(store.trashCount(), 1);
    EXPECT_EQ(displayNames(store.items()), QStringList{QStringLiteral("jamo.txt")});
}

TEST_F(StashStoreTest, WithoutTxtFilesRepeatedTextsStay)
{
    writeItems({textItem(QStringLiteral("same")), textItem(QStringLiteral("same")),
                storedItem(QStringLiteral("same.md"), "same")});
    EXPECT_EQ(openStore().count(), 3);
}

TEST_F(StashStoreTest, UniqueItemsKeepsFirstOccurrences)
{
    const StashItem a = textItem(QStringLiteral("a"));
    const StashItem b = textItem(QStringLiteral("b"));
    EXPECT_EQ(StashStore::uniqueItems({a, b, a, b, a}), QList<StashItem>({a, b}));
}

TEST_F(StashStoreTest, AnUnreadableMetadataFileIsSetAsideNotOverwritten)
{
    QDir().mkpath(support());
    m_dir.write(QStringLiteral("Holdra/metadata.json"), "[{\"id\": broken");
    m_dir.write(QStringLiteral("Holdra/trash.json"), "{\"not\": \"an array\"}");
    StashStore &store = openStore();
    EXPECT_EQ(store.count(), 0);
    store.addText(QStringLiteral("new"));

    const QStringList asideItems = QDir(support()).entryList({QStringLiteral("metadata.json.unreadable-*")});
    const QStringList asideTrash = QDir(support()).entryList({QStringLiteral("trash.json.unreadable-*")});
    ASSERT_EQ(asideItems.size(), 1);
    ASSERT_EQ(asideTrash.size(), 1);
    QFile kept(support() + u'/' + asideItems.first());
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "[{\"id\": broken");
    EXPECT_EQ(displayNames(savedItems()), QStringList{QStringLiteral("new")});
}

// A list file that cannot be read nor moved aside is the only copy of what it
// holds: every change is refused, loudly, rather than written over it.
TEST_F(StashStoreTest, AFileThatCannotBeSetAsideRefusesEveryChange)
{
    QDir().mkpath(support());
    m_dir.write(QStringLiteral("Holdra/metadata.json"), "garbage");
    m_setAsideFails = true;
    StashStore &store = openStore();
    QStringList refusals;
    QObject::connect(&store, &StashStore::saveFailed, [&](const QString &message) { refusals.append(message); });

    store.addText(QStringLiteral("typed"));
    const StashStore::AddFilesResult files = store.addFiles({source(QStringLiteral("a.bin"), "alpha")});
    EXPECT_THROW(store.addImageData("png", QStringLiteral("shot"), QStringLiteral("png")), FileStorageError);
    EXPECT_TRUE(files.added.isEmpty());
    EXPECT_EQ(store.count(), 0);
    EXPECT_EQ(itemDirectoryCount(), 0);
    EXPECT_EQ(m_itemSaves, 0);
    ASSERT_EQ(refusals.size(), 3);
    EXPECT_TRUE(refusals.first().contains(QStringLiteral("metadata.json"))) << refusals.first().toStdString();
    QFile file(metadataPath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "garbage");
}

// A list file that cannot be replaced (a folder took its place) undoes the
// change, in memory and in the other file when it was already written, and the
// log says once which file failed and why.
TEST_F(StashStoreTest, AFailedSaveIsUndoneAndLoggedOnceWithTheFileThatFailed)
{
    enum Blocked { itemsFile, trashFile };
    const struct
    {
        const char *change;
        Blocked blocked;
    } cases[] = {
        {"add", itemsFile},
        {"remove", trashFile}, // the trash is written first
        {"remove", itemsFile}, // the trash was written, then goes back
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.change) + (c.blocked == itemsFile ? ", list blocked" : ", trash blocked"));
        QDir(support()).removeRecursively();
        writeItems({textItem(QStringLiteral("kept"))});
        writeTrash({});
        StashStore &store = openStore();
        const QString blocked = c.blocked == itemsFile ? metadataPath() : trashPath();
        ASSERT_TRUE(QFile::remove(blocked) && QDir().mkdir(blocked));
        QStringList refusals;
        QObject::connect(&store, &StashStore::saveFailed, [&](const QString &message) { refusals.append(message); });

        MessageLog log;
        if (QByteArrayView(c.change) == "add")
            store.addText(QStringLiteral("lost"));
        else
            store.remove(store.items().first());

        EXPECT_EQ(displayNames(store.items()), QStringList{QStringLiteral("kept")});
        EXPECT_EQ(store.trashCount(), 0);
        if (c.blocked == itemsFile)
            EXPECT_TRUE(savedTrash().isEmpty());
        else
            EXPECT_EQ(displayNames(savedItems()), QStringList{QStringLiteral("kept")});
        ASSERT_EQ(refusals.size(), 1);
        ASSERT_EQ(log.count(QStringLiteral("change not saved")), 1) << log.lines().join(u'\n').toStdString();
        const QString line = log.lines().filter(QStringLiteral("change not saved")).first();
        EXPECT_TRUE(line.contains(blocked) && line.contains(refusals.first())) << line.toStdString();
    }
}

// A FIFO in place of a list or of a stored text copy is refused at once; read,
// it would wait for a writer for ever.
TEST_F(StashStoreTest, AFifoInPlaceOfAListOrOfACopyIsNeverWaitedOn)
{
    const StashItem file = storedItem(QStringLiteral("notes.txt"), "same text");
    const StashItem text = textItem(QStringLiteral("same text"));
    writeItems({file, text});
    const QByteArray copy = QFile::encodeName(root() + u'/' + *file.relativePath());
    ASSERT_EQ(::unlink(copy.constData()), 0);
    ASSERT_EQ(::mkfifo(copy.constData(), 0600), 0);
    ASSERT_EQ(::mkfifo(QFile::encodeName(trashPath()).constData(), 0600), 0);

    StashStore &store = openStore();
    EXPECT_EQ(store.count(), 2);
    EXPECT_EQ(store.trashCount(), 0);
    EXPECT_EQ(QDir(support()).entryList({QStringLiteral("trash.json.unreadable-*")}, QDir::System).size(), 1);
    store.remove(text);
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
    holder.start(QStringLiteral("timeout"), {QStringLiteral("-s"), QStringLiteral("KILL"), QStringLiteral("5"), child,
                                             support(), m_dir.filePath(QStringLiteral("scratch")), QStringLiteral("1")});
    ASSERT_TRUE(holder.waitForStarted());
    while (!holder.canReadLine())
        ASSERT_TRUE(holder.waitForReadyRead(10'000)) << "the writer never got going";

    const StashStore::Opening refused = StashStore::open(support(), 30, {}, std::chrono::milliseconds(100));
    EXPECT_FALSE(refused.store);
    EXPECT_TRUE(refused.errorMessage.contains(support())) << refused.errorMessage.toStdString();
    EXPECT_TRUE(refused.errorMessage.contains(QStringLiteral("进程号"))) << refused.errorMessage.toStdString();
    // Looking needs no lock at all.
    EXPECT_TRUE(StashStore::openForReading(support()).store);

    StashStore::Opening first = StashStore::open(support(), 30, {}, std::chrono::seconds(60));
    ASSERT_TRUE(first.store) << first.errorMessage.toStdString();
    EXPECT_TRUE(holder.waitForFinished());
    EXPECT_TRUE(QFileInfo::exists(support() + QStringLiteral("/.lock")));
    // Within one process, too, a second store is a second writer.
    EXPECT_FALSE(StashStore::open(support(), 30, {}, std::chrono::milliseconds(0)).store);
    first.store.reset();
    EXPECT_TRUE(StashStore::open(support(), 30, {}, std::chrono::milliseconds(0)).store);
}

TEST_F(StashStoreTest, TheSupportDirectoryAndTheListsArePrivate)
{
    ::umask(022);
    QDir().mkpath(m_dir.filePath(QStringLiteral("open")));
    const QString existing = m_dir.filePath(QStringLiteral("open"));
    ::chmod(QFile::encodeName(existing).constData(), 0755);
    m_dir.write(QStringLiteral("open/metadata.json"), "[]");
    ::chmod(QFile::encodeName(existing + QStringLiteral("/metadata.json")).constData(), 0644);

    const auto mode = [](const QString &path) {
        struct stat status {};
        return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_mode & 07777 : 07777;
    };
    for (const QString &directory : {m_dir.filePath(QStringLiteral("new/deeper/Holdra")), existing}) {
        StashStore::Opening opening = StashStore::open(directory);
        ASSERT_TRUE(opening.store) << opening.errorMessage.toStdString();
        opening.store->addFiles({source(QStringLiteral("f.txt"), directory.toUtf8())});
        EXPECT_EQ(mode(directory), 0700u) << directory.toStdString();
        EXPECT_EQ(mode(directory + QStringLiteral("/metadata.json")), 0600u);
        EXPECT_EQ(mode(directory + QStringLiteral("/trash.json")), 07777u); // nothing trashed, nothing written
        EXPECT_EQ(mode(directory + QStringLiteral("/Files")), 0700u);
        EXPECT_EQ(mode(directory + QStringLiteral("/.lock")), 0600u);
    }
    EXPECT_EQ(mode(m_dir.filePath(QStringLiteral("new"))), 0700u);
}

TEST_F(StashStoreTest, LocksPinItemsAndAlwaysSave)
{
    const StashItem l1 = textItem(QStringLiteral("L1"), true);
    const StashItem l2 = textItem(QStringLiteral("L2"), true);
    const StashItem u1 = textItem(QStringLiteral("U1"));
    const StashItem u2 = textItem(QStringLiteral("U2"));
    writeItems({l1, l2, u1, u2});
    StashStore &store = openStore();
    resetSaveCounts();

    store.setLocked(true, {});
    EXPECT_EQ(m_itemSaves, 0);
    store.setLocked(true, {QUuid::createUuid()});
    EXPECT_EQ(m_itemSaves, 1);

    store.setLocked(true, {u2.id()});
    EXPECT_EQ(displayNames(store.items()),
              QStringList({QStringLiteral("L1"), QStringLiteral("L2"), QStringLiteral("U2"), QStringLiteral("U1")}));
    store.setLocked(false, {u2.id(), l1.id()});
    EXPECT_EQ(displayNames(store.items()),
              QStringList({QStringLiteral("L2"), QStringLiteral("L1"), QStringLiteral("U2"), QStringLiteral("U1")}));
    EXPECT_EQ(displayNames(savedItems()), displayNames(store.items()));
}

TEST_F(StashStoreTest, NotesAreNormalisedAndSavedOnlyWhenChanged)
{
    const StashItem noted = textItem(QStringLiteral("noted"));
    const StashItem plain = textItem(QStringLiteral("plain"));
    writeItems({noted, plain});
    StashStore &store = openStore();
    ASSERT_TRUE(store.setNote(QStringLiteral("  hello \n"), noted.id()));
    EXPECT_EQ(store.items().first().note(), QStringLiteral("hello"));
    resetSaveCounts();

    EXPECT_TRUE(store.setNote(QStringLiteral("hello"), noted.id()));
    EXPECT_TRUE(store.setNote(QStringLiteral("   "), plain.id()));
    EXPECT_EQ(m_itemSaves, 0);
    EXPECT_TRUE(store.setNote(QStringLiteral("  "), noted.id()));
    EXPECT_EQ(store.items().first().note(), std::nullopt);
    EXPECT_EQ(m_itemSaves, 1);

    store.remove(plain);
    EXPECT_FALSE(store.setNote(QStringLiteral("x"), plain.id()));
    EXPECT_FALSE(store.setNote(QStringLiteral("x"), QUuid::createUuid()));
}

TEST_F(StashStoreTest, SizesFollowRemovalAndPurge)
{
    StashStore &store = openStore();
    EXPECT_EQ(store.totalByteSize(), 0);
    store.addText(QStringLiteral("t"));
    store.addLink(QStringLiteral("https://example.com"), std::nullopt);
    EXPECT_EQ(store.activeByteSize(), 0);

    const StashStore::AddFilesResult added =
        store.addFiles({source(QStringLiteral("big.bin"), QByteArray(5'000'000, 'b'))});
    ASSERT_EQ(added.added.size(), 1);
    EXPECT_EQ(store.activeByteSize(), 5'000'000);
    EXPECT_EQ(store.totalByteSize(), 5'000'000);
    EXPECT_EQ(store.totalByteSizeText(), QLocale().formattedDataSize(5'000'000, 1, QLocale::DataSizeSIFormat));

    store.remove(added.added.first());
    EXPECT_EQ(store.activeByteSize(), 0);
    EXPECT_EQ(store.trashByteSize(), 5'000'000);
    EXPECT_EQ(store.totalByteSize(), 5'000'000);
    EXPECT_EQ(store.purgeExpiredTrash(m_now.addDays(30)), 1);
    EXPECT_EQ(store.totalByteSize(), 0);
}

TEST_F(StashStoreTest, EveryAssignmentIsSignalled)
{
    StashStore &store = openStore();
    int items = 0;
    int trash = 0;
    QObject::connect(&store, &StashStore::itemsChanged, [&items] { ++items; });
    QObject::connect(&store, &StashStore::trashItemsChanged, [&trash] { ++trash; });
    store.addText(QStringLiteral("a"));
    EXPECT_GE(items, 1);
    EXPECT_EQ(trash, 0);
    store.remove(store.items().first());
    EXPECT_GE(trash, 1);
}
