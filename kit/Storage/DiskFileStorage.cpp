#include "Storage/DiskFileStorage.h"

#include "Storage/AtomicFile.h"
#include "Storage/ContentDigest.h"
#include "Storage/FileIdentity.h"
#include "Storage/FileStorageError.h"
#include "Storage/RegularFile.h"
#include "Storage/TreeCopier.h"
#include "Storage/TreeRemover.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QUuid>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace holdra {

namespace {

bool existsOrIsLink(const QFileInfo &info)
{
    return info.exists() || info.isSymLink();
}

// The text after the last dot of a name, as path functions define it: a name that
// begins with its only dot has none.
QString pathExtension(const QString &name)
{
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot <= 0 ? QString() : name.mid(dot + 1);
}

QString withoutUnsafeCharacters(const QString &text)
{
    QString result = text;
    for (QChar &c : result) {
        if (c == u'/' || c.category() == QChar::Other_Control)
            c = u'_';
    }
    return result;
}

QString trimmedOfDotsAndSpaces(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    const auto trimmable = [](QChar c) { return c == u'.' || c == u' '; };
    while (begin < end && trimmable(text.at(begin)))
        ++begin;
    while (end > begin && trimmable(text.at(end - 1)))
        --end;
    return text.mid(begin, end - begin);
}

[[noreturn]] void failToCreate(const QString &path, int error)
{
    if (error == ENOSPC || error == EDQUOT)
        throw FileStorageError::outOfSpace();
    throw FileStorageError::systemError(QStringLiteral("无法创建文件夹“%1”：%2").arg(path, qt_error_string(error)));
}

constexpr auto stagingPrefix = ".staging-";

// Deletes `path` (a whole tree for a directory) relative to a descriptor of
// its parent, so that no depth of the tree is too deep to delete.
void removeEntry(const QString &path)
{
    const QFileInfo info(path);
    const int parentFd = ::open(QFile::encodeName(info.path()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const int error = parentFd < 0 ? errno : TreeRemover::remove(parentFd, QFile::encodeName(info.fileName()));
    if (parentFd >= 0)
        ::close(parentFd);
    if (error != 0)
        throw FileStorageError::systemError(QStringLiteral("无法删除“%1”：%2").arg(path, qt_error_string(error)));
}

} // namespace

DiskFileStorage::DiskFileStorage(QString rootDirectory)
    : m_rootDirectory(QDir::cleanPath(std::move(rootDirectory)))
    // Resolved once: every path check compares against it, and a list of
    // thousands of items checks one path per row it shows.
    , m_resolvedRoot(resolvedLocation(m_rootDirectory) + u'/')
{
}

StoredFile DiskFileStorage::importFile(const QByteArray &nativeSourcePath, const TreeCopier::Progress &progress)
{
    QByteArray source = nativeSourcePath;
    while (source.size() > 1 && source.endsWith('/'))
        source.chop(1);
    const QString name = QFile::decodeName(source.mid(source.lastIndexOf('/') + 1));

    // stat() follows a symbolic link: a link stashes what it points to.
    struct stat status
    {
    };
    if (name.isEmpty() || source.contains('\0') || ::stat(source.constData(), &status) != 0
        || (!S_ISREG(status.st_mode) && !S_ISDIR(status.st_mode))
        || ::access(source.constData(), S_ISDIR(status.st_mode) ? R_OK | X_OK : R_OK) != 0)
        throw FileStorageError::sourceUnreadable(name.isEmpty() ? QFile::decodeName(source) : name);

    ensureRoot();
    struct stat root
    {
    };
    if (::stat(QFile::encodeName(m_rootDirectory).constData(), &root) != 0)
        failToCreate(m_rootDirectory, errno);
    // The copy is made under a name that marks it unfinished, so that a crash
    // mid-copy leaves nothing that the next start would take for a stored item.
    const QString item = newItemName();
    const QString staging = makeItemDirectory(QLatin1String(stagingPrefix) + item);
    try {
        const TreeCopier::Copied copied = TreeCopier::copy(source, staging + u'/' + name,
                                                           TreeCopier::DirectoryId{root.st_dev, root.st_ino}, progress);
        makeDurable(staging, name, S_ISDIR(status.st_mode));
        finishItemDirectory(staging, item);
        return {item + u'/' + name, copied.bytes, name, copied.contentHash};
    } catch (...) {
        discardItemDirectory(staging);
        throw;
    }
}

StoredFile DiskFileStorage::importData(const QByteArray &data, const QString &suggestedName,
                                       const QString &fileExtension)
{
    ensureRoot();
    QString name = safeFileName(suggestedName);
    const QString extension = withoutUnsafeCharacters(trimmedOfDotsAndSpaces(fileExtension));
    if (!extension.isEmpty() && extension.compare(pathExtension(name), Qt::CaseInsensitive) != 0)
        name += u'.' + extension;

    const QString item = newItemName();
    const QString staging = makeItemDirectory(QLatin1String(stagingPrefix) + item);
    if (const int error = AtomicFile::replace(staging + u'/' + name, data)) {
        discardItemDirectory(staging);
        throw FileStorageError::fromCopyErrno(error);
    }
    try {
        finishItemDirectory(staging, item);
    } catch (...) {
        discardItemDirectory(staging);
        throw;
    }
    ContentDigest digest;
    digest.update(data.constData(), size_t(data.size()));
    return {item + u'/' + name, data.size(), name, digest.finishHex()};
}

void DiskFileStorage::removeUnfinishedImports(const QString &memoPath) const
{
    const std::optional<FileIdentity> before = FileIdentity::ofDirectory(m_rootDirectory);
    const QByteArray seen =
        before ? QByteArray(reinterpret_cast<const char *>(&*before), sizeof *before) : QByteArray();
    if (!memoPath.isEmpty() && before && RegularFile::readAll(memoPath, sizeof *before) == seen)
        return;
    // readdir and a prefix: QDir would make a file record for each of tens of
    // thousands of item folders.
    DIR *directory = ::opendir(QFile::encodeName(m_rootDirectory).constData());
    if (!directory)
        return;
    QStringList leftovers;
    while (const dirent *entry = ::readdir(directory)) {
        if (std::strncmp(entry->d_name, stagingPrefix, std::strlen(stagingPrefix)) == 0)
            leftovers.append(QFile::decodeName(entry->d_name));
    }
    ::closedir(directory);
    // Nothing left over in a root that no entry can have come to since unnoticed.
    if (!memoPath.isEmpty() && leftovers.isEmpty() && before && before->settled()
        && FileIdentity::ofDirectory(m_rootDirectory) == before)
        AtomicFile::replace(memoPath, seen, AtomicFile::Durability::cached);
    const QDir root(m_rootDirectory);
    for (const QString &name : std::as_const(leftovers)) {
        try {
            removeEntry(root.filePath(name));
        } catch (const FileStorageError &) {
            // Tried again at the next start; nothing refers to it meanwhile.
        }
    }
}

std::optional<QString> DiskFileStorage::absolutePath(const QString &relativePath) const
{
    if (!checkedComponents(relativePath))
        return std::nullopt;
    const QString path = m_rootDirectory + u'/' + relativePath;
    if (!liesBelowRoot(path))
        return std::nullopt;
    return path;
}

void DiskFileStorage::remove(const QString &relativePath)
{
    const std::optional<QStringList> components = checkedComponents(relativePath);
    if (!components)
        throw FileStorageError::unsafePath(relativePath);

    // The whole item directory goes, unless the copy lies directly under the root.
    const QString file = m_rootDirectory + u'/' + relativePath;
    QString target;
    if (components->size() > 1 && existsOrIsLink(QFileInfo(QFileInfo(file).path())))
        target = QFileInfo(file).path();
    else if (existsOrIsLink(QFileInfo(file)))
        target = file;
    else
        return;

    if (!liesBelowRoot(target))
        throw FileStorageError::unsafePath(relativePath);
    removeEntry(target);
}

void DiskFileStorage::removeAll()
{
    const QDir root(m_rootDirectory);
    if (!root.exists())
        return;
    const QStringList entries =
        root.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Unsorted);
    for (const QString &entry : entries)
        removeEntry(root.filePath(entry));
}

qint64 DiskFileStorage::totalByteSize() const
{
    return byteSize(m_rootDirectory);
}

qint64 DiskFileStorage::byteSize(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return 0;
    if (!info.isDir())
        return info.isFile() ? info.size() : 0;

    qint64 total = 0;
    QDirIterator it(path, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo entry = it.nextFileInfo();
        if (entry.isFile() && !entry.isSymLink())
            total += entry.size();
    }
    return total;
}

QString DiskFileStorage::safeFileName(const QString &suggestedName)
{
    const QString name = withoutUnsafeCharacters(suggestedName);
    if (name.isEmpty() || name == u"." || name == u"..")
        return QStringLiteral("未命名");
    return name;
}

void DiskFileStorage::ensureRoot() const
{
    if (QFileInfo(m_rootDirectory).isDir())
        return;
    const QString parent = QFileInfo(m_rootDirectory).path();
    errno = 0;
    if (!QFileInfo(parent).isDir() && !QDir().mkpath(parent))
        failToCreate(parent, errno);
    if (::mkdir(QFile::encodeName(m_rootDirectory).constData(), 0700) != 0 && errno != EEXIST)
        failToCreate(m_rootDirectory, errno);
}

QString DiskFileStorage::newItemName()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
}

QString DiskFileStorage::makeItemDirectory(const QString &name) const
{
    const QString path = m_rootDirectory + u'/' + name;
    if (::mkdir(QFile::encodeName(path).constData(), 0700) != 0)
        failToCreate(path, errno);
    return path;
}

void DiskFileStorage::makeDurable(const QString &stagingPath, const QString &name, bool isDirectory)
{
    // The metadata that will name this copy is synced; the copy must be on disk
    // before it, or a power cut leaves an item of zeros. A folder is synced as a
    // whole, with one call for the file system, instead of file by file.
    const auto sync = [](const QString &path, int flags, int (*call)(int)) {
        const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | flags);
        const int error = fd < 0 || call(fd) != 0 ? errno : 0;
        if (fd >= 0)
            ::close(fd);
        if (error != 0)
            throw FileStorageError::fromCopyErrno(error);
    };
    if (!isDirectory)
        sync(stagingPath + u'/' + name, 0, ::fdatasync);
    sync(stagingPath, O_DIRECTORY, isDirectory ? ::syncfs : ::fsync);
}

void DiskFileStorage::finishItemDirectory(const QString &stagingPath, const QString &item) const
{
    const QString path = m_rootDirectory + u'/' + item;
    if (::rename(QFile::encodeName(stagingPath).constData(), QFile::encodeName(path).constData()) != 0)
        throw FileStorageError::fromCopyErrno(errno);
    // The new name reaches the disk with the root's directory.
    const int rootFd = ::open(QFile::encodeName(m_rootDirectory).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (rootFd >= 0) {
        ::fsync(rootFd);
        ::close(rootFd);
    }
}

void DiskFileStorage::discardItemDirectory(const QString &path) const
{
    try {
        removeEntry(path);
    } catch (const FileStorageError &) {
        // Left with its unfinished name, so the next start clears it.
    }
}

std::optional<QStringList> DiskFileStorage::checkedComponents(const QString &relativePath) const
{
    if (relativePath.isEmpty() || relativePath.startsWith(u'/') || relativePath.contains(QChar()))
        return std::nullopt;
    const QStringList components = relativePath.split(u'/');
    for (const QString &component : components) {
        if (component.isEmpty() || component == u"." || component == u"..")
            return std::nullopt;
    }
    return components;
}

QString DiskFileStorage::resolvedLocation(const QString &path)
{
    const QFileInfo info(path);
    if (info.exists())
        return info.canonicalFilePath();
    const QString parent = info.path();
    if (parent == path)
        return path;
    return resolvedLocation(parent) + u'/' + info.fileName();
}

bool DiskFileStorage::liesBelowRoot(const QString &path) const
{
    return resolvedLocation(path).startsWith(m_resolvedRoot);
}

} // namespace holdra
