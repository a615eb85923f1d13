#include "Storage/FileStorageError.h"
#include "Storage/MetadataCodec.h"
#include "Store/StashStore.h"
#include "TempDir.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <gtest/gtest.h>

#include <sys/mount.h>
#include <unistd.h>

#include <chrono>
#include <thread>

using namespace holdra;

namespace {

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Where the files on disk say an item is.
enum class Place { active, trash };

struct DiskState
{
    QHash<QUuid, Place> places;
    QString fault;
};

// Reads both metadata files as they were left and checks that they parse and
// that every listed copy exists. An item in both lists (a move cut short) counts
// as active, which is what the next load makes of it.
DiskState readDiskState(const QString &support)
{
    DiskState state;
    const auto check = [&](const QString &name, auto decode) -> decltype(decode(QByteArray())) {
        const QString path = QDir(support).filePath(name);
        if (!QFile::exists(path))
            return {};
        try {
            return decode(readFile(path));
        } catch (const FileStorageError &error) {
            state.fault = name + QStringLiteral(" does not parse: ") + error.errorDescription();
            return {};
        }
    };
    const auto copyExists = [&](const StashItem &item) {
        if (item.relativePath() && !QFile::exists(support + QStringLiteral("/Files/") + *item.relativePath()))
            state.fault = QStringLiteral("the copy of %1 is missing").arg(item.displayName());
    };
    for (const TrashedItem &entry : check(QStringLiteral("trash.json"), MetadataCodec::decodeTrash)) {
        copyExists(entry.item);
        state.places.insert(entry.item.id(), Place::trash);
    }
    for (const StashItem &item : check(QStringLiteral("metadata.json"), MetadataCodec::decodeItems)) {
        copyExists(item);
        state.places.insert(item.id(), Place::active);
    }
    if (!QDir(support).entryList({QStringLiteral("*.unreadable-*")}, QDir::Files).isEmpty())
        state.fault = QStringLiteral("a metadata file was set aside as unreadable");
    return state;
}

// What the child reported before it died: the place of every item it touched last.
QHash<QUuid, Place> reportedPlaces(const QByteArray &output)
{
    QHash<QUuid, Place> places;
    QList<QByteArray> lines = output.split('\n');
    // What follows the last newline is unfinished: a report longer than a pipe's
    // atomic write can be cut anywhere by the kill.
    lines.removeLast();
    for (const QByteArray &line : std::as_const(lines)) {
        const qsizetype space = line.indexOf(' ');
        if (space < 0)
            continue; // "ready"
        const QUuid id = QUuid::fromString(QLatin1StringView(line.mid(space + 1)));
        const QByteArray verb = line.left(space);
        places.insert(id, verb == "trashed" ? Place::trash : Place::active);
    }
    return places;
}

} // namespace

// A child stashes, trashes and restores until it is killed at a random moment.
// Whatever it reported as done must be on disk, in one of the two lists (a later
// move may have finished before its report was written), with its copy; the files must always parse; and the next run picks up from there.
TEST(StashStoreFaultSafetyTest, AKillAtAnyMomentLosesNothingReportedAndLeavesReadableFiles)
{
    const QString child = qEnvironmentVariable("HOLDRA_STASH_STRESS_CHILD");
    ASSERT_FALSE(child.isEmpty()) << "HOLDRA_STASH_STRESS_CHILD names the helper";
    test::TempDir dir;
    const QString support = dir.filePath(QStringLiteral("Holdra"));
    const QString scratch = dir.filePath(QStringLiteral("sources"));

    const quint32 seed = QRandomGenerator::global()->generate();
    SCOPED_TRACE(testing::Message() << "seed " << seed);
    QRandomGenerator random(seed);

    QHash<QUuid, Place> expected;
    int trials = 0;
    int reportedOps = 0;
    QElapsedTimer budget;
    budget.start();
    // At least 200 trials; the kill delays keep them to well under a minute.
    while (trials < 200 || (trials < 400 && budget.elapsed() < 20'000)) {
        ++trials;
        QProcess process;
        process.setProgram(child);
        process.setArguments({support, scratch, QString::number(random.generate())});
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start();
        ASSERT_TRUE(process.waitForStarted(10'000));
        // Most kills land among the operations; some during start-up and loading.
        if (random.bounded(4) != 0) {
            while (!process.canReadLine() && process.waitForReadyRead(10'000)) {
            }
        }
        // The moment of the kill is what is being varied; nothing is waited for.
        std::this_thread::sleep_for(std::chrono::milliseconds(random.bounded(5, 120)));
        process.kill();
        ASSERT_TRUE(process.waitForFinished(10'000));
        ASSERT_EQ(process.exitStatus(), QProcess::CrashExit)
            << "the child stopped by itself: " << process.exitCode();
        const QHash<QUuid, Place> reported = reportedPlaces(process.readAllStandardOutput());
        reportedOps += int(reported.size());
        for (auto it = reported.begin(); it != reported.end(); ++it)
            expected.insert(it.key(), it.value());

        const DiskState disk = readDiskState(support);
        ASSERT_TRUE(disk.fault.isEmpty()) << "trial " << trials << ": " << disk.fault.toStdString();
        for (auto it = expected.begin(); it != expected.end(); ++it)
            ASSERT_TRUE(disk.places.contains(it.key()))
                << "trial " << trials << ": " << it.key().toString().toStdString() << " was lost";
        // From here on, the disk is the truth the next child starts from.
        expected = disk.places;
    }
    EXPECT_GT(reportedOps, trials) << "the kills came before the child did anything";

    // The store opens over what the last kill left (its lock is reclaimed) and
    // lists exactly what the files held.
    StashStore::Opening opening = StashStore::open(support);
    ASSERT_NE(opening.store, nullptr) << opening.errorMessage.toStdString();
    QHash<QUuid, Place> loaded;
    for (const TrashedItem &entry : opening.store->trashItems())
        loaded.insert(entry.item.id(), Place::trash);
    for (const StashItem &item : opening.store->items())
        loaded.insert(item.id(), Place::active);
    EXPECT_EQ(loaded, expected);
}

// A full disk, simulated with a small tmpfs as the support directory (needs root).
TEST(StashStoreFaultSafetyTest, AFullDiskRefusesAddsDamagesNothingAndRecoversOnceSpaceIsFreed)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "mounting a small file system needs root";
    test::TempDir dir;
    const QString support = dir.mkdir(QStringLiteral("Holdra"));
    if (::mount("tmpfs", QFile::encodeName(support).constData(), "tmpfs", 0, "size=2m") != 0)
        GTEST_SKIP() << "cannot mount tmpfs here";
    const auto unmount = qScopeGuard([&] { ::umount2(QFile::encodeName(support).constData(), MNT_DETACH); });

    StashStore::Opening opening = StashStore::open(support);
    ASSERT_NE(opening.store, nullptr) << opening.errorMessage.toStdString();
    StashStore &store = *opening.store;
    const QByteArray keptBytes(300 * 1024, 'k');
    const QUrl kept = QUrl::fromLocalFile(dir.write(QStringLiteral("kept.bin"), keptBytes));
    const StashItem keptItem = store.addFiles({kept}).added.value(0);
    store.addText(QStringLiteral("a note that must survive"));
    ASSERT_EQ(store.count(), 2);
    const QByteArray metadataBefore = readFile(support + QStringLiteral("/metadata.json"));
    const QStringList directoriesBefore = QDir(support + QStringLiteral("/Files")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);

    // Fill what is left, then try to stash more than fits.
    const QString filler = support + QStringLiteral("/filler");
    {
        QFile file(filler);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        const QByteArray block(64 * 1024, 'f');
        while (file.write(block) == block.size() && file.flush()) {
        }
    }
    const QUrl big = QUrl::fromLocalFile(dir.write(QStringLiteral("big.bin"), QByteArray(1024 * 1024, 'b')));
    const QUrl folder = QUrl::fromLocalFile(dir.mkdir(QStringLiteral("folder")));
    dir.write(QStringLiteral("folder/inner.bin"), QByteArray(512 * 1024, 'i'));
    const StashStore::AddFilesResult refused = store.addFiles({big, folder});
    EXPECT_TRUE(refused.added.isEmpty());
    ASSERT_EQ(refused.errors.size(), 2);
    for (const FileStorageError &error : refused.errors)
        EXPECT_EQ(error.errorDescription(), QStringLiteral("磁盘空间不足，无法暂存。"));
    EXPECT_THROW(store.addImageData(QByteArray(700 * 1024, 'p'), QStringLiteral("shot"), QStringLiteral("png")),
                 FileStorageError);
    // A text is small, but its save may not fit either; it must never cost the list.
    store.addText(QStringLiteral("typed while the disk was full"));

    EXPECT_EQ(QDir(support + QStringLiteral("/Files")).entryList(QDir::Dirs | QDir::NoDotAndDotDot),
              directoriesBefore);
    const QByteArray metadataNow = readFile(support + QStringLiteral("/metadata.json"));
    EXPECT_NO_THROW(MetadataCodec::decodeItems(metadataNow));
    EXPECT_GE(MetadataCodec::decodeItems(metadataNow).size(), 2);
    EXPECT_EQ(readFile(*store.absolutePath(keptItem)), keptBytes);
    EXPECT_TRUE(metadataNow == metadataBefore || MetadataCodec::decodeItems(metadataNow).size() == 3);

    ASSERT_TRUE(QFile::remove(filler));
    const StashStore::AddFilesResult again = store.addFiles({big});
    EXPECT_TRUE(again.errors.isEmpty());
    ASSERT_EQ(again.added.size(), 1);
    EXPECT_EQ(MetadataCodec::decodeItems(readFile(support + QStringLiteral("/metadata.json"))).size(), 4);
}
