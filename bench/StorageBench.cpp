#include "BenchData.h"

using namespace holdra;
using namespace holdra::bench;

namespace {

void BM_HashLargeFile(benchmark::State &state)
{
    const QString path = inputPath("HOLDRA_BENCH_LARGE_FILE");
    if (path.isEmpty()) {
        state.SkipWithError("HOLDRA_BENCH_LARGE_FILE is not set (bench/run.sh sets it)");
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(ContentHasher::sha256Hex(path));
    state.SetBytesProcessed(state.iterations() * QFileInfo(path).size());
}

// One import per iteration into a fresh storage root, removed untimed.
void importRepeatedly(benchmark::State &state, const char *variable)
{
    const QString source = inputPath(variable);
    if (source.isEmpty()) {
        state.SkipWithError("the input is not set (bench/run.sh sets it)");
        return;
    }
    QTemporaryDir scratch(QDir(source).absoluteFilePath(QStringLiteral("../holdra-bench-XXXXXX")));
    for (auto _ : state) {
        state.PauseTiming();
        DiskFileStorage storage(scratch.filePath(QStringLiteral("Files")));
        state.ResumeTiming();
        benchmark::DoNotOptimize(storage.importFile(source));
        state.PauseTiming();
        storage.removeAll();
        state.ResumeTiming();
    }
}

void BM_ImportLargeFile(benchmark::State &state)
{
    importRepeatedly(state, "HOLDRA_BENCH_LARGE_FILE");
}

void BM_ImportSmallFilesFolder(benchmark::State &state)
{
    importRepeatedly(state, "HOLDRA_BENCH_SMALL_TREE");
}

} // namespace

BENCHMARK(BM_HashLargeFile)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->ComputeStatistics("min", minimum);
BENCHMARK(BM_ImportLargeFile)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->ComputeStatistics("min", minimum);
BENCHMARK(BM_ImportSmallFilesFolder)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->ComputeStatistics("min", minimum);

BENCHMARK_MAIN();
