#include "Storage/ContentHasher.h"
#include "StoreFixture.h"

using namespace holdra;
using namespace holdra::test;

namespace {

class StashStoreTrashTest : public StoreFixture
{
protected:
    StashItem text(const QString &name, bool locked = false)
    {
        StashItem item = StashItem::makeText(name, m_now);
        item.setLocked(locked);
        return item;
    }
};

} // namespace

TEST_F(StashStoreTrashTest, LockedItemsAreSkippedAndRemovedOnesLeadTheTrashInListOrder)
{
    const StashItem l = text(QStringLiteral("L"), true);
    const StashItem a = text(QStringLiteral("A"));
    const StashItem b = text(QStringLiteral("B"));
    const StashItem c = text(QStringLiteral("C"));
    const StashItem d = text(QStringLiteral("D"));
    writeItems({l, a, b, c, d});
    writeTrash({{text(QStringLiteral("older")), m_now.addDays(-3)}});
    StashStore &store = openStore();
    resetSaveCounts();

    EXPECT_EQ(store.remove(QSet<QUuid>{l.id()}), 0);
    EXPECT_EQ(m_itemSaves + m_trashSaves, 0);

    m_now = m_now.addSecs(60);
    EXPECT_EQ(store.remove(QSet<QUuid>{d.id(), l.id(), b.id()}), 2);
    EXPECT_EQ(displayNames(store.items()), QStringList({QStringLiteral("L"), QStringLiteral("A"), QStringLiteral("C")}));
    EXPECT_EQ(displayNames(store.trashItems()),
              QStringList({QStringLiteral("B"), QStringLiteral("D"), QStringLiteral("older")}));
    EXPECT_EQ(store.trashItems()[0].trashedAt, m_now);
    EXPECT_EQ(store.trashItems()[1].trashedAt, m_now);
    EXPECT_EQ(savedTrash(), store.trashItems());
    EXPECT_EQ(savedItems(), store.items());
}

TEST_F(StashStoreTrashTest, RemoveAllKeepsLockedItems)
{
    QList<StashItem> items;
    for (int i = 0; i < 8; ++i)
        items.append(text(QString::number(i), i < 3));
    writeItems(items);
    StashStore &store = openStore();
    store.removeAll();
    EXPECT_EQ(store.count(), 3);
    EXPECT_EQ(store.trashCount(), 5);
    resetSaveCounts();
    store.removeAll();
    EXPECT_EQ(m_itemSaves + m_trashSaves, 0);
}

TEST_F(StashStoreTrashTest, PurgeHonoursTheRetentionBoundaryAndDeletesCopies)
{
    const StashItem expired = storedItem(QStringLiteral("expired.bin"), "e");
    const StashItem staying = storedItem(QStringLiteral("staying.bin"), "s");
    writeTrash({{expired, m_now.addDays(-1)}, {staying, m_now.addDays(-1).addSecs(1)}});
    StashStore &store = openStore();
    EXPECT_EQ(store.purgeExpiredTrash(m_now.addDays(29)), 1);
    EXPECT_EQ(displayNames(store.trashItems()), QStringList{QStringLiteral("staying.bin")});
    EXPECT_FALSE(QFileInfo::exists(root() + u'/' + expired.relativePath()->section(u'/', 0, 0)));
    EXPECT_TRUE(QFileInfo::exists(*store.absolutePath(staying)));
    EXPECT_EQ(store.purgeExpiredTrash(m_now.addDays(29)), 0);
}

TEST_F(StashStoreTrashTest, PurgeNeverDeletesACopyThatIsStillReferenced)
{
    const StashItem shared = storedItem(QStringLiteral("shared.bin"), "shared");
    // A hand-merged file: another entry pointing into the same item directory.
    StashItem oldEntry = StashItem::makeFile({*shared.relativePath(), 6, QStringLiteral("shared.bin")}, m_now);
    StashItem sibling = StashItem::makeFile(
        {shared.relativePath()->section(u'/', 0, 0) + QStringLiteral("/other.bin"), 1, QStringLiteral("other.bin")}, m_now);
    writeItems({shared});
    writeTrash({{oldEntry, m_now.addDays(-40)}, {sibling, m_now.addDays(-40)}});
    StashStore &store = openStore();
    EXPECT_EQ(store.trashCount(), 0);
    EXPECT_TRUE(QFileInfo::exists(*store.absolutePath(shared)));
    EXPECT_EQ(ContentHasher::sha256Hex(*store.absolutePath(shared)), store.items().first().contentHash());
}

TEST_F(StashStoreTrashTest, RestoreReportsDuplicatesAndMissingFiles)
{
    StashStore &store = openStore();
    const StashItem image = store.addImageData("img", QStringLiteral("a"), QStringLiteral("png")).item.value();
    const StashItem gone = store.addFiles({source(QStringLiteral("gone.bin"), "gone")}).added.first();
    const StashItem note = store.addText(QStringLiteral("note"));
    store.remove(QSet<QUuid>{image.id(), gone.id(), note.id()});
    QFile::remove(*store.absolutePath(gone));
    // The same image stashed again meanwhile.
    store.addImageData("img", QStringLiteral("b"), QStringLiteral("png"));
    store.addText(QStringLiteral("note"));

    const TrashRestoreResult result = store.restoreFromTrash({image.id(), gone.id(), note.id(), QUuid::createUuid()});
    EXPECT_EQ(displayNames(result.restored), QStringList{QStringLiteral("note")});
    EXPECT_EQ(displayNames(result.duplicates), QStringList{QStringLiteral("a.png")});
    EXPECT_EQ(displayNames(result.missingFiles), QStringList{QStringLiteral("gone.bin")});
    EXPECT_EQ(store.trashCount(), 2);
    EXPECT_EQ(displayNames(savedTrash()), displayNames(store.trashItems()));
}

TEST_F(StashStoreTrashTest, RestoredItemsReturnUnchangedBelowTheLockedOnesInTrashOrder)
{
    const StashItem locked = text(QStringLiteral("L"), true);
    StashItem first = text(QStringLiteral("first"));
    first.setNote(QStringLiteral("kept"));
    const StashItem second = text(QStringLiteral("second"));
    writeItems({locked, first, second, text(QStringLiteral("other"))});
    StashStore &store = openStore();
    store.remove(first);
    m_now = m_now.addSecs(5);
    store.remove(second);

    const TrashRestoreResult result = store.restoreFromTrash({first.id(), second.id()});
    EXPECT_EQ(result.restored, QList<StashItem>({second, first}));
    EXPECT_EQ(displayNames(store.items()),
              QStringList({QStringLiteral("L"), QStringLiteral("second"), QStringLiteral("first"), QStringLiteral("other")}));
    EXPECT_EQ(store.trashCount(), 0);
    EXPECT_TRUE(store.restoreFromTrash({}).restored.isEmpty());
}

TEST_F(StashStoreTrashTest, OfTwoTrashedCopiesWithTheSameContentOnlyTheFirstReturns)
{
    StashItem a = storedItem(QStringLiteral("a.bin"), "same");
    StashItem b = storedItem(QStringLiteral("b.bin"), "same");
    a.setContentHash(ContentHasher::sha256Hex(root() + u'/' + *a.relativePath()));
    b.setContentHash(a.contentHash());
    writeTrash({{a, m_now}, {b, m_now}});
    StashStore &store = openStore();
    const TrashRestoreResult result = store.restoreFromTrash({a.id(), b.id()});
    EXPECT_EQ(result.restored, QList<StashItem>{a});
    EXPECT_EQ(result.duplicates, QList<StashItem>{b});
}
