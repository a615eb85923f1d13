#pragma once

#include "Models/StashItem.h"
#include "Storage/ContentHasher.h"
#include "Storage/DiskFileStorage.h"
#include "Storage/MetadataCodec.h"
#include "Store/StashStore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QUuid>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <initializer_list>
#include <memory>
#include <vector>

namespace holdra::bench {

// The machine is shared, so the fastest repetition is the fairest figure.
inline double minimum(const std::vector<double> &values)
{
    return *std::min_element(values.begin(), values.end());
}

// Registers `function` at each of `sizes`, in milliseconds, `iterations` to a
// repetition, three repetitions and their minimum.
inline void timed(const char *name, void (*function)(benchmark::State &), std::initializer_list<int64_t> sizes,
                  int iterations)
{
    benchmark::internal::Benchmark *registered = benchmark::RegisterBenchmark(name, function);
    for (const int64_t size : sizes)
        registered->Arg(size);
    registered->Unit(benchmark::kMillisecond)
        ->Iterations(iterations)
        ->Repetitions(3)
        ->ComputeStatistics("min", minimum);
}

// Large inputs are made once by bench/run.sh, which also times the reference
// tools on them, and are handed over by environment variable.
inline QString inputPath(const char *variable)
{
    return qEnvironmentVariable(variable);
}

// Writes `items` straight to the metadata file of `supportDirectory`, so that
// building a large stash is not what gets measured.
inline void writeItems(const QString &supportDirectory, const QList<StashItem> &items)
{
    QFile file(QDir(supportDirectory).filePath(QStringLiteral("metadata.json")));
    if (!file.open(QIODevice::WriteOnly) || file.write(MetadataCodec::encodeItems(items)) < 0)
        qFatal("cannot write the benchmark stash");
}

inline std::unique_ptr<StashStore> openStash(const QString &supportDirectory)
{
    StashStore::Opening opening = StashStore::open(supportDirectory);
    if (!opening.store)
        qFatal("cannot open the benchmark stash: %s", qPrintable(opening.errorMessage));
    return std::move(opening.store);
}

// A support directory holding `count` items, half text and half small stored
// files, written straight to the metadata file so that building it is not what
// gets measured. With `withHashes` false the file items lack their hashes, as
// a stash written by an older version would.
inline void writeStash(const QString &supportDirectory, int count, bool withHashes)
{
    // The copies are written directly: the storage's own writes are durable
    // (synced), which would make building 10,000 of them take minutes.
    const QDir files(QDir(supportDirectory).filePath(QStringLiteral("Files")));
    QList<StashItem> items;
    items.reserve(count);
    const QDateTime base(QDate(2026, 3, 1), QTime(8, 0), Qt::UTC);
    for (int i = 0; i < count; ++i) {
        const QDateTime createdAt = base.addSecs(count - i);
        if (i % 2 == 0) {
            items.append(
                StashItem::makeText(QStringLiteral("Note number %1 about the quarterly plan").arg(i), createdAt));
            continue;
        }
        const QString directory = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
        const QString name = QStringLiteral("file-%1.pdf").arg(i);
        const QByteArray bytes = "stored copy " + QByteArray::number(i);
        QDir().mkpath(files.filePath(directory));
        QFile copy(files.filePath(directory + u'/' + name));
        if (!copy.open(QIODevice::WriteOnly) || copy.write(bytes) != bytes.size())
            qFatal("cannot write the benchmark stash");
        copy.close();
        StashItem item = StashItem::makeFile({directory + u'/' + name, bytes.size(), name}, createdAt);
        if (withHashes)
            item.setContentHash(ContentHasher::sha256Hex(copy.fileName()));
        items.append(item);
    }
    writeItems(supportDirectory, items);
}

} // namespace holdra::bench
