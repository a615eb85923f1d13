#include "Store/StashStore.h"

#include "Storage/ContentHasher.h"
#include "Storage/DiskFileStorage.h"
#include "Storage/ImageMetadata.h"
#include "Storage/JSONMetadataStore.h"
#include "Storage/JSONTrashMetadataStore.h"
#include "Support/AppPaths.h"
#include "Support/ByteCount.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLockFile>
#include <QSysInfo>
#include <QThread>
#include <QStringDecoder>

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

// BOM-led UTF-16 or else strict UTF-8, with line ends made LF.
std::optional<QString> decodedText(const QByteArray &bytes)
{
    QStringConverter::Encoding encoding = QStringConverter::Utf8;
    if (bytes.startsWith("\xFF\xFE"))
        encoding = QStringConverter::Utf16LE;
    else if (bytes.startsWith("\xFE\xFF"))
        encoding = QStringConverter::Utf16BE;
    QStringDecoder decoder(encoding, QStringConverter::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

QString normalizedLines(QString text)
{
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    // Canonically equivalent texts compare equal.
    return text.normalized(QString::NormalizationForm_C);
}

template<typename Store>
auto loadOrSetAside(Store &store, bool &savesSuspended, const char *what)
{
    try {
        return store.load();
    } catch (const FileStorageError &error) {
        try {
            const QString kept = store.setAsideUnreadableFile();
            qWarning().noquote() << "Holdra: unreadable" << what << "moved aside to" << kept
                                 << "-" << error.errorDescription();
        } catch (const FileStorageError &moveError) {
            savesSuspended = true;
            qWarning().noquote() << "Holdra: unreadable" << what
                                 << "could not be moved aside and will not be overwritten -"
                                 << moveError.errorDescription();
        }
        return decltype(store.load())();
    }
}

QString lockFailureMessage(const QLockFile &lock, const QString &directory)
{
    switch (lock.error()) {
    case QLockFile::LockFailedError: {
        qint64 pid = 0;
        QString host;
        QString application;
        if (lock.getLockInfo(&pid, &host, &application))
            return QStringLiteral("另一个 Holdra 进程（进程号 %1）正在使用数据目录“%2”。")
                .arg(pid)
                .arg(directory);
        return QStringLiteral("另一个 Holdra 进程正在使用数据目录“%1”。").arg(directory);
    }
    case QLockFile::PermissionError:
        return QStringLiteral("没有权限锁定数据目录“%1”。").arg(directory);
    case QLockFile::NoError:
    case QLockFile::UnknownError:
        break;
    }
    return QStringLiteral("无法锁定数据目录“%1”。").arg(directory);
}

// The short name the kernel keeps for a process ("comm"), empty when unknown.
QByteArray processName(const QString &pid)
{
    QFile file(QStringLiteral("/proc/%1/comm").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll().trimmed();
}

QDateTime bootTime()
{
    QFile file(QStringLiteral("/proc/stat"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (line.startsWith("btime "))
            return QDateTime::fromSecsSinceEpoch(line.mid(6).trimmed().toLongLong());
    }
    return {};
}

// QLockFile only deems a lock stale when its process number is free. After a
// crash that number is soon reused, by another program or, across a reboot, by
// anything at all, and the stash would stay locked for good. An owner is gone,
// too, when the lock predates the boot, or when its process runs another program.
bool ownerIsGone(const QString &lockPath, qint64 pid, const QString &host)
{
    if (!host.isEmpty() && host != QSysInfo::machineHostName())
        return false; // a stash on a shared home, used from elsewhere
    const QDateTime booted = bootTime();
    if (booted.isValid() && QFileInfo(lockPath).lastModified() < booted)
        return true;
    if (pid == QCoreApplication::applicationPid())
        return false; // this very process holds it
    const QByteArray owner = processName(QString::number(pid));
    const QByteArray self = processName(QStringLiteral("self"));
    return owner.isEmpty() ? !QFileInfo::exists(QStringLiteral("/proc/%1").arg(pid)) : owner != self;
}

// A process killed while it was taking the lock leaves a lock file that names
// no owner, and QLockFile never deems such a file stale when age does not count.
// A live owner writes its details right after creating the file, so a file that
// still names nobody a moment after it was made belongs to no one.
bool reclaimAbandonedLock(QLockFile &lock, const QString &lockPath)
{
    constexpr qint64 settleMilliseconds = 500;
    qint64 pid = 0;
    QString host;
    QString application;
    if (lock.error() != QLockFile::LockFailedError)
        return false;
    if (lock.getLockInfo(&pid, &host, &application)) {
        if (!ownerIsGone(lockPath, pid, host))
            return false;
    } else {
        const qint64 age = QFileInfo(lockPath).lastModified().msecsTo(QDateTime::currentDateTime());
        if (age >= 0 && age < settleMilliseconds)
            QThread::msleep(ulong(settleMilliseconds - age));
        if (lock.getLockInfo(&pid, &host, &application))
            return false;
    }
    lock.removeStaleLockFile();
    return lock.tryLock(0);
}

} // namespace

StashStore::StashStore(std::unique_ptr<StashMetadataStoring> metadataStore,
                       std::unique_ptr<TrashMetadataStoring> trashMetadataStore,
                       std::unique_ptr<StashFileStoring> fileStorage, int trashRetentionDays,
                       Clock now, QObject *parent)
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

StashStore::Opening StashStore::open(const QString &supportDirectory, int trashRetentionDays,
                                     Clock now)
{
    const QDir directory(supportDirectory);
    if (!QDir().mkpath(directory.path()))
        return {nullptr, QStringLiteral("无法创建数据目录“%1”。").arg(directory.path())};

    auto lock = std::make_unique<QLockFile>(directory.filePath(QStringLiteral(".lock")));
    // Held for the whole run, so age alone never makes it stale; only a dead owner does.
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0) && !reclaimAbandonedLock(*lock, directory.filePath(QStringLiteral(".lock"))))
        return {nullptr, lockFailureMessage(*lock, directory.path())};

    auto store = std::make_unique<StashStore>(
        std::make_unique<JSONMetadataStore>(directory.filePath(QStringLiteral("metadata.json"))),
        std::make_unique<JSONTrashMetadataStore>(directory.filePath(QStringLiteral("trash.json"))),
        std::make_unique<DiskFileStorage>(directory.filePath(QStringLiteral("Files"))),
        trashRetentionDays, std::move(now));
    store->m_lock = std::move(lock);
    store->load();
    return {std::move(store), QString()};
}

void StashStore::load()
{
    setItems(loadOrSetAside(*m_metadataStore, m_itemSavesSuspended, "metadata.json"));

    QList<TrashedItem> trash = loadOrSetAside(*m_trashMetadataStore, m_trashSavesSuspended, "trash.json");
    std::stable_sort(trash.begin(), trash.end(), [](const TrashedItem &a, const TrashedItem &b) {
        return a.trashedAt > b.trashedAt;
    });
    setTrashItems(std::move(trash));

    QSet<QUuid> activeIds;
    for (const StashItem &item : std::as_const(m_items))
        activeIds.insert(item.id());
    QList<TrashedItem> distinct;
    for (const TrashedItem &entry : std::as_const(m_trashItems)) {
        if (!activeIds.contains(entry.id()))
            distinct.append(entry);
    }
    if (distinct.size() != m_trashItems.size()) {
        setTrashItems(std::move(distinct));
        saveTrash();
    }

    purgeExpiredTrash();
    if (pinLockedItemsToTop())
        saveItems();
    backfillContentHashes();
    reconcileLegacyTextDropsMatchingTXTFiles();
}

std::optional<QString> StashStore::absolutePath(const StashItem &item) const
{
    if (!item.relativePath())
        return std::nullopt;
    return m_fileStorage->absolutePath(*item.relativePath());
}

QList<StashItem> StashStore::insert(QList<StashItem> candidates)
{
    if (candidates.isEmpty())
        return {};

    // Walked from the bottom so that the topmost item with a hash wins.
    QHash<QString, qsizetype> knownHashes;
    for (qsizetype i = m_items.size() - 1; i >= 0; --i) {
        if (const std::optional<QString> &hash = m_items[i].contentHash())
            knownHashes.insert(*hash, i);
    }

    QList<StashItem> accepted;
    QHash<QString, qsizetype> acceptedHashes;
    QList<StashItem> duplicates;
    std::optional<QSet<QString>> referenced;
    bool hasTxtFile = false;

    for (StashItem &candidate : candidates) {
        hasTxtFile = hasTxtFile || isTxtFileItem(candidate);
        if (StashItemKinds::hasStoredCopy(candidate.kind()) && candidate.relativePath()) {
            candidate.setContentHash(hashOfStoredCopy(candidate));
            if (const std::optional<QString> hash = candidate.contentHash()) {
                const auto known = knownHashes.constFind(*hash);
                const auto earlier = acceptedHashes.constFind(*hash);
                if (known != knownHashes.cend() || earlier != acceptedHashes.cend()) {
                    // A copy that something else still refers to is no fresh copy to delete.
                    if (!referenced)
                        referenced = referencedItemDirectories();
                    if (!referenced->contains(itemDirectoryOf(*candidate.relativePath()))) {
                        try {
                            m_fileStorage->remove(*candidate.relativePath());
                        } catch (const FileStorageError &) {
                        }
                    }
                    duplicates.append(known != knownHashes.cend() ? m_items[*known]
                                                                   : accepted[*earlier]);
                    continue;
                }
                acceptedHashes.insert(*hash, accepted.size());
            }
        }
        accepted.append(std::move(candidate));
    }

    QList<StashItem> items = std::move(accepted);
    items.append(m_items);
    setItems(std::move(items));
    pinLockedItemsToTop();
    saveItems();
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
    for (const QUrl &url : urls) {
        if (const std::optional<StashItem> existing = existingItemForManagedUrl(url)) {
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

StashStore::ImageDataResult StashStore::addImageData(const QByteArray &data,
                                                     const QString &suggestedName,
                                                     const QString &fileExtension)
{
    const StashItem item = stageImageData(data, suggestedName, fileExtension);
    ImageDataResult result;
    result.duplicates = insert({item});
    if (result.duplicates.isEmpty())
        result.item = activeItem(item.id());
    return result;
}

StashItem StashStore::addAudio(const QByteArray &data, const QString &suggestedName,
                               std::optional<double> durationSeconds)
{
    const StoredFile stored = m_fileStorage->importData(data, suggestedName, QStringLiteral("m4a"));
    const StashItem item = StashItem::makeAudio(stored, durationSeconds, std::nullopt, currentTime());
    const QList<StashItem> duplicates = insert({item});
    if (!duplicates.isEmpty())
        return duplicates.first();
    return activeItem(item.id()).value_or(item);
}

StashItem StashStore::stageFile(const QUrl &url)
{
    return makeItemForFile(url);
}

StashItem StashStore::stageImageData(const QByteArray &data, const QString &suggestedName,
                                     const QString &fileExtension)
{
    const StoredFile stored = m_fileStorage->importData(data, suggestedName, fileExtension);
    std::optional<QSizeF> size;
    if (const std::optional<QString> path = m_fileStorage->absolutePath(stored.relativePath))
        size = ImageMetadata::pixelSize(*path);
    return StashItem::makeImage(stored, size, currentTime());
}

StashItem StashStore::stageAudioData(const QByteArray &data, const QString &suggestedName,
                                     const QString &fileExtension)
{
    const StoredFile stored = m_fileStorage->importData(data, suggestedName, fileExtension);
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
    trash.append(m_trashItems);
    setTrashItems(std::move(trash));
    setItems(std::move(kept));
    saveTrash();
    saveItems();
    return moved;
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
    QList<TrashedItem> expired;
    QSet<QUuid> expiredIds;
    for (const TrashedItem &entry : std::as_const(m_trashItems)) {
        if (entry.trashedAt <= cutoff) {
            expired.append(entry);
            expiredIds.insert(entry.id());
        } else {
            kept.append(entry);
        }
    }
    if (expired.isEmpty())
        return 0;

    // A damaged or merged file can share a copy between an expired entry and an
    // item still in use; that copy stays.
    const QSet<QString> referenced = referencedItemDirectories(expiredIds);
    for (const TrashedItem &entry : std::as_const(expired)) {
        const std::optional<QString> &path = entry.item.relativePath();
        if (!path || referenced.contains(itemDirectoryOf(*path)))
            continue;
        try {
            m_fileStorage->remove(*path);
        } catch (const FileStorageError &) {
        }
    }
    setTrashItems(std::move(kept));
    saveTrash();
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
    QList<StashItem> items = result.restored;
    items.append(m_items);
    setTrashItems(std::move(trash));
    setItems(std::move(items));
    pinLockedItemsToTop();
    saveItems();
    saveTrash();
    return result;
}

void StashStore::setLocked(bool locked, const QSet<QUuid> &ids)
{
    if (ids.isEmpty())
        return;
    QList<StashItem> items = m_items;
    for (StashItem &item : items) {
        if (ids.contains(item.id()))
            item.setLocked(locked);
    }
    setItems(std::move(items));
    pinLockedItemsToTop();
    saveItems();
}

bool StashStore::setNote(const std::optional<QString> &note, const QUuid &id)
{
    const auto found = std::find_if(m_items.cbegin(), m_items.cend(),
                                    [&id](const StashItem &item) { return item.id() == id; });
    if (found == m_items.cend())
        return false;
    const std::optional<QString> normalized = StashItem::normalizedNote(note);
    if (normalized == found->note())
        return true;
    QList<StashItem> items = m_items;
    items[found - m_items.cbegin()].setNote(normalized);
    setItems(std::move(items));
    saveItems();
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

void StashStore::saveItems()
{
    if (m_itemSavesSuspended)
        return;
    try {
        m_metadataStore->save(m_items);
    } catch (const FileStorageError &error) {
        Q_EMIT saveFailed(error.errorDescription());
    }
}

void StashStore::saveTrash()
{
    if (m_trashSavesSuspended)
        return;
    try {
        m_trashMetadataStore->save(m_trashItems);
    } catch (const FileStorageError &error) {
        Q_EMIT saveFailed(error.errorDescription());
    }
}

bool StashStore::pinLockedItemsToTop()
{
    const auto firstUnlocked = std::find_if(m_items.cbegin(), m_items.cend(),
                                            [](const StashItem &item) { return !item.locked(); });
    const bool lockedBelow = std::any_of(firstUnlocked, m_items.cend(),
                                         [](const StashItem &item) { return item.locked(); });
    if (!lockedBelow)
        return false;
    QList<StashItem> items = m_items;
    std::stable_partition(items.begin(), items.end(),
                          [](const StashItem &item) { return item.locked(); });
    setItems(std::move(items));
    return true;
}

void StashStore::backfillContentHashes()
{
    QList<StashItem> items = m_items;
    bool filled = false;
    for (StashItem &item : items) {
        if (item.contentHash() || !StashItemKinds::hasStoredCopy(item.kind()) || !item.relativePath())
            continue;
        if (const std::optional<QString> hash = hashOfStoredCopy(item)) {
            item.setContentHash(hash);
            filled = true;
        }
    }
    if (!filled)
        return;
    setItems(std::move(items));
    saveItems();
}

int StashStore::reconcileLegacyTextDropsMatchingTXTFiles()
{
    // Only unlocked text items can be trashed here; without any, no file need be read.
    qsizetype longestText = -1;
    for (const StashItem &item : std::as_const(m_items)) {
        if (item.kind() == StashItemKind::text && !item.locked() && item.text())
            longestText = std::max(longestText, item.text()->size());
    }
    if (longestText < 0)
        return 0;
    // A file longer than this (UTF-8 at three bytes a unit, each line end doubled by
    // CR LF, plus a BOM) cannot decode to any of the texts.
    const qint64 largestMatch = 6 * qint64(longestText) + 4;

    QSet<QString> fileTexts;
    for (const StashItem &item : std::as_const(m_items)) {
        if (!isTxtFileItem(item) || !item.relativePath())
            continue;
        const std::optional<QString> path = absolutePath(item);
        if (!path)
            continue;
        QFile file(*path);
        if (file.size() > largestMatch || !file.open(QIODevice::ReadOnly))
            continue;
        const QByteArray bytes = file.readAll();
        if (file.error() != QFileDevice::NoError)
            continue;
        if (const std::optional<QString> text = decodedText(bytes))
            fileTexts.insert(normalizedLines(*text));
    }
    if (fileTexts.isEmpty())
        return 0;

    QSet<QUuid> repeated;
    for (const StashItem &item : std::as_const(m_items)) {
        if (item.kind() == StashItemKind::text && !item.locked() && item.text()
            && fileTexts.contains(normalizedLines(*item.text())))
            repeated.insert(item.id());
    }
    return remove(repeated);
}

StashItem StashStore::makeItemForFile(const QUrl &url)
{
    if (!url.isLocalFile())
        throw FileStorageError::sourceUnreadable(url.fileName().isEmpty() ? url.toDisplayString()
                                                                          : url.fileName());
    const StoredFile stored = m_fileStorage->importFile(url.toLocalFile());
    const std::optional<QString> path = m_fileStorage->absolutePath(stored.relativePath);
    // The URL's form may not say it is a folder (a dropped path has no trailing
    // slash), so the copy itself is asked as well.
    const bool isDirectory = url.path().endsWith(u'/') || (path && QFileInfo(*path).isDir());
    const QDateTime createdAt = currentTime();

    switch (StashItem::inferredKind(stored.originalName, isDirectory)) {
    case StashItemKind::audio:
        return StashItem::makeAudio(stored, std::nullopt, stored.originalName, createdAt);
    case StashItemKind::image:
        return StashItem::makeImage(stored, path ? ImageMetadata::pixelSize(*path) : std::nullopt,
                                    createdAt);
    default:
        return StashItem::makeFile(stored, createdAt);
    }
}

std::optional<QString> StashStore::hashOfStoredCopy(const StashItem &item) const
{
    const std::optional<QString> path = absolutePath(item);
    return path ? ContentHasher::sha256Hex(*path) : std::nullopt;
}

QSet<QString> StashStore::referencedItemDirectories(const QSet<QUuid> &ignoredTrashIds) const
{
    QSet<QString> directories;
    for (const StashItem &item : m_items) {
        if (item.relativePath())
            directories.insert(itemDirectoryOf(*item.relativePath()));
    }
    for (const TrashedItem &entry : m_trashItems) {
        if (entry.item.relativePath() && !ignoredTrashIds.contains(entry.id()))
            directories.insert(itemDirectoryOf(*entry.item.relativePath()));
    }
    return directories;
}

std::optional<StashItem> StashStore::activeItem(const QUuid &id) const
{
    for (const StashItem &item : m_items) {
        if (item.id() == id)
            return item;
    }
    return std::nullopt;
}

} // namespace holdra
