// Select-all and a Shift range in the open panel's list at 10,000 and 100,000
// items: the selection change plus the list model's row updates, which is what
// the list waits for before it redraws (the rows it shows read one role each).
#include "BenchData.h"
#include "Models/StashItem.h"
#include "Panel/PanelSelection.h"
#include "Panel/StashItemListModel.h"
#include "Storage/MetadataCodec.h"
#include "Store/StashStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <memory>

namespace holdra::bench {
namespace {

// A stash of `count` text items, written straight to its metadata file.
class TextStash
{
public:
    explicit TextStash(int count)
    {
        QList<StashItem> items;
        items.reserve(count);
        const QDateTime base(QDate(2026, 3, 1), QTime(8, 0), Qt::UTC);
        for (int i = 0; i < count; ++i)
            items.append(StashItem::makeText(QStringLiteral("Note number %1").arg(i), base.addSecs(count - i)));
        writeItems(m_dir.path(), items);
        store = openStash(m_dir.path());
        model.setStore(store.get());
        model.setSelection(&selection);
    }

    QTemporaryDir m_dir;
    std::unique_ptr<StashStore> store;
    PanelSelection selection;
    StashItemListModel model;
};

void BM_SelectAll(benchmark::State &state)
{
    TextStash stash(int(state.range(0)));
    for (auto _ : state) {
        stash.selection.selectAll(stash.store->items());
        state.PauseTiming();
        stash.selection.reset();
        state.ResumeTiming();
    }
}

// From a plain click on the first row to a Shift click on the last.
void BM_ShiftClickRange(benchmark::State &state)
{
    TextStash stash(int(state.range(0)));
    const QList<StashItem> &items = stash.store->items();
    for (auto _ : state) {
        stash.selection.select(items.first().id());
        stash.selection.extendTo(items, items.last().id());
        state.PauseTiming();
        stash.selection.reset();
        state.ResumeTiming();
    }
}

// One arrow key with everything selected: all rows but one change.
void BM_ArrowAfterSelectAll(benchmark::State &state)
{
    TextStash stash(int(state.range(0)));
    const QList<StashItem> &items = stash.store->items();
    for (auto _ : state) {
        state.PauseTiming();
        stash.selection.selectAll(items);
        state.ResumeTiming();
        stash.selection.moveBy(items, 1, false);
    }
}

BENCHMARK(BM_SelectAll)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ComputeStatistics("min", minimum);
BENCHMARK(BM_ShiftClickRange)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ComputeStatistics("min", minimum);
BENCHMARK(BM_ArrowAfterSelectAll)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ComputeStatistics("min", minimum);

} // namespace
} // namespace holdra::bench

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
