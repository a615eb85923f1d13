#include "Storage/ContentHasher.h"
#include "Storage/MetadataCodec.h"
#include "StoreFixture.h"

#include <QCoreApplication>
#include <QLockFile>
#include <QFile>
#include <QDateTime>
#include <QProcess>
#include <QSysInfo>

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

TEST_F(StashStoreTest, AFileThatCannotBeSetAsideIsNeverSavedOver)
{
    QDir().mkpath(support());
    m_dir.write(QStringLiteral("Holdra/metadata.json"), "garbage");
    m_setAsideFails = true;
    StashStore &store = openStore();
    store.addText(QStringLiteral("kept in memory"));
    EXPECT_EQ(store.count(), 1);
    EXPECT_EQ(m_itemSaves, 0);
    QFile file(metadataPath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "garbage");
    // The trash file was fine, so it is still saved.
    store.remove(store.items().first());
    EXPECT_EQ(savedTrash().size(), 1);
}

TEST_F(StashStoreTest, ASecondStoreOnTheSameDirectoryIsRefused)
{
    StashStore::Opening first = StashStore::open(support());
    ASSERT_TRUE(first.store) << first.errorMessage.toStdString();
    first.store->addText(QStringLiteral("mine"));

    const StashStore::Opening second = StashStore::open(support());
    EXPECT_FALSE(second.store);
    EXPECT_TRUE(second.errorMessage.contains(support())) << second.errorMessage.toStdString();
    EXPECT_TRUE(second.errorMessage.contains(QString::number(QCoreApplication::applicationPid())));

    first.store.reset();
    const StashStore::Opening third = StashStore::open(support());
    ASSERT_TRUE(third.store);
    EXPECT_EQ(third.store->count(), 1);
}

TEST_F(StashStoreTest, TheLockOfADeadProcessIsReclaimed)
{
    QProcess process;
    process.start(QStringLiteral("true"));
    ASSERT_TRUE(process.waitForStarted());
    const qint64 deadPid = process.processId();
    ASSERT_TRUE(process.waitForFinished());

    QDir().mkpath(support());
    m_dir.write(QStringLiteral("Holdra/.lock"),
                QByteArray::number(deadPid) + '\n' + QCoreApplication::applicationName().toUtf8()
                    + '\n' + QSysInfo::machineHostName().toUtf8() + '\n');
    const StashStore::Opening opening = StashStore::open(support());
    EXPECT_TRUE(opening.store) << opening.errorMessage.toStdString();
}

// After a crash the owner's process number is soon taken by another program;
// across a reboot by anything. Neither may keep the user out of the stash.
TEST_F(StashStoreTest, ALockWhoseNumberWasReusedOrThatPredatesTheBootIsReclaimed)
{
    QProcess other;
    other.start(QStringLiteral("sleep"), {QStringLiteral("30")});
    ASSERT_TRUE(other.waitForStarted());
    const auto writeLock = [&](qint64 pid) {
        QDir().mkpath(support());
        m_dir.write(QStringLiteral("Holdra/.lock"),
                    QByteArray::number(pid) + '\n' + QCoreApplication::applicationName().toUtf8() + '\n'
                        + QSysInfo::machineHostName().toUtf8() + '\n');
    };

    writeLock(other.processId());
    StashStore::Opening opening = StashStore::open(support());
    EXPECT_TRUE(opening.store) << opening.errorMessage.toStdString();
    opening.store.reset();

    // This very program under that number refuses, unless the lock predates the boot.
    writeLock(QCoreApplication::applicationPid());
    EXPECT_FALSE(StashStore::open(support()).store);
    QFile lockFile(m_dir.filePath(QStringLiteral("Holdra/.lock")));
    ASSERT_TRUE(lockFile.open(QIODevice::ReadWrite));
    ASSERT_TRUE(lockFile.setFileTime(QDateTime::fromSecsSinceEpoch(86400), QFileDevice::FileModificationTime));
    lockFile.close();
    opening = StashStore::open(support());
    EXPECT_TRUE(opening.store) << opening.errorMessage.toStdString();

    other.kill();
    other.waitForFinished();
}

// A kill while the lock was being taken leaves an empty lock file behind; it
// must not lock the user out of the stash for good.
TEST_F(StashStoreTest, AnEmptyLockFileLeftByAKillIsReclaimed)
{
    QDir().mkpath(support());
    m_dir.write(QStringLiteral("Holdra/.lock"), QByteArray());
    const StashStore::Opening opening = StashStore::open(support());
    EXPECT_TRUE(opening.store) << opening.errorMessage.toStdString();
    // A readable lock of a live owner still refuses.
    EXPECT_FALSE(StashStore::open(support()).store);
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
