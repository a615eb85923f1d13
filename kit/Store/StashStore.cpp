#include "Store/StashStore.h"

#include "Storage/AtomicFile.h"
#include "Storage/ContentHasher.h"
#include "Storage/DiskFileStorage.h"
#include "Storage/JSONMetadataStore.h"
#include "Storage/JSONTrashMetadataStore.h"
#include "Storage/RegularFile.h"
#include "Storage/SupportDirectory.h"
#include "Storage/WriterLock.h"
#include "Store/DuplicateProbe.h"
#include "Store/TextCopyMemo.h"
#include "Store/TextFileContent.h"
#include "Support/AppPaths.h"
#include "Support/ByteCount.h"
#include "Support/KitLogging.h"
#include "Support/PrivateDirectory.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace holdra {

namespace {

QDateTime currentTime()
{
    return QDateTime::currentDateTimeUtc();
}

// The first component of a stored path: the item directory that remove() deletes.
QString itemDirectoryOf(const QString &relativePath)
{
    return QDir::cleanPath(relativePath).section(u'/', 0, 0);
}

bool isTxtFileItem(const StashItem &item)
{
    return item.kind() == StashItemKind::file && item.originalFileName()
        && QFileInfo(*item.originalFileName()).suffix().compare(u"txt", Qt::CaseInsensitive) == 0
        && !QFileInfo(*item.originalFileName()).completeBaseName().isEmpty();
}

// A file that fails to load is moved aside so that the next save cannot destroy
// it. When even that fails, `refusal` is set: the store then refuses every change
// of that list rather than overwrite the only copy. A reader leaves it alone.
template<typename Store>
auto loadOrSetAside(Store &store, std::optional<FileStorageError> &refusal, const char *what, bool reading)
{
    try {
        return store.load();
    } catch (const FileStorageError &error) {
        if (reading) {
            qCWarning(lcStore).noquote() << what << "cannot be read:" << error.errorDescription();
            return decltype(store.load())();
        }
        try {
            const QString kept = store.setAsideUnreadableFile();
            qCWarning(lcStore).noquote() << "unreadable" << what << "moved aside to" << kept << "-"
                                         << error.errorDescription();
        } catch (const FileStorageError &moveError) {
            // Short, for a toast; the log line says what went wrong.
            refusal = FileStorageError::systemError(
                QStringLiteral("%1 已损坏且无法移开，更改未保存。").arg(QString::fromLatin1(what)));
            qCWarning(lcStore).noquote() << "unreadable" << what << "(" << error.errorDescription()
                                         << ") cannot be moved aside (" << moveError.errorDescription()
                                         << "); no change will be saved over it";
        }
        return decltype(store.load())();
    }
}

} // namespace

StashStore::StashStore(std::unique_ptr<StashMetadataStoring> metadataStore,
                       std::unique_ptr<TrashMetadataStoring> trashMetadataStore,
                       std::unique_ptr<StashFileStoring> fileStorage, int trashRetentionDays, Clock now,
                       QObject *parent)
    : QObject(parent)
    , m_metadataStore(std::move(metadataStore))
    , m_trashMetadataStore(std::move(trashMetadataStore))
    , m_fileStorage(std::move(fileStorage))
    , m_retentionSeconds(qint64(std::max(trashRetentionDays, 1)) * 24 * 60 * 60)
    , m_now(now ? std::move(now) : Clock(currentTime))
{
}

StashStore::~StashStore() = default;

StashStore::Opening StashStore::makeDefault()
{
    return open(AppPaths::supportDirectory());
}

StashStore::Opening StashStore::open(const QString &supportDirectory, int trashRetentionDays, Clock now,
                                     std::chrono::milliseconds patience)
{
    const QDir directory(supportDirectory);
    if (const QString error = SupportDirectory::makePrivate(directory.path()); !error.isEmpty())
        return {nullptr, error};

    auto lock = std::make_unique<WriterLock>(directory.filePath(QStringLiteral(".lock")));
    if (!lock->acquire(patience))
        return {nullptr, lock->errorMessage()};

    // Only the lock holder may clear what a killed writer left half made.
    auto storage = std::make_unique<DiskFileStorage>(directory.filePath(QStringLiteral("Files")));
    storage->removeUnfinishedImports(PrivateDirectory::cacheFile(QStringLiteral("files-"), directory.path()));
    auto metadata = std::make_unique<JSONMetadataStore>(directory.filePath(QStringLiteral("metadata.json")),
                                                        MetadataSnapshot::defaultPath(directory.path()));
    auto trash = std::make_unique<JSONTrashMetadataStore>(directory.filePath(QStringLiteral("trash.json")));
    AtomicFile::removeLeftovers(directory.path());
    SupportDirectory::makeFilePrivate(metadata->filePath());
    SupportDirectory::makeFilePrivate(trash->filePath());

    auto store = std::make_unique<StashStore>(std::move(metadata), std::move(trash), std::move(storage),
                                              trashRetentionDays, std::move(now));
    store->m_lock = std::move(lock);
    store->m_textMemoPath = TextCopyMemo::defaultPath(directory.path());
    store->load();
    return {std::move(store), QString()};
}

StashStore::Opening StashStore::openForReading(const QString &supportDirectory)
{
    const QDir directory(supportDirectory);
    auto store = std::make_unique<StashStore>(
        std::make_unique<JSONMetadataStore>(directory.filePath(QStringLiteral("metadata.json")),
                                            MetadataSnapshot::defaultPath(directory.path())),
        std::make_unique<JSONTrashMetadataStore>(directory.filePath(QStringLiteral("trash.json"))),
        std::make_unique<DiskFileStorage>(directory.filePath(QStringLiteral("Files"))));
    const FileStorageError refusal = FileStorageError::systemError(QStringLiteral("暂存以只读方式打开，不能更改。"));
    store->m_itemsRefusal = store->m_trashRefusal = refusal;
    store->m_reading = true;
    store->load();
    return {std::move(store), QString()};
}

void StashStore::load()
{
    setItems(loadOrSetAside(*m_metadataStore, m_itemsRefusal, "metadata.json", m_reading));

    QList<TrashedItem> trash = loadOrSetAside(*m_trashMetadataStore, m_trashRefusal, "trash.json", m_reading);
    std::stable_sort(trash.begin(), trash.end(),
                     [](const TrashedItem &a, const TrashedItem &b) { return a.trashedAt > b.trashedAt; });
    setTrashItems(std::move(trash));

    QSet<QUuid> activeIds;
    for (qsizetype i = 0; i < m_items.size() && !m_trashItems.isEmpty(); ++i)
        activeIds.insert(std::as_const(m_items)[i].id());
    QList<TrashedItem> distinct;
    for (const TrashedItem &entry : std::as_const(m_trashItems)) {
        if (!activeIds.contains(entry.id()))
            distinct.append(entry);
    }
    // A reader shows what the next writer will make of the files, and changes nothing.
    if (m_reading) {
        setTrashItems(std::move(distinct));
        pinLockedItemsToTop();
        return;
    }
    if (distinct.size() != m_trashItems.size()) {
        const Snapshot before = snapshot();
        setTrashItems(std::move(distinct));
        commit(before, Saves::trash);
    }

    purgeExpiredTrash();
    const Snapshot before = snapshot();
    if (pinLockedItemsToTop())
        commit(before, Saves::items);
    backfillContentHashes();
    reconcileLegacyTextDropsMatchingTXTFiles();
}

std::optional<QString> StashStore::absolutePath(const StashItem &item) const
{
    if (!item.relativePath())
        return std::nullopt;
    return m_fileStorage->absolutePath(*item.relativePath());
}

// The item a candidate repeats, by the hash of its stored copy, whose fresh copy
// then goes again; none for a new one, which the index then knows.
std::optional<StashItem> StashStore::repeatedItem(StashItem &candidate, InsertIndex &index,
                                                  const QList<StashItem> &accepted)
{
    if (!StashItemKinds::hasStoredCopy(candidate.kind()) || !candidate.relativePath())
        return std::nullopt;
    const QString staged = m_stagedHashes.take(*candidate.relativePath());
    candidate.setContentHash(staged.isEmpty() ? hashOfStoredCopy(candidate) : staged);
    const std::optional<QString> hash = candidate.contentHash();
    if (!hash)
        return std::nullopt;
    // Walked from the bottom so that the topmost item with a hash wins.
    for (qsizetype i = std::exchange(index.built, true) ? -1 : m_items.size() - 1; i >= 0; --i) {
        if (const std::optional<QString> &itemHash = std::as_const(m_items)[i].contentHash())
            index.stashed.insert(*itemHash, i);
    }
    std::optional<StashItem> repeated;
    if (const auto known = index.stashed.constFind(*hash); known != index.stashed.cend())
        repeated = m_items[*known];
    else if (const auto earlier = index.accepted.constFind(*hash); earlier != index.accepted.cend())
        repeated = accepted[*earlier];
    else
        index.accepted.insert(*hash, accepted.size());
    if (!repeated)
        return std::nullopt;
    if (!index.referenced)
        index.referenced = referencedItemDirectories();
    // A copy that something else still refers to is no fresh copy to delete.
    if (!index.referenced->contains(itemDirectoryOf(*candidate.relativePath()))) {
        try {
            m_fileStorage->remove(*candidate.relativePath());
        } catch (const FileStorageError &) {
        }
    }
    return repeated;
}

QList<StashItem> StashStore::insert(QList<StashItem> candidates)
{
    if (candidates.isEmpty())
        return {};
    InsertIndex index;
    QList<StashItem> accepted;
    QList<StashItem> duplicates;
    bool hasTxtFile = false;
    for (StashItem &candidate : candidates) {
        hasTxtFile = hasTxtFile || isTxtFileItem(candidate);
        if (std::optional<StashItem> repeated = repeatedItem(candidate, index, accepted))
            duplicates.append(std::move(*repeated));
        else
            accepted.append(std::move(candidate));
    }

    // Nothing new: the lists and their file stay as they are.
    if (accepted.isEmpty())
        return duplicates;
    const Snapshot before = snapshot();
    QList<StashItem> items;
    items.reserve(accepted.size() + m_items.size());
    items.append(accepted);
    items.append(m_items);
    setItems(std::move(items));
    pinLockedItemsToTop();
    if (!commit(before, Saves::items)) {
        // Not written is not stashed: the fresh copies go again.
        discardUnreferencedCopies(accepted, "an unsaved");
        return duplicates;
    }
    if (hasTxtFile)
        reconcileLegacyTextDropsMatchingTXTFiles();
    return duplicates;
}

StashItem StashStore::addText(const QString &text)
{
    const StashItem item = StashItem::makeText(text, currentTime());
    insert({item});
    return item;
}

StashItem StashStore::addLink(const QString &urlString, const std::optional<QString> &title)
{
    const StashItem item = StashItem::makeLink(urlString, title, currentTime());
    insert({item});
    return item;
}

StashStore::AddFilesResult StashStore::addFiles(const QList<QUrl> &urls)
{
    AddFilesResult result;
    QList<StashItem> managed;
    QList<StashItem> candidates;
    // A file with the bytes of a stored item is only read, never copied.
    const DuplicateProbe probe(m_items);
    for (const QUrl &url : urls) {
        std::optional<StashItem> existing = existingItemForManagedUrl(url);
        if (existing || (existing = probe.repeatedItem(url))) {
            managed.append(*existing);
            continue;
        }
        try {
            candidates.append(makeItemForFile(url));
        } catch (const FileStorageError &error) {
            result.errors.append(error);
        }
    }

    managed.append(insert(candidates));
    result.duplicates = uniqueItems(managed);

    QHash<QUuid, qsizetype> positions;
    for (qsizetype i = 0; i < m_items.size(); ++i)
        positions.insert(m_items[i].id(), i);
    for (const StashItem &candidate : std::as_const(candidates)) {
        const auto found = positions.constFind(candidate.id());
        if (found != positions.cend())
            result.added.append(m_items[*found]);
    }
    return result;
}

StashStore::ImageDataResult StashStore::addImageData(const QByteArray &data, const QString &suggestedName,
                                                     const QString &fileExtension)
{
    const StashItem item = stageImageData(data, suggestedName, fileExtension);
    ImageDataResult result;
    m_lastRefusal.reset();
    result.duplicates = insert({item});
    if (m_lastRefusal)
        throw *m_lastRefusal;
    if (result.duplicates.isEmpty())
        result.item = activeItem(item.id());
    return result;
}

StashItem StashStore::addAudio(const QByteArray &data, const QString &suggestedName,
                               std::optional<double> durationSeconds)
{
    const StoredFile stored = m_fileStorage->importData(data, suggestedName, QStringLiteral("m4a"));
    rememberHash(stored);
    const StashItem item = StashItem::makeAudio(stored, durationSeconds, std::nullopt, currentTime());
    m_lastRefusal.reset();
    const QList<StashItem> duplicates = insert({item});
    if (m_lastRefusal)
        throw *m_lastRefusal;
    if (!duplicates.isEmpty())
        return duplicates.first();
    return activeItem(item.id()).value_or(item);
}

StashItem StashStore::stageImageData(const QByteArray &data, const QString &suggestedName, const QString &fileExtension)
{
    const StoredFile stored = m_fileStorage->importData(data, suggestedName, fileExtension);
    rememberHash(stored);
    std::optional<QSizeF> size;
    const std::optional<QString> path = m_fileStorage->absolutePath(stored.relativePath);
    if (path && m_pixelSizeReader)
        size = m_pixelSizeReader(*path);
    return StashItem::makeImage(stored, size, currentTime());
}

StashItem StashStore::stageAudioData(const QByteArray &data, const QString &suggestedName, const QString &fileExtension)
{
    const StoredFile stored = m_fileStorage->importData(data, suggestedName, fileExtension);
    rememberHash(stored);
    return StashItem::makeAudio(stored, std::nullopt, stored.originalName, currentTime());
}

std::optional<StashItem> StashStore::existingItemForManagedUrl(const QUrl &url) const
{
    if (!url.isLocalFile())
        return std::nullopt;
    const auto resolved = [](const QString &path) {
        const QString canonical = QFileInfo(path).canonicalFilePath();
        return canonical.isEmpty() ? QDir::cleanPath(QFileInfo(path).absoluteFilePath()) : canonical;
    };
    const QString path = resolved(url.toLocalFile());
    const QString root = resolved(m_fileStorage->rootDirectory());
    if (!path.startsWith(root + u'/'))
        return std::nullopt;

    // Stored copies are never links themselves, so comparing the path below the
    // root spares resolving every item's copy on disk.
    const QString relative = path.mid(root.size() + 1);
    for (const StashItem &item : m_items) {
        if (item.relativePath() && QDir::cleanPath(*item.relativePath()) == relative)
            return item;
    }
    return std::nullopt;
}

int StashStore::remove(const QSet<QUuid> &ids)
{
    if (ids.isEmpty())
        return 0;
    const QDateTime trashedAt = m_now();
    QList<TrashedItem> trash;
    QList<StashItem> kept;
    for (const StashItem &item : std::as_const(m_items)) {
        if (!item.locked() && ids.contains(item.id()))
            trash.append({item, trashedAt});
        else
            kept.append(item);
    }
    if (trash.isEmpty())
        return 0;

    const int moved = int(trash.size());
    const Snapshot before = snapshot();
    trash.append(m_trashItems);
    setTrashItems(std::move(trash));
    setItems(std::move(kept));
    // Trash first: a crash in between leaves the item in both lists, which loads as active.
    return commit(before, Saves::trashThenItems) ? moved : 0;
}

int StashStore::remove(const StashItem &item)
{
    return remove(QSet<QUuid>{item.id()});
}

void StashStore::removeAll()
{
    QSet<QUuid> unlocked;
    for (const StashItem &item : std::as_const(m_items)) {
        if (!item.locked())
            unlocked.insert(item.id());
    }
    remove(unlocked);
}

int StashStore::purgeExpiredTrash(const std::optional<QDateTime> &referenceDate)
{
    const QDateTime cutoff = referenceDate.value_or(m_now()).addSecs(-m_retentionSeconds);
    QList<TrashedItem> kept;
    QList<StashItem> expired;
    for (const TrashedItem &entry : std::as_const(m_trashItems)) {
        if (entry.trashedAt <= cutoff) {
            expired.append(entry.item);
        } else {
            kept.append(entry);
        }
    }
    if (expired.isEmpty())
        return 0;

    // The list is written before any copy goes, so no list ever names a deleted
    // copy; a crash in between leaves at worst a folder that `check` reports.
    const Snapshot before = snapshot();
    setTrashItems(std::move(kept));
    if (!commit(before, Saves::trash))
        return 0;
    // A damaged or merged file can share a copy between an expired entry and an
    // item still in use; that copy stays.
    discardUnreferencedCopies(expired, "an expired");
    return int(expired.size());
}

TrashRestoreResult StashStore::restoreFromTrash(const QSet<QUuid> &ids)
{
    purgeExpiredTrash();
    TrashRestoreResult result;
    if (ids.isEmpty())
        return result;

    QSet<QString> knownHashes;
    for (const StashItem &item : std::as_const(m_items)) {
        if (item.contentHash())
            knownHashes.insert(*item.contentHash());
    }
    QSet<QUuid> restoredIds;
    for (const TrashedItem &entry : std::as_const(m_trashItems)) {
        if (!ids.contains(entry.id()))
            continue;
        const StashItem &item = entry.item;
        if (item.relativePath()) {
            const std::optional<QString> path = absolutePath(item);
            if (!path || !(QFileInfo::exists(*path) || QFileInfo(*path).isSymLink())) {
                result.missingFiles.append(item);
                continue;
            }
        }
        if (StashItemKinds::hasStoredCopy(item.kind()) && item.contentHash()
            && knownHashes.contains(*item.contentHash())) {
            result.duplicates.append(item);
            continue;
        }
        result.restored.append(item);
        restoredIds.insert(item.id());
        if (item.contentHash())
            knownHashes.insert(*item.contentHash());
    }
    if (result.restored.isEmpty())
        return result;

    QList<TrashedItem> trash;
    for (const TrashedItem &entry : std::as_const(m_trashItems)) {
        if (!restoredIds.contains(entry.id()))
            trash.append(entry);
    }
    const Snapshot before = snapshot();
    QList<StashItem> items = result.restored;
    items.append(m_items);
    setTrashItems(std::move(trash));
    setItems(std::move(items));
    pinLockedItemsToTop();
    // Active list first: a crash in between leaves the item in both lists, which loads as active.
    if (!commit(before, Saves::itemsThenTrash))
        result.restored.clear();
    return result;
}

void StashStore::setLocked(bool locked, const QSet<QUuid> &ids)
{
    if (ids.isEmpty())
        return;
    const Snapshot before = snapshot();
    QList<StashItem> items = m_items;
    for (StashItem &item : items) {
        if (ids.contains(item.id()))
            item.setLocked(locked);
    }
    setItems(std::move(items));
    pinLockedItemsToTop();
    commit(before, Saves::items);
}

bool StashStore::setNote(const std::optional<QString> &note, const QUuid &id)
{
    const auto found =
        std::find_if(m_items.cbegin(), m_items.cend(), [&id](const StashItem &item) { return item.id() == id; });
    if (found == m_items.cend())
        return false;
    const std::optional<QString> normalized = StashItem::normalizedNote(note);
    if (normalized == found->note())
        return true;
    const Snapshot before = snapshot();
    QList<StashItem> items = m_items;
    items[found - m_items.cbegin()].setNote(normalized);
    setItems(std::move(items));
    commit(before, Saves::items);
    return true;
}

qint64 StashStore::activeByteSize() const
{
    qint64 total = 0;
    for (const StashItem &item : m_items)
        total += item.byteSize().value_or(0);
    return total;
}

qint64 StashStore::trashByteSize() const
{
    qint64 total = 0;
    for (const TrashedItem &entry : m_trashItems)
        total += entry.item.byteSize().value_or(0);
    return total;
}

qint64 StashStore::totalByteSize() const
{
    return m_fileStorage->totalByteSize();
}

QString StashStore::activeByteSizeText() const
{
    return formattedByteCount(activeByteSize());
}

QString StashStore::trashByteSizeText() const
{
    return formattedByteCount(trashByteSize());
}

QString StashStore::totalByteSizeText() const
{
    return formattedByteCount(totalByteSize());
}

QList<StashItem> StashStore::uniqueItems(const QList<StashItem> &items)
{
    QList<StashItem> unique;
    QSet<QUuid> seen;
    for (const StashItem &item : items) {
        if (!seen.contains(item.id())) {
            seen.insert(item.id());
            unique.append(item);
        }
    }
    return unique;
}

void StashStore::setItems(QList<StashItem> items)
{
    m_items = std::move(items);
    Q_EMIT itemsChanged();
    Q_EMIT contentsChanged();
}

void StashStore::setTrashItems(QList<TrashedItem> entries)
{
    m_trashItems = std::move(entries);
    Q_EMIT trashItemsChanged();
    Q_EMIT contentsChanged();
}

StashStore::Snapshot StashStore::snapshot() const
{
    return {m_items, m_trashItems};
}

bool StashStore::commit(const Snapshot &before, Saves saves)
{
    const bool itemsFirst = saves == Saves::items || saves == Saves::itemsThenTrash;
    const bool both = saves == Saves::itemsThenTrash || saves == Saves::trashThenItems;
    const auto write = [this](bool items) {
        const std::optional<FileStorageError> &refusal = items ? m_itemsRefusal : m_trashRefusal;
        if (refusal)
            throw *refusal;
        if (items)
            m_metadataStore->save(m_items);
        else
            m_trashMetadataStore->save(m_trashItems);
    };
    bool firstWritten = false;
    try {
        write(itemsFirst);
        firstWritten = true;
        if (both)
            write(!itemsFirst);
        return true;
    } catch (const FileStorageError &error) {
        m_lastRefusal = error;
        if (before.items != m_items)
            setItems(before.items);
        if (before.trash != m_trashItems)
            setTrashItems(before.trash);
        // The half that was written goes back too, so that the files match the lists.
        if (firstWritten) {
            try {
                write(itemsFirst);
            } catch (const FileStorageError &) {
            }
        }
        const bool itemsFailed = firstWritten != itemsFirst;
        const QString where = itemsFailed ? m_metadataStore->location() : m_trashMetadataStore->location();
        qCWarning(lcStore).noquote() << "change not saved to" << where << "-" << error.errorDescription();
        Q_EMIT saveFailed(error.errorDescription());
        return false;
    }
}

void StashStore::discardUnreferencedCopies(const QList<StashItem> &items, const char *which)
{
    const QSet<QString> referenced = referencedItemDirectories();
    for (const StashItem &item : items) {
        const std::optional<QString> &path = item.relativePath();
        if (!path || referenced.contains(itemDirectoryOf(*path)))
            continue;
        try {
            m_fileStorage->remove(*path);
        } catch (const FileStorageError &error) {
            qCWarning(lcStore).noquote() << "cannot delete" << which << "copy:" << error.errorDescription();
        }
    }
}

bool StashStore::pinLockedItemsToTop()
{
    const auto firstUnlocked =
        std::find_if(m_items.cbegin(), m_items.cend(), [](const StashItem &item) { return !item.locked(); });
    const bool lockedBelow =
        std::any_of(firstUnlocked, m_items.cend(), [](const StashItem &item) { return item.locked(); });
    if (!lockedBelow)
        return false;
    QList<StashItem> items = m_items;
    std::stable_partition(items.begin(), items.end(), [](const StashItem &item) { return item.locked(); });
    setItems(std::move(items));
    return true;
}

void StashStore::backfillContentHashes()
{
    // The list is copied only when a hash is filled in: mostly none is.
    QList<StashItem> items;
    for (qsizetype i = 0; i < m_items.size(); ++i) {
        const StashItem &item = std::as_const(m_items)[i];
        if (item.contentHash() || !StashItemKinds::hasStoredCopy(item.kind()) || !item.relativePath())
            continue;
        if (const std::optional<QString> hash = hashOfStoredCopy(item))
            (items.isEmpty() ? items = m_items : items)[i].setContentHash(hash);
    }
    if (items.isEmpty())
        return;
    const Snapshot before = snapshot();
    setItems(std::move(items));
    commit(before, Saves::items);
}

int StashStore::reconcileLegacyTextDropsMatchingTXTFiles()
{
    // Only unlocked text items can be trashed here, and only a copy whose size
    // one of them allows can repeat it: no other copy is read.
    QList<TextFileContent::SizeRange> sizes;
    for (const StashItem &item : std::as_const(m_items)) {
        if (item.kind() == StashItemKind::text && !item.locked() && item.text())
            sizes.append(TextFileContent::possibleFileSizes(*item.text()));
    }
    if (sizes.isEmpty())
        return 0;
    sizes = TextFileContent::merged(std::move(sizes));
    const qint64 largest = sizes.last().most;

    TextCopyMemo memo(m_textMemoPath, m_fileStorage->rootDirectory());
    QSet<QString> fileTexts;
    for (const StashItem &item : std::as_const(m_items)) {
        // Only a copy whose size some text allows is looked into, and one read before is recalled.
        const TextCopyMemo::Copy copy =
            isTxtFileItem(item) && item.relativePath() ? memo.lookBelow(*item.relativePath()) : TextCopyMemo::Copy();
        if (!TextFileContent::contains(sizes, copy.size))
            continue;
        std::optional<std::optional<QString>> text = memo.recalled(*item.relativePath(), copy);
        const std::optional<QString> path = text ? std::nullopt : absolutePath(item);
        // A FIFO in place of the copy is skipped, never waited on.
        if (const std::optional<QByteArray> bytes = path ? RegularFile::readAll(*path, largest) : std::nullopt)
            memo.remember(*item.relativePath(), copy, text.emplace(TextFileContent::normalizedText(*bytes)));
        if (text && *text)
            fileTexts.insert(**text);
    }
    memo.save();
    if (fileTexts.isEmpty())
        return 0;

    QSet<QUuid> repeated;
    for (const StashItem &item : std::as_const(m_items)) {
        if (item.kind() == StashItemKind::text && !item.locked() && item.text()
            && fileTexts.contains(TextFileContent::normalized(*item.text())))
            repeated.insert(item.id());
    }
    return remove(repeated);
}

StashItem StashStore::makeItemForFile(const QUrl &url)
{
    if (!url.isLocalFile())
        throw FileStorageError::sourceUnreadable(url.fileName().isEmpty() ? url.toDisplayString() : url.fileName());
    // A name that is not UTF-8 (from the command line) stays the file it names instead of turning into U+FFFD.
    const StoredFile stored = m_fileStorage->importFile(DuplicateProbe::nativePathOf(url));
    // The URL's form may not say it is a folder (a dropped path has no trailing
    // slash), so the copy itself is asked as well.
    return itemForStoredFile(stored, url.path().endsWith(u'/'));
}

StashItem StashStore::itemForStoredFile(const StoredFile &stored, bool isDirectory)
{
    rememberHash(stored);
    const std::optional<QString> path = m_fileStorage->absolutePath(stored.relativePath);
    isDirectory = isDirectory || (path && QFileInfo(*path).isDir());
    const QDateTime createdAt = currentTime();

    switch (StashItem::inferredKind(stored.originalName, isDirectory)) {
    case StashItemKind::audio:
        return StashItem::makeAudio(stored, std::nullopt, stored.originalName, createdAt);
    case StashItemKind::image:
        return StashItem::makeImage(stored, path && m_pixelSizeReader ? m_pixelSizeReader(*path) : std::nullopt,
                                    createdAt);
    default:
        return StashItem::makeFile(stored, createdAt);
    }
}

void StashStore::rememberHash(const StoredFile &stored)
{
    if (stored.contentHash)
        m_stagedHashes.insert(stored.relativePath, *stored.contentHash);
}

std::optional<QString> StashStore::hashOfStoredCopy(const StashItem &item) const
{
    const std::optional<QString> path = absolutePath(item);
    return path ? ContentHasher::sha256Hex(*path) : std::nullopt;
}

QSet<QString> StashStore::referencedItemDirectories() const
{
    QSet<QString> directories;
    for (const StashItem &item : m_items) {
        if (item.relativePath())
            directories.insert(itemDirectoryOf(*item.relativePath()));
    }
    for (const TrashedItem &entry : m_trashItems) {
        if (entry.item.relativePath())
            directories.insert(itemDirectoryOf(*entry.item.relativePath()));
    }
    return directories;
}

std::optional<StashItem> StashStore::activeItem(const QUuid &id) const
{
    const auto found =
        std::find_if(m_items.cbegin(), m_items.cend(), [&](const StashItem &item) { return item.id() == id; });
    return found == m_items.cend() ? std::nullopt : std::optional<StashItem>(*found);
}

} // namespace holdra
