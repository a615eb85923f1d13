#include "Store/DuplicateProbe.h"
#include "Storage/DiskFileStorage.h"
#include "StoreFixture.h"

#include <sys/stat.h>

using namespace holdra;
using namespace Qt::StringLiterals;
using namespace holdra::test;

namespace {

// The storage the store writes through, counting the files it is asked to copy.
class CountingStorage : public DiskFileStorage
{
public:
    CountingStorage(const QString &root, int &imports)
        : DiskFileStorage(root)
        , m_imports(imports)
    {
    }
    StoredFile importFile(const QByteArray &nativeSourcePath) override
    {
        ++m_imports;
        return DiskFileStorage::importFile(nativeSourcePath);
    }

private:
    int &m_imports;
};

class DuplicateProbeTest : public StoreFixture
{
};

} // namespace

// Only a file of a stored item's size and bytes is a repeat (a text of the same
// bytes has no stored copy); nothing that is not a regular file is read (a FIFO would block).
TEST_F(DuplicateProbeTest, OnlyTheSameSizeAndBytesRepeatAStoredItem)
{
    StashStore &store = openStore();
    store.addFiles({source(u"lower.txt"_s, "twelve bytes")});
    store.addFiles({source(u"other.txt"_s, "other bytes!")});
    store.addText(u"twelve bytes"_s);
    ASSERT_EQ(store.count(), 3);
    const StashItem lower = store.items().last();
    const QString fifo = m_dir.filePath(u"fifo"_s);
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);

    const DuplicateProbe probe(store.items());
    const QList<std::tuple<const char *, QUrl, std::optional<QUuid>>> cases{
        {"same bytes", source(u"a.txt"_s, "twelve bytes"), lower.id()},
        {"same size, other bytes", source(u"b.txt"_s, "twelve Bytes"), std::nullopt},
        {"a size nobody has", source(u"c.txt"_s, "twelve bytes and more"), std::nullopt},
        {"a FIFO", QUrl::fromLocalFile(fifo), std::nullopt},
        {"a folder", QUrl::fromLocalFile(m_dir.path()), std::nullopt},
        {"nothing there", QUrl::fromLocalFile(m_dir.filePath(u"gone"_s)), std::nullopt},
        {"not local", QUrl(u"https://example.org/a.txt"_s), std::nullopt},
    };
    for (const auto &[what, url, repeats] : cases) {
        SCOPED_TRACE(what);
        const std::optional<StashItem> repeated = probe.repeatedItem(url);
        EXPECT_EQ(repeated ? std::optional(repeated->id()) : std::nullopt, repeats);
    }
}

// A duplicate added to the store is read, never copied: the storage is not asked
// for a copy, and the stored item is what the caller is told it repeats.
TEST_F(DuplicateProbeTest, TheStoreNeverCopiesADuplicate)
{
    int imports = 0;
    StashStore store(std::make_unique<JSONMetadataStore>(metadataPath()),
                     std::make_unique<JSONTrashMetadataStore>(trashPath()),
                     std::make_unique<CountingStorage>(root(), imports));
    store.load();
    const QByteArray bytes(3 << 20, 'x');
    const StashStore::AddFilesResult first = store.addFiles({source(u"original.bin"_s, bytes)});
    ASSERT_EQ(first.added.size(), 1);
    EXPECT_EQ(imports, 1);

    const StashStore::AddFilesResult again = store.addFiles({source(u"again.bin"_s, bytes)});
    EXPECT_EQ(imports, 1);
    EXPECT_TRUE(again.added.isEmpty());
    ASSERT_EQ(again.duplicates.size(), 1);
    EXPECT_EQ(again.duplicates.first().id(), first.added.first().id());

    QByteArray changed = bytes;
    changed[changed.size() - 1] = 'y';
    EXPECT_EQ(store.addFiles({source(u"changed.bin"_s, changed)}).added.size(), 1);
    EXPECT_EQ(imports, 2);
    EXPECT_EQ(itemDirectoryCount(), 2);
}
