#pragma once

#include "Models/StashItem.h"
#include "Models/TrashedItem.h"
#include "Storage/FileStorageError.h"
#include "Storage/StashFileStoring.h"
#include "Storage/StashMetadataStoring.h"
#include "Storage/TrashMetadataStoring.h"
#include "Store/TrashRestoreResult.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QSizeF>
#include <QUrl>
#include <QUuid>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

namespace holdra {

class WriterLock;

// The single owner of the stash: the ordered active list (locked items first) and
// the trash (newest first), their metadata files and the stored copies. Every
// change is saved at once; a change that cannot be saved is undone (fresh copies
// deleted again) and saveFailed() says why, so nothing is reported as stashed
// that is not on disk. Main thread only.
class StashStore : public QObject
{
    Q_OBJECT
    Q_PROPERTY(int count READ count NOTIFY itemsChanged)
    Q_PROPERTY(int trashCount READ trashCount NOTIFY trashItemsChanged)
    Q_PROPERTY(qint64 activeByteSize READ activeByteSize NOTIFY itemsChanged)
    Q_PROPERTY(qint64 trashByteSize READ trashByteSize NOTIFY trashItemsChanged)
    Q_PROPERTY(qint64 totalByteSize READ totalByteSize NOTIFY contentsChanged)
    Q_PROPERTY(QString activeByteSizeText READ activeByteSizeText NOTIFY itemsChanged)
    Q_PROPERTY(QString trashByteSizeText READ trashByteSizeText NOTIFY trashItemsChanged)
    Q_PROPERTY(QString totalByteSizeText READ totalByteSizeText NOTIFY contentsChanged)

public:
    using Clock = std::function<QDateTime()>;
    static constexpr int defaultTrashRetentionDays = 30;
    // How long a writer waits for another one to finish.
    static constexpr std::chrono::milliseconds writerPatience{10000};

    struct AddFilesResult
    {
        QList<StashItem> added;
        QList<FileStorageError> errors;
        // Items already in the stash that the input repeated.
        QList<StashItem> duplicates;
    };

    struct ImageDataResult
    {
        // The new item, or nothing when it duplicated one.
        std::optional<StashItem> item;
        QList<StashItem> duplicates;
    };

    // A store opened over a support directory, or the reason it could not be.
    struct Opening
    {
        std::unique_ptr<StashStore> store;
        QString errorMessage;
    };

    // Reads nothing; call load(). Retention is at least one day; the clock (the
    // current time when empty) dates trash entries and their expiry.
    StashStore(std::unique_ptr<StashMetadataStoring> metadataStore,
               std::unique_ptr<TrashMetadataStoring> trashMetadataStore, std::unique_ptr<StashFileStoring> fileStorage,
               int trashRetentionDays = defaultTrashRetentionDays, Clock now = {}, QObject *parent = nullptr);
    ~StashStore() override;

    // The application's store over AppPaths::supportDirectory(), loaded.
    static Opening makeDefault();
    // Makes the directory private (0700), takes the writer lock (".lock", waiting
    // at most `patience` for another writer) for the store's lifetime, clears
    // what a killed writer left half made, then loads. While another store keeps
    // the directory, no store is made and the message says why.
    static Opening open(const QString &supportDirectory, int trashRetentionDays = defaultTrashRetentionDays,
                        Clock now = {}, std::chrono::milliseconds patience = writerPatience);
    // A store for looking only: no lock, nothing created, repaired or written
    // (also on a full disk or a read-only directory); every change is refused.
    // Only the snapshot of the list, a cache outside the directory, is refreshed.
    static Opening openForReading(const QString &supportDirectory);

    // Reads an image's pixel size for new image items. The store needs no image
    // decoders itself; whoever adds images gives it a reader (ImageMetadata's).
    using PixelSizeReader = std::function<std::optional<QSizeF>(const QString &filePath)>;
    void setPixelSizeReader(PixelSizeReader reader) { m_pixelSizeReader = std::move(reader); }
    bool readsPixelSizes() const { return bool(m_pixelSizeReader); }

    const QList<StashItem> &items() const { return m_items; }
    const QList<TrashedItem> &trashItems() const { return m_trashItems; }
    StashFileStoring &fileStorage() const { return *m_fileStorage; }
    double trashRetentionInterval() const { return double(m_retentionSeconds); }

    // Reads both lists and repairs them: duplicates of active items leave the
    // trash, expired trash is purged, locked items are pinned, missing hashes are
    // filled in and text items repeating a stashed .txt file go to the trash. An
    // unreadable metadata file is set aside, never overwritten.
    void load();

    // The stored copy of an item, if it has one.
    std::optional<QString> absolutePath(const StashItem &item) const;

    // Hashes, drops duplicates (returning, per rejected candidate, the item it
    // repeats), puts the rest directly below the locked items and saves.
    QList<StashItem> insert(QList<StashItem> candidates);
    StashItem addText(const QString &text);
    StashItem addLink(const QString &urlString, const std::optional<QString> &title);
    // Failures are collected per file, never thrown.
    AddFilesResult addFiles(const QList<QUrl> &urls);
    // These throw FileStorageError and leave the lists untouched when storing fails.
    ImageDataResult addImageData(const QByteArray &data, const QString &suggestedName, const QString &fileExtension);
    // The new recording, or the existing item it duplicates.
    StashItem addAudio(const QByteArray &data, const QString &suggestedName, std::optional<double> durationSeconds);
    // Copies into storage without inserting; commit with insert().
    StashItem stageFile(const QUrl &url) { return makeItemForFile(url); }
    StashItem stageImageData(const QByteArray &data, const QString &suggestedName, const QString &fileExtension);
    StashItem stageAudioData(const QByteArray &data, const QString &suggestedName, const QString &fileExtension);
    // The item for a copy that the file storage made of a file or folder (perhaps on
    // another thread), to commit with insert(); the hash taken while copying is kept.
    StashItem itemForStoredFile(const StoredFile &stored, bool isDirectory);
    // The active item whose stored copy `url` is, for a stashed item dragged back in.
    std::optional<StashItem> existingItemForManagedUrl(const QUrl &url) const;

    // Moves the unlocked items among `ids` to the trash; returns how many moved.
    int remove(const QSet<QUuid> &ids);
    int remove(const StashItem &item);
    // Every unlocked item to the trash.
    void removeAll();
    TrashRestoreResult restoreFromTrash(const QSet<QUuid> &ids);
    // Deletes entries at least one retention interval old (against the clock when
    // no date is given), with their copies; returns how many went.
    int purgeExpiredTrash(const std::optional<QDateTime> &referenceDate = std::nullopt);

    void setLocked(bool locked, const QSet<QUuid> &ids);
    // False when no active item has that id.
    bool setNote(const std::optional<QString> &note, const QUuid &id);

    int count() const { return int(m_items.size()); }
    int trashCount() const { return int(m_trashItems.size()); }
    qint64 activeByteSize() const;
    qint64 trashByteSize() const;
    // Bytes really used under the storage root, trash copies included.
    qint64 totalByteSize() const;
    QString activeByteSizeText() const;
    QString trashByteSizeText() const;
    QString totalByteSizeText() const;

    // The list without items whose id occurred earlier in it.
    static QList<StashItem> uniqueItems(const QList<StashItem> &items);

Q_SIGNALS:
    void itemsChanged();
    void trashItemsChanged();
    // Either list changed, and with it what lies under the storage root.
    void contentsChanged();
    // A change could not be written and was undone; the message says why.
    void saveFailed(const QString &message);

private:
    struct Snapshot
    {
        QList<StashItem> items;
        QList<TrashedItem> trash;
    };
    enum class Saves { items, trash, itemsThenTrash, trashThenItems };

    void setItems(QList<StashItem> items);
    void setTrashItems(QList<TrashedItem> entries);
    Snapshot snapshot() const;
    // Writes the lists changed since `before`; when that fails, both lists (and
    // any file already written) go back to `before`, saveFailed() is emitted
    // and false returned.
    bool commit(const Snapshot &before, Saves saves);
    // Deletes the copies of items that the lists do not (or no longer) name;
    // `which` ("an unsaved", "an expired") tells the log what a failed deletion was.
    void discardUnreferencedCopies(const QList<StashItem> &items, const char *which);

    bool pinLockedItemsToTop();
    void backfillContentHashes();
    int reconcileLegacyTextDropsMatchingTXTFiles();

    StashItem makeItemForFile(const QUrl &url);
    std::optional<QString> hashOfStoredCopy(const StashItem &item) const;
    // Remembers the hash a copy got while it was written, for insert().
    void rememberHash(const StoredFile &stored);
    // Item directories that an active item or a trash entry refers to; their
    // copies must never be deleted.
    QSet<QString> referencedItemDirectories() const;
    // What insert() knows of content hashes while it walks its candidates: the
    // stashed items' (built on first need) and those it accepted so far.
    struct InsertIndex
    {
        QHash<QString, qsizetype> stashed;
        bool built = false;
        QHash<QString, qsizetype> accepted;
        std::optional<QSet<QString>> referenced;
    };
    std::optional<StashItem> repeatedItem(StashItem &candidate, InsertIndex &index, const QList<StashItem> &accepted);
    std::optional<StashItem> activeItem(const QUuid &id) const;

    std::unique_ptr<StashMetadataStoring> m_metadataStore;
    std::unique_ptr<TrashMetadataStoring> m_trashMetadataStore;
    std::unique_ptr<StashFileStoring> m_fileStorage;
    qint64 m_retentionSeconds;
    Clock m_now;
    std::unique_ptr<WriterLock> m_lock;

    QList<StashItem> m_items;
    QList<TrashedItem> m_trashItems;
    // Hashes of fresh copies, by relative path, taken as their bytes were written;
    // insert() uses them instead of reading the copy again.
    QHash<QString, QString> m_stagedHashes;
    // Why a list may not be written: its file failed to load and could not be
    // set aside (so it is kept untouched), or the store is only for reading.
    std::optional<FileStorageError> m_itemsRefusal;
    std::optional<FileStorageError> m_trashRefusal;
    std::optional<FileStorageError> m_lastRefusal;
    bool m_reading = false;
    PixelSizeReader m_pixelSizeReader;
    // Where what the .txt copies hold is remembered between runs; empty: nowhere.
    QString m_textMemoPath;
};

} // namespace holdra
