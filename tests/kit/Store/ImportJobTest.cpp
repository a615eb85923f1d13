#include "Store/ImportJob.h"
#include "StoreFixture.h"

#include <QSignalSpy>

using namespace holdra;
using namespace Qt::StringLiterals;
using namespace holdra::test;

namespace {

class ImportJobTest : public StoreFixture
{
protected:
    // The batches' results in the order they were reported, once `count` came.
    QList<std::pair<int, ImportJob::Result>> finishedBatches(ImportJob &job, QSignalSpy &spy, int count)
    {
        while (spy.count() < count && spy.wait(20'000)) {}
        QList<std::pair<int, ImportJob::Result>> batches;
        for (const QList<QVariant> &arguments : std::as_const(spy))
            batches.append({arguments.at(0).toInt(), arguments.at(1).value<ImportJob::Result>()});
        EXPECT_FALSE(job.isBusy());
        return batches;
    }
};

} // namespace

// A big file dropped first and a small one dropped after: the small one is
// ready first, yet each batch commits in the order of the drops, and within a
// batch in the order of its entries.
TEST_F(ImportJobTest, BatchesCommitInDropOrder)
{
    StashStore &store = openStore();
    ImportJob job(store);
    QSignalSpy spy(&job, &ImportJob::finished);
    const QUrl big = source(u"big.bin"_s, QByteArray(48 << 20, 'b'));
    const QUrl small = source(u"small.txt"_s, "small");
    const QUrl folder = QUrl::fromLocalFile(QFileInfo(source(u"dir/in.txt"_s, "in").toLocalFile()).path());
    const StashItem note = StashItem::makeText(u"a note"_s, QDateTime::currentDateTimeUtc());

    const int first = job.start({big});
    EXPECT_TRUE(job.isBusy());
    const int second = job.start({note, small, folder, big});
    const auto batches = finishedBatches(job, spy, 2);
    ASSERT_EQ(batches.size(), 2);
    EXPECT_EQ(batches[0].first, first);
    EXPECT_EQ(batches[1].first, second);
    EXPECT_EQ(displayNames(batches[1].second.added), (QStringList{u"a note"_s, u"small.txt"_s, u"dir"_s}));
    ASSERT_EQ(batches[1].second.duplicates.size(), 1);
    EXPECT_EQ(batches[1].second.duplicates.first().displayName(), u"big.bin"_s);
    EXPECT_EQ(displayNames(store.items()), (QStringList{u"a note"_s, u"small.txt"_s, u"dir"_s, u"big.bin"_s}));
    EXPECT_EQ(itemDirectoryCount(), 3);
}

// Escape stops every queued batch: nothing is inserted and no copy, finished or
// half made, stays behind; failures are still told, and the job can go on.
TEST_F(ImportJobTest, CancelRemovesEveryCopyOfTheStoppedBatches)
{
    StashStore &store = openStore();
    ImportJob job(store);
    QSignalSpy spy(&job, &ImportJob::finished);
    job.start({source(u"one.bin"_s, QByteArray(32 << 20, '1')), source(u"two.bin"_s, QByteArray(32 << 20, '2'))});
    job.start({source(u"three.txt"_s, "3")});
    job.cancel();
    const auto stopped = finishedBatches(job, spy, 2);
    ASSERT_EQ(stopped.size(), 2);
    EXPECT_TRUE(stopped[0].second.cancelled && stopped[1].second.cancelled);
    EXPECT_TRUE(stopped[0].second.added.isEmpty() && stopped[0].second.errors.isEmpty());
    EXPECT_EQ(store.count(), 0);
    EXPECT_EQ(itemDirectoryCount(), 0);
    EXPECT_EQ(QDir(root()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());

    spy.clear();
    job.start({source(u"four.txt"_s, "4"), QUrl::fromLocalFile(m_dir.filePath(u"gone"_s))});
    const auto later = finishedBatches(job, spy, 1);
    ASSERT_EQ(later.size(), 1);
    EXPECT_FALSE(later[0].second.cancelled);
    EXPECT_EQ(later[0].second.added.size(), 1);
    EXPECT_EQ(later[0].second.errors.size(), 1);
}
