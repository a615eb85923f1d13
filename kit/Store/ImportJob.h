#pragma once

#include "Models/StashItem.h"
#include "Storage/FileStorageError.h"

#include <QList>
#include <QObject>
#include <QSet>
#include <QThreadPool>
#include <QTimer>
#include <QUrl>
#include <QUuid>

#include <atomic>
#include <functional>
#include <memory>
#include <variant>

namespace holdra {

class StashStore;

// Copies and hashes files into the stash on a worker thread, so that a big file
// never stops the window from drawing, and commits each batch to the store on the
// main thread in the order the batches were started, with one insert() each as if
// it had been added at once. Progress is the bytes copied of all that is queued.
class ImportJob : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool busy READ isBusy NOTIFY busyChanged)
    Q_PROPERTY(qint64 bytesDone READ bytesDone NOTIFY progressChanged)
    Q_PROPERTY(qint64 bytesTotal READ bytesTotal NOTIFY progressChanged)
    Q_PROPERTY(double progress READ progress NOTIFY progressChanged)

public:
    // An entry of a batch: an item ready to insert (a text, a link, data already
    // stored) or a local file or folder still to copy.
    using Entry = std::variant<StashItem, QUrl>;

    struct Result
    {
        // Items of the batch that the store kept, in batch order.
        QList<StashItem> added;
        // Stored items the batch repeated (dragged back in, or the same bytes), each once.
        QList<StashItem> duplicates;
        QList<FileStorageError> errors;
        // Stopped by cancel(): nothing of the batch was kept.
        bool cancelled = false;
    };

    explicit ImportJob(StashStore &store, QObject *parent = nullptr);
    // Stops what is running and waits for the worker, deleting its copies.
    ~ImportJob() override;

    using Done = std::function<void(const Result &result)>;
    // Queues a batch; finished() reports it with the returned number, and `done`
    // (when given) is called with the same result just before.
    int start(const QList<Entry> &entries, Done done = {});
    // Stops every batch queued so far; their copies, finished or half made, are deleted.
    Q_INVOKABLE void cancel();

    bool isBusy() const { return m_running > 0; }
    qint64 bytesDone() const { return m_bytesDone; }
    qint64 bytesTotal() const { return m_bytesTotal; }
    // 0..1 of the bytes queued so far.
    double progress() const;

Q_SIGNALS:
    void busyChanged();
    void progressChanged();
    void finished(int batch, const holdra::ImportJob::Result &result);

private:
    struct Batch;
    struct Copied;
    static void copyAll(Batch &batch);
    void commit(const std::shared_ptr<Batch> &batch);
    QList<StashItem> candidatesOf(const Batch &batch, QList<StashItem> &repeated, Result &result);
    void sampleProgress();
    QSet<QUuid> activeIds() const;
    // Copies on the main thread: only when the item a file repeated was removed while it was read.
    QList<StashItem> copyNow(const QUrl &url, Result &result);

    StashStore &m_store;
    QString m_rootDirectory;
    // One thread: batches are copied, and so committed, in the order they came.
    QThreadPool m_pool;
    QTimer m_progressTimer;
    QList<std::shared_ptr<Batch>> m_batches;
    int m_nextBatch = 1;
    int m_running = 0;
    qint64 m_bytesDone = 0;
    qint64 m_bytesTotal = 0;
};

} // namespace holdra
