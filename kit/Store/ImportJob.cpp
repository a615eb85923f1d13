#include "Store/ImportJob.h"

#include "Storage/DiskFileStorage.h"
#include "Store/DuplicateProbe.h"
#include "Store/StashStore.h"

#include <QFileInfo>
#include <QSet>

namespace holdra {

namespace {

// Often enough for a bar that moves smoothly; rarely enough to cost nothing.
constexpr int progressInterval = 50;

} // namespace

struct ImportJob::Copied
{
    QUrl url;
    std::optional<StoredFile> stored;
    std::optional<FileStorageError> error;
    // The stored item whose bytes the file has: read, not copied.
    std::optional<StashItem> repeated;
};

struct ImportJob::Batch
{
    int number = 0;
    QString rootDirectory;
    QList<Entry> entries;
    QList<StashItem> draggedBack;
    DuplicateProbe probe;
    Done done;
    // Written by the worker, read on the main thread once the batch is handed back.
    QList<Copied> copies;
    std::atomic<bool> cancelled = false;
    std::atomic<qint64> bytesDone = 0;
    std::atomic<qint64> bytesTotal = 0;
};

ImportJob::ImportJob(StashStore &store, QObject *parent)
    : QObject(parent)
    , m_store(store)
    , m_rootDirectory(store.fileStorage().rootDirectory())
{
    m_pool.setMaxThreadCount(1);
    m_progressTimer.setInterval(progressInterval);
    connect(&m_progressTimer, &QTimer::timeout, this, &ImportJob::sampleProgress);
}

ImportJob::~ImportJob()
{
    cancel();
    m_pool.waitForDone();
    // Batches the worker finished but that were never handed back: their copies go.
    for (const std::shared_ptr<Batch> &batch : std::as_const(m_batches)) {
        for (const Copied &copy : std::as_const(batch->copies)) {
            if (copy.stored) {
                try {
                    m_store.fileStorage().remove(copy.stored->relativePath);
                } catch (const FileStorageError &) {
                }
            }
        }
    }
}

int ImportJob::start(const QList<Entry> &entries, Done done)
{
    auto batch = std::make_shared<Batch>();
    batch->number = m_nextBatch++;
    batch->done = std::move(done);
    batch->probe = DuplicateProbe(m_store.items());
    batch->rootDirectory = m_rootDirectory;
    for (const Entry &entry : entries) {
        const QUrl *url = std::get_if<QUrl>(&entry);
        if (const std::optional<StashItem> own = url ? m_store.existingItemForManagedUrl(*url) : std::nullopt)
            batch->draggedBack.append(*own); // dragged back in: nothing to copy
        else
            batch->entries.append(entry);
    }
    m_batches.append(batch);
    m_pool.start([this, batch] {
        copyAll(*batch);
        QMetaObject::invokeMethod(
            this, [this, batch] { commit(batch); }, Qt::QueuedConnection);
    });
    if (m_running++ == 0) {
        m_progressTimer.start();
        Q_EMIT busyChanged();
    }
    return batch->number;
}

void ImportJob::cancel()
{
    for (const std::shared_ptr<Batch> &batch : std::as_const(m_batches))
        batch->cancelled = true;
}

double ImportJob::progress() const
{
    return m_bytesTotal > 0 ? std::min(1.0, double(m_bytesDone) / double(m_bytesTotal)) : 0.0;
}

// Worker thread: touches nothing but the batch and the file system.
void ImportJob::copyAll(Batch &batch)
{
    for (const Entry &entry : std::as_const(batch.entries)) {
        if (const QUrl *url = std::get_if<QUrl>(&entry); url && url->isLocalFile())
            batch.bytesTotal += DiskFileStorage::byteSize(url->toLocalFile());
    }
    DiskFileStorage storage(batch.rootDirectory);
    const TreeCopier::Progress progress = [&batch](qint64 bytes) {
        batch.bytesDone += bytes;
        return !batch.cancelled;
    };
    for (const Entry &entry : std::as_const(batch.entries)) {
        const QUrl *url = std::get_if<QUrl>(&entry);
        if (!url)
            continue;
        Copied copy{*url, std::nullopt, std::nullopt, std::nullopt};
        try {
            if (batch.cancelled)
                throw FileStorageError::cancelled();
            if (!url->isLocalFile())
                throw FileStorageError::sourceUnreadable(url->fileName().isEmpty() ? url->toDisplayString()
                                                                                   : url->fileName());
            copy.repeated = batch.probe.repeatedItem(*url);
            if (!copy.repeated)
                copy.stored = storage.importFile(DuplicateProbe::nativePathOf(*url), progress);
            else
                progress(DiskFileStorage::byteSize(url->toLocalFile()));
        } catch (const FileStorageError &error) {
            copy.error = error;
        }
        batch.copies.append(copy);
    }
}

// The batch's items in their order: those ready, the copies made and, for a repeat
// of an item that went meanwhile, a copy made now; repeats of stashed items go to
// `repeated`, copy errors to the result.
QList<StashItem> ImportJob::candidatesOf(const Batch &batch, QList<StashItem> &repeated, Result &result)
{
    QList<StashItem> candidates;
    const QSet<QUuid> active = activeIds();
    qsizetype next = 0;
    for (const Entry &entry : std::as_const(batch.entries)) {
        if (const StashItem *ready = std::get_if<StashItem>(&entry)) {
            candidates.append(*ready);
            continue;
        }
        const Copied &copy = batch.copies.at(next++);
        if (copy.repeated) {
            if (active.contains(copy.repeated->id()))
                repeated.append(*copy.repeated);
            else if (!result.cancelled)
                candidates.append(copyNow(copy.url, result)); // the item it repeated went meanwhile
        } else if (copy.stored)
            candidates.append(m_store.itemForStoredFile(*copy.stored, copy.url.path().endsWith(u'/')));
        else if (copy.error->kind() != FileStorageError::Kind::cancelled)
            result.errors.append(*copy.error);
    }
    return candidates;
}

void ImportJob::commit(const std::shared_ptr<Batch> &batch)
{
    m_batches.removeOne(batch);
    Result result;
    result.cancelled = batch->cancelled;
    QList<StashItem> repeated;
    const QList<StashItem> candidates = candidatesOf(*batch, repeated, result);
    if (result.cancelled) {
        // Nothing of a stopped batch is kept, not even what was already copied.
        for (const StashItem &item : candidates) {
            if (!item.relativePath())
                continue;
            try {
                m_store.fileStorage().remove(*item.relativePath());
            } catch (const FileStorageError &) {
            }
        }
        result.duplicates = StashStore::uniqueItems(batch->draggedBack);
    } else {
        const QList<StashItem> known = m_store.insert(candidates);
        const QSet<QUuid> kept = activeIds();
        for (const StashItem &candidate : candidates) {
            if (kept.contains(candidate.id()))
                result.added.append(candidate);
        }
        result.duplicates = StashStore::uniqueItems(batch->draggedBack + repeated + known);
    }

    if (--m_running == 0) {
        m_progressTimer.stop();
        m_bytesDone = m_bytesTotal = 0;
        Q_EMIT progressChanged();
        Q_EMIT busyChanged();
    }
    if (batch->done)
        batch->done(result);
    Q_EMIT finished(batch->number, result);
}

QSet<QUuid> ImportJob::activeIds() const
{
    return StashItem::ids(m_store.items());
}

QList<StashItem> ImportJob::copyNow(const QUrl &url, Result &result)
{
    try {
        return {m_store.stageFile(url)};
    } catch (const FileStorageError &error) {
        result.errors.append(error);
        return {};
    }
}

void ImportJob::sampleProgress()
{
    qint64 done = 0;
    qint64 total = 0;
    for (const std::shared_ptr<Batch> &batch : std::as_const(m_batches)) {
        done += batch->bytesDone;
        total += batch->bytesTotal;
    }
    if (done == m_bytesDone && total == m_bytesTotal)
        return;
    m_bytesDone = done;
    m_bytesTotal = total;
    Q_EMIT progressChanged();
}

} // namespace holdra
