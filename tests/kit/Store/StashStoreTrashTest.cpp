#include "Storage/ContentHasher.h"
#include "StoreFixture.h"

using namespace holdra;
using namespace holdra::test;
using namespace Qt::StringLiterals;

namespace {

class StashStoreTrashTest : public StoreFixture
{
protected:
    StashItem text(const QString &name, bool locked = false) const
    {
        StashItem item = StashItem::makeText(name, m_now);
        item.setLocked(locked);
        return item;
    }
};

} // namespace

// Locked items stay; removed ones lead the trash in list order, dated now; a
// change that moves nothing writes nothing.
TEST_F(StashStoreTrashTest, LockedItemsStayAndRemovedOnesLeadTheTrashInListOrder)
{
    const StashItem l = text(u"L"_s, true), a = text(u"A"_s), b = text(u"B"_s), c = text(u"C"_s), d = text(u"D"_s);
    writeItems({l, a, b, c, d});
    writeTrash({{text(u"older"_s), m_now.addDays(-3)}});
    StashStore &store = openStore();
    resetSaveCounts();
    EXPECT_EQ(store.remove(QSet<QUuid>{l.id()}), 0);
    EXPECT_EQ(m_itemSaves + m_trashSaves, 0);

    m_now = m_now.addSecs(60);
    EXPECT_EQ(store.remove(QSet<QUuid>{d.id(), l.id(), b.id()}), 2);
    EXPECT_EQ(displayNames(store.items()), (QStringList{u"L"_s, u"A"_s, u"C"_s}));
    EXPECT_EQ(displayNames(store.trashItems()), (QStringList{u"B"_s, u"D"_s, u"older"_s}));
    EXPECT_TRUE(store.trashItems()[0].trashedAt == m_now && store.trashItems()[1].trashedAt == m_now);
    EXPECT_EQ(savedTrash(), store.trashItems());
    EXPECT_EQ(savedItems(), store.items());

    store.removeAll();
    EXPECT_EQ(displayNames(store.items()), QStringList{u"L"_s});
    resetSaveCounts();
    store.removeAll();
    EXPECT_EQ(m_itemSaves + m_trashSaves, 0);
}

// An entry goes with its copy once a whole retention interval old, never
// earlier, and never while another entry still refers to the copy.
TEST_F(StashStoreTrashTest, PurgeHonoursTheRetentionBoundaryAndKeepsReferencedCopies)
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
TEST_F(StashStoreTrashTest, RestoreReportsDuplicatesAndMissingFiles)
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

TEST_F(StashStoreTrashTest, RestoredItemsReturnUnchangedBelowTheLockedOnesInTrashOrder)
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
}
