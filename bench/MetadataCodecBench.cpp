#include "Storage/MetadataCodec.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

using namespace holdra;

namespace {

// A stash of file items with every field a copied file has, hashes included.
QList<StashItem> sampleItems(int count)
{
    QList<StashItem> items;
    const QDateTime base(QDate(2026, 3, 1), QTime(8, 0), Qt::UTC);
    for (int i = 0; i < count; ++i) {
        const QString name = QStringLiteral("Quarterly report %1.pdf").arg(i);
        StashItem item = StashItem::makeFile(
            {QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper() + u'/' + name, 1000 + i, name},
            base.addSecs(i));
        item.setContentHash(QString::number(i).repeated(64).left(64));
        items.append(item);
    }
    return items;
}

void BM_EncodeItems(benchmark::State &state)
{
    const QList<StashItem> items = sampleItems(static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(MetadataCodec::encodeItems(items));
}

void BM_DecodeItems(benchmark::State &state)
{
    const QByteArray bytes = MetadataCodec::encodeItems(sampleItems(static_cast<int>(state.range(0))));
    state.counters["bytes"] = static_cast<double>(bytes.size());
    for (auto _ : state)
        benchmark::DoNotOptimize(MetadataCodec::decodeItems(bytes));
}

// The machine is shared, so the fastest repetition is the fairest figure.
double minimum(const std::vector<double> &values)
{
    return *std::min_element(values.begin(), values.end());
}

} // namespace

BENCHMARK(BM_EncodeItems)->Arg(10000)->Unit(benchmark::kMillisecond)->Repetitions(5)->ComputeStatistics("min", minimum);
BENCHMARK(BM_DecodeItems)->Arg(10000)->Unit(benchmark::kMillisecond)->Repetitions(5)->ComputeStatistics("min", minimum);

BENCHMARK_MAIN();
