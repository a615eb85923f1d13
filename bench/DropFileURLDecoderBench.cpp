#include "Pasteboard/DropFileURLDecoder.h"

#include <benchmark/benchmark.h>

using namespace holdra;

// Copying a large selection in a file manager puts one uri-list entry per file
// on the clipboard; pasting it decodes them all on the main thread.
static void BM_DecodeAllOfALargeURIList(benchmark::State &state)
{
    QByteArray list;
    for (int i = 0; i < state.range(0); ++i)
        list += "file:///home/u/%E7%85%A7%E7%89%87/IMG%20" + QByteArray::number(i) + ".jpg\r\n";
    for (auto _ : state)
        benchmark::DoNotOptimize(DropFileURLDecoder::decodeAll(list));
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.SetBytesProcessed(state.iterations() * list.size());
}
BENCHMARK(BM_DecodeAllOfALargeURIList)->Arg(100)->Arg(10000);

// A large drop of text that is not a URL at all must be refused quickly.
static void BM_DecodeRefusesAHugeLine(benchmark::State &state)
{
    const QByteArray line(state.range(0), 'x');
    for (auto _ : state)
        benchmark::DoNotOptimize(DropFileURLDecoder::decode(line));
    state.SetBytesProcessed(state.iterations() * line.size());
}
BENCHMARK(BM_DecodeRefusesAHugeLine)->Arg(1 << 20);

BENCHMARK_MAIN();
