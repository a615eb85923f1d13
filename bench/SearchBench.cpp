// The panel's search at 10,000 and 100,000 items: what one keystroke in the
// filter field costs before the list can redraw (the query folded, every row's
// kept key searched, the shown rows mapped), beside the same search with no
// kept keys, and the one-off cost of working out every key when the field opens.
#include "BenchData.h"
#include "Models/ItemSearch.h"
#include "Models/StashItem.h"
#include "Panel/StashItemFilterModel.h"
#include "Panel/StashItemListModel.h"
#include "Storage/MetadataCodec.h"
#include "Store/StashStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <map>
#include <memory>

namespace holdra::bench {
namespace {

// `count` items of mixed scripts and lengths, a note on every tenth, written
// straight to the metadata file, and the panel's list model over them.
class SearchStash
{
public:
    explicit SearchStash(int count)
    {
        QList<StashItem> items;
        items.reserve(count);
        const QDateTime base(QDate(2026, 3, 1), QTime(8, 0), Qt::UTC);
        for (int i = 0; i < count; ++i) {
            const QString text = i % 3 == 0
                ? QStringLiteral("会议纪要 第%1号 关于季度预算的讨论和后续安排").arg(i)
                : QStringLiteral("Note number %1: pick up the parcel, call Anna about the Report").arg(i);
            StashItem item = i % 5 == 0 ? StashItem::makeLink(QStringLiteral("https://example.org/page/%1").arg(i),
                                                              std::nullopt, base.addSecs(count - i))
                                        : StashItem::makeText(text, base.addSecs(count - i));
            if (i % 10 == 0)
                item.setNote(QStringLiteral("备注 %1 ＦＵＬＬ width").arg(i));
            items.append(item);
        }
        writeItems(m_dir.path(), items);
        store = openStash(m_dir.path());
        list.setStore(store.get());
        filter.setSourceModel(&list);
    }

    QTemporaryDir m_dir;
    std::unique_ptr<StashStore> store;
    StashItemListModel list;
    StashItemFilterModel filter;
};

// Opening a stash of 100,000 items takes seconds: each size is made once.
SearchStash &stashOf(int count)
{
    static std::map<int, std::unique_ptr<SearchStash>> made;
    std::unique_ptr<SearchStash> &stash = made[count];
    if (!stash)
        stash = std::make_unique<SearchStash>(count);
    return *stash;
}

// The field opens: every row's key is worked out once.
void BM_PrepareKeys(benchmark::State &state)
{
    SearchStash &stash = stashOf(int(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        stash.filter.setSourceModel(nullptr);
        stash.filter.setSourceModel(&stash.list);
        state.ResumeTiming();
        stash.filter.prepareKeys();
    }
}

// One keystroke: from `before` to `after`, and the first rows the list shows.
void keystroke(benchmark::State &state, const QString &before, const QString &after)
{
    SearchStash &stash = stashOf(int(state.range(0)));
    stash.filter.prepareKeys();
    int shown = 0;
    for (auto _ : state) {
        state.PauseTiming();
        stash.filter.setQuery(before);
        stash.filter.rowCount();
        state.ResumeTiming();
        stash.filter.setQuery(after);
        shown = stash.filter.rowCount();
        for (int row = 0; row < std::min(shown, 12); ++row)
            benchmark::DoNotOptimize(stash.filter.index(row, 0).data(StashItemListModel::DisplayNameRole));
    }
    state.counters["shown"] = shown;
}

void BM_KeystrokeLatin(benchmark::State &state)
{
    keystroke(state, QStringLiteral("repo"), QStringLiteral("repor"));
}
void BM_KeystrokeChinese(benchmark::State &state)
{
    keystroke(state, QStringLiteral("纪"), QStringLiteral("纪要"));
}
void BM_KeystrokeFullWidth(benchmark::State &state)
{
    keystroke(state, QStringLiteral("ｆｕｌ"), QStringLiteral("ｆｕｌｌ"));
}
// The last character deleted: every row comes back.
void BM_KeystrokeCleared(benchmark::State &state)
{
    keystroke(state, QStringLiteral("r"), QString());
}

// The same keystroke with no kept keys: each item folded again.
void BM_KeystrokeWithoutKeptKeys(benchmark::State &state)
{
    SearchStash &stash = stashOf(int(state.range(0)));
    const QList<StashItem> &items = stash.store->items();
    for (auto _ : state) {
        const ItemSearch search(QStringLiteral("repor"));
        int shown = 0;
        for (const StashItem &item : items)
            shown += search.matches(item) ? 1 : 0;
        benchmark::DoNotOptimize(shown);
    }
}

#define HOLDRA_SEARCH_BENCH(name)                                                                                      \
    BENCHMARK(name)                                                                                                    \
        ->Arg(10000)                                                                                                   \
        ->Arg(100000)                                                                                                  \
        ->Unit(benchmark::kMillisecond)                                                                                \
        ->Repetitions(5)                                                                                               \
        ->ComputeStatistics("min", minimum)
HOLDRA_SEARCH_BENCH(BM_PrepareKeys);
HOLDRA_SEARCH_BENCH(BM_KeystrokeLatin);
HOLDRA_SEARCH_BENCH(BM_KeystrokeChinese);
HOLDRA_SEARCH_BENCH(BM_KeystrokeFullWidth);
HOLDRA_SEARCH_BENCH(BM_KeystrokeCleared);
HOLDRA_SEARCH_BENCH(BM_KeystrokeWithoutKeptKeys);

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
