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

} // namespace

BENCHMARK(BM_HashLargeFile)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3)
    ->ComputeStatistics("min", minimum);

BENCHMARK_MAIN();
