#include "Storage/FileStorageError.h"
#include "Storage/MetadataCodec.h"
#include "Store/StashStore.h"
#include "TempDir.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <gtest/gtest.h>

#include <sys/mount.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <thread>

using namespace holdra;
using namespace Qt::StringLiterals;
using holdra::test::readFile;

namespace {

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
        try {
            return QFile::exists(support + u'/' + name) ? decode(readFile(support + u'/' + name))
                                                        : decltype(decode({}))();
        } catch (const FileStorageError &error) {
            state.fault = name + u" does not parse: "_s + error.errorDescription();
            return {};
        }
    };
    const auto note = [&](const StashItem &item, Place place) {
        if (item.relativePath() && !QFile::exists(support + u"/Files/"_s + *item.relativePath()))
            state.fault = u"the copy of %1 is missing"_s.arg(item.displayName());
        state.places.insert(item.id(), place);
    };
    for (const TrashedItem &entry : check(u"trash.json"_s, MetadataCodec::decodeTrash))
        note(entry.item, Place::trash);
    for (const StashItem &item : check(u"metadata.json"_s, MetadataCodec::decodeItems))
        note(item, Place::active);
    if (!QDir(support).entryList({u"*.unreadable-*"_s}, QDir::Files).isEmpty())
        state.fault = u"a metadata file was set aside as unreadable"_s;
    return state;
}

// What the child reported before it died: the place of every item it touched
// last, and the items a purge may have taken.
struct Reports
{
    QHash<QUuid, Place> places;
    QSet<QUuid> purging;
};

Reports readReports(const QByteArray &output)
{
    Reports reports;
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
        if (verb == "purging") {
            reports.places.remove(id);
            reports.purging.insert(id);
        } else {
            reports.places.insert(id, verb == "trashed" ? Place::trash : Place::active);
        }
    }
    return reports;
}

} // namespace

// A child makes every kind of change until it is killed at a random moment.
// Whatever it reported as done must be on disk, in one of the two lists (a later
// move may have finished before its report was written), with its copy; the
// files must always parse; and the next run picks up from there, clearing
// what a kill left half made.
TEST(StashStoreFaultSafetyTest, AKillAtAnyMomentLosesNothingReportedAndLeavesReadableFiles)
{
    const QString child = qEnvironmentVariable("HOLDRA_STASH_STRESS_CHILD");
    ASSERT_FALSE(child.isEmpty()) << "HOLDRA_STASH_STRESS_CHILD names the helper";
    test::TempDir dir;
    const QString support = dir.filePath(u"Holdra"_s);
    const QString scratch = dir.filePath(u"sources"_s);

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
            while (!process.canReadLine() && process.waitForReadyRead(10'000)) {}
        }
        // The moment of the kill is what is being varied; nothing is waited for.
        std::this_thread::sleep_for(std::chrono::milliseconds(random.bounded(5, 120)));
        process.kill();
        ASSERT_TRUE(process.waitForFinished(10'000));
        ASSERT_EQ(process.exitStatus(), QProcess::CrashExit) << "the child stopped by itself: " << process.exitCode();
        const Reports reported = readReports(process.readAllStandardOutput());
        reportedOps += int(reported.places.size() + reported.purging.size());
        for (const QUuid &id : reported.purging)
            expected.remove(id);
        for (auto it = reported.places.begin(); it != reported.places.end(); ++it)
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

    // The store opens over what the last kill left (the kernel dropped its lock)
    // and lists exactly what the files held.
    StashStore::Opening opening =
        StashStore::open(support, StashStore::defaultTrashRetentionDays, {}, std::chrono::milliseconds(0));
    ASSERT_NE(opening.store, nullptr) << opening.errorMessage.toStdString();
    QHash<QUuid, Place> loaded;
    for (const TrashedItem &entry : opening.store->trashItems())
        loaded.insert(entry.item.id(), Place::trash);
    for (const StashItem &item : opening.store->items())
        loaded.insert(item.id(), Place::active);
    EXPECT_EQ(loaded, expected);
    EXPECT_TRUE(QDir(support + u"/Files"_s).entryList({u".staging-*"_s}, QDir::AllEntries | QDir::Hidden).isEmpty());
    EXPECT_TRUE(QDir(support).entryList({u".holdra-*"_s}, QDir::Files | QDir::Hidden).isEmpty());
    std::printf("[ figures  ] %d kill trials, %d reported operations\n", trials, reportedOps);
}

// A full disk, simulated with a small tmpfs as the support directory (needs root).
// Whether the copy or only the list fails to fit, nothing is reported as stashed
// that is not, no copy is left behind, and the list on disk stays whole.
TEST(StashStoreFaultSafetyTest, AFullDiskRefusesAddsDamagesNothingAndRecoversOnceSpaceIsFreed)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "mounting a small file system needs root";
    test::TempDir dir;
    const QString support = dir.mkdir(u"Holdra"_s);
    if (::mount("tmpfs", QFile::encodeName(support).constData(), "tmpfs", 0, "size=2m") != 0)
        GTEST_SKIP() << "cannot mount tmpfs here";
    const auto unmount = qScopeGuard([&] { ::umount2(QFile::encodeName(support).constData(), MNT_DETACH); });

    StashStore::Opening opening = StashStore::open(support);
    ASSERT_NE(opening.store, nullptr) << opening.errorMessage.toStdString();
    StashStore &store = *opening.store;
    QStringList refusals;
    QObject::connect(&store, &StashStore::saveFailed, [&](const QString &message) { refusals.append(message); });
    const QByteArray keptBytes(300 * 1024, 'k');
    const StashItem keptItem =
        store.addFiles({QUrl::fromLocalFile(dir.write(u"kept.bin"_s, keptBytes))}).added.value(0);
    store.addText(u"a note that must survive"_s);
    ASSERT_EQ(store.count(), 2);
    const QByteArray metadataBefore = readFile(support + u"/metadata.json"_s);
    const auto directories = [&] {
        return QDir(support + u"/Files"_s).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    };
    const QStringList directoriesBefore = directories();

    // Fill every page that is left.
    const QString filler = support + u"/filler"_s;
    QFile file(filler);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    for (const QByteArray block(4096, 'f'); file.write(block) == block.size();) {}
    const QString outOfSpace = u"磁盘空间不足，无法暂存。"_s;
    const QUrl big = QUrl::fromLocalFile(dir.write(u"big.bin"_s, QByteArray(1024 * 1024, 'b')));
    const QUrl folder = QUrl::fromLocalFile(dir.mkdir(u"folder"_s));
    dir.write(u"folder/inner.bin"_s, QByteArray(512 * 1024, 'i'));
    const StashStore::AddFilesResult refused = store.addFiles({big, folder});
    EXPECT_TRUE(refused.added.isEmpty());
    ASSERT_EQ(refused.errors.size(), 2);
    for (const FileStorageError &error : refused.errors)
        EXPECT_EQ(error.errorDescription(), outOfSpace);
    EXPECT_THROW(store.addImageData(QByteArray(700 * 1024, 'p'), u"shot"_s, u"png"_s), FileStorageError);
    store.addText(u"typed while the disk was full"_s);
    EXPECT_EQ(refusals, QStringList{outOfSpace});

    // One page free: the copy fits, the list written after it does not. The
    // copy goes again and the add is refused.
    ASSERT_TRUE(file.resize(file.size() - 4096));
    const StashStore::AddFilesResult unsaved =
        store.addFiles({QUrl::fromLocalFile(dir.write(u"small.txt"_s, "small"))});
    EXPECT_TRUE(unsaved.added.isEmpty());
    EXPECT_EQ(refusals, (QStringList{outOfSpace, outOfSpace}));

    EXPECT_EQ(store.count(), 2);
    EXPECT_EQ(directories(), directoriesBefore);
    EXPECT_EQ(readFile(support + u"/metadata.json"_s), metadataBefore);
    EXPECT_EQ(readFile(*store.absolutePath(keptItem)), keptBytes);
    EXPECT_TRUE(QDir(support).entryList({u".holdra-*"_s}, QDir::Files | QDir::Hidden).isEmpty());

    file.close();
    ASSERT_TRUE(QFile::remove(filler));
    const StashStore::AddFilesResult again = store.addFiles({big});
    EXPECT_TRUE(again.errors.isEmpty());
    ASSERT_EQ(again.added.size(), 1);
    EXPECT_EQ(MetadataCodec::decodeItems(readFile(support + u"/metadata.json"_s)).size(), 3);
}
