#include "BenchData.h"

#include "Store/StashStore.h"

#include <QUrl>

#include <map>

using namespace holdra;
using namespace holdra::bench;

namespace {

// A support directory with a stash of a given size, and a copy of its pristine
// metadata so that every repetition starts from the same list.
class StashDirectory
{
public:
    StashDirectory(int count, bool withHashes)
    {
        writeStash(m_dir.path(), count, withHashes);
        m_pristine = readAll(metadataPath());
    }

    QString path() const { return m_dir.path(); }

    std::unique_ptr<StashStore> open() const { return openStash(m_dir.path()); }

    // Puts the original list back and empties the trash; copies made since stay
    // until the directory goes, which changes nothing that is measured.
    void reset() const
    {
        writeAll(metadataPath(), m_pristine);
        QFile::remove(QDir(m_dir.path()).filePath(QStringLiteral("trash.json")));
    }

    QString scratchFile(const QString &name, const QByteArray &bytes) const
    {
        const QString path = QDir(m_dir.path()).filePath(QStringLiteral("incoming/") + name);
        QDir().mkpath(QFileInfo(path).path());
        writeAll(path, bytes);
        return path;
    }

private:
    QString metadataPath() const { return QDir(m_dir.path()).filePath(QStringLiteral("metadata.json")); }

    static QByteArray readAll(const QString &path)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            qFatal("cannot read %s", qPrintable(path));
        return file.readAll();
    }

    static void writeAll(const QString &path, const QByteArray &bytes)
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
    }

    QTemporaryDir m_dir;
    QByteArray m_pristine;
};

// Building a stash takes longer than most operations measured on it, so each
// size is built once per run and reset between repetitions.
const StashDirectory &sharedStash(int count, bool withHashes)
{
    static std::map<std::pair<int, bool>, std::unique_ptr<StashDirectory>> stashes;
    auto &stash = stashes[{count, withHashes}];
    if (!stash)
        stash = std::make_unique<StashDirectory>(count, withHashes);
    stash->reset();
    return *stash;
}

QSet<QUuid> firstIds(const StashStore &store, int count)
{
    QSet<QUuid> ids;
    for (const StashItem &item : store.items()) {
        if (ids.size() == count)
            break;
        ids.insert(item.id());
    }
    return ids;
}

// Opening includes taking the lock and every repair of loading.
void BM_LoadWithHashes(benchmark::State &state)
{
    const StashDirectory &stash = sharedStash(int(state.range(0)), true);
    for (auto _ : state)
        benchmark::DoNotOptimize(stash.open());
}

void BM_LoadFillingInHashes(benchmark::State &state)
{
    const StashDirectory &stash = sharedStash(int(state.range(0)), false);
    for (auto _ : state) {
        state.PauseTiming();
        stash.reset();
        state.ResumeTiming();
        benchmark::DoNotOptimize(stash.open());
    }
}

void BM_AddHundredMegabyteFiles(benchmark::State &state)
{
    const StashDirectory &stash = sharedStash(int(state.range(0)), true);
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        stash.reset();
        std::unique_ptr<StashStore> store = stash.open();
        QList<QUrl> urls;
        for (int i = 0; i < 100; ++i) {
            QByteArray bytes(1024 * 1024, char('a' + i % 26));
            bytes.prepend(QByteArray::number(round) + '/' + QByteArray::number(i));
            urls.append(QUrl::fromLocalFile(stash.scratchFile(QStringLiteral("r%1-%2.bin").arg(round).arg(i), bytes)));
        }
        ++round;
        state.ResumeTiming();
        benchmark::DoNotOptimize(store->addFiles(urls));
    }
}

// One small file added at a time, as a drop of a single file does.
void BM_AddOneFile(benchmark::State &state)
{
    const StashDirectory &stash = sharedStash(int(state.range(0)), true);
    std::unique_ptr<StashStore> store = stash.open();
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const QUrl url = QUrl::fromLocalFile(
            stash.scratchFile(QStringLiteral("single-%1.txt").arg(round), "single " + QByteArray::number(round)));
        ++round;
        state.ResumeTiming();
        benchmark::DoNotOptimize(store->addFiles({url}));
    }
}

// Removes a tenth of the stash: linear work gives a ratio of 10 between the two
// sizes, quadratic work 100.
void BM_RemoveTenth(benchmark::State &state)
{
    const StashDirectory &stash = sharedStash(int(state.range(0)), true);
    for (auto _ : state) {
        state.PauseTiming();
        stash.reset();
        std::unique_ptr<StashStore> store = stash.open();
        const QSet<QUuid> ids = firstIds(*store, int(state.range(0) / 10));
        state.ResumeTiming();
        benchmark::DoNotOptimize(store->remove(ids));
    }
}

void BM_RestoreTenth(benchmark::State &state)
{
    const StashDirectory &stash = sharedStash(int(state.range(0)), true);
    for (auto _ : state) {
        state.PauseTiming();
        stash.reset();
        std::unique_ptr<StashStore> store = stash.open();
        const QSet<QUuid> ids = firstIds(*store, int(state.range(0) / 10));
        store->remove(ids);
        state.ResumeTiming();
        benchmark::DoNotOptimize(store->restoreFromTrash(ids));
    }
}

} // namespace

[[maybe_unused]] const bool registered = [] {
    timed("BM_LoadWithHashes", BM_LoadWithHashes, {1000, 10000}, 5);
    timed("BM_LoadFillingInHashes", BM_LoadFillingInHashes, {1000}, 3);
    timed("BM_AddHundredMegabyteFiles", BM_AddHundredMegabyteFiles, {10000}, 1);
    timed("BM_AddOneFile", BM_AddOneFile, {1000, 10000}, 20);
    timed("BM_RemoveTenth", BM_RemoveTenth, {1000, 10000}, 3);
    timed("BM_RestoreTenth", BM_RestoreTenth, {1000, 10000}, 3);
    return true;
}();

BENCHMARK_MAIN();
