#include "Storage/DiskFileStorage.h"

#include "Storage/FileStorageError.h"
#include "Storage/TreeCopier.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QUuid>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

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
    throw FileStorageError::systemError(QStringLiteral("无法创建文件夹“%1”：%2")
                                            .arg(path, qt_error_string(error)));
}

// Writes to a temporary name beside the target and renames it into place; errno
// on failure, so that a full disk can be told apart (QSaveFile only says "Unknown error").
int writeAtomically(const QString &path, const QByteArray &bytes)
{
    QByteArray temporary = QFile::encodeName(path + QStringLiteral(".XXXXXX"));
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return errno;
    int error = 0;
    for (qsizetype written = 0; written < bytes.size() && error == 0;) {
        const ssize_t step = ::write(fd, bytes.constData() + written,
                                     static_cast<size_t>(bytes.size() - written));
        if (step >= 0)
            written += step;
        else if (errno != EINTR)
            error = errno;
    }
    if (error == 0 && ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0 && ::rename(temporary.constData(), QFile::encodeName(path).constData()) != 0)
        error = errno;
    if (error != 0)
        ::unlink(temporary.constData());
    return error;
}

void removeEntry(const QString &path)
{
    const QFileInfo info(path);
    const bool removed = info.isDir() && !info.isSymLink() ? QDir(path).removeRecursively()
                                                           : QFile::remove(path);
    if (!removed)
        throw FileStorageError::systemError(QStringLiteral("无法删除“%1”。").arg(path));
}

} // namespace

DiskFileStorage::DiskFileStorage(QString rootDirectory)
    : m_rootDirectory(QDir::cleanPath(std::move(rootDirectory)))
{
}

StoredFile DiskFileStorage::importFile(const QString &sourcePath)
{
    const QString source = QDir::cleanPath(sourcePath);
    const QString name = QFileInfo(source).fileName();
    const QByteArray encoded = QFile::encodeName(source);

    // stat() follows a symbolic link: a link stashes what it points to.
    struct stat status {};
    if (name.isEmpty() || ::stat(encoded.constData(), &status) != 0
        || (!S_ISREG(status.st_mode) && !S_ISDIR(status.st_mode))
        || ::access(encoded.constData(), S_ISDIR(status.st_mode) ? R_OK | X_OK : R_OK) != 0)
        throw FileStorageError::sourceUnreadable(name.isEmpty() ? source : name);

    if (S_ISDIR(status.st_mode)) {
        // Copying a folder that holds the storage would copy into itself without end.
        const QString folder = QFileInfo(source).canonicalFilePath();
        const QString root = resolvedLocation(m_rootDirectory);
        if (root == folder || root.startsWith(folder + u'/'))
            throw FileStorageError::copyFailed(
                QStringLiteral("“%1”包含暂存目录本身，不能复制到其中。").arg(name));
    }

    ensureRoot();
    const QString item = makeItemDirectory();
    const QString itemPath = m_rootDirectory + u'/' + item;
    try {
        const qint64 bytes = TreeCopier::copy(source, itemPath + u'/' + name);
        return {item + u'/' + name, bytes, name};
    } catch (...) {
        QDir(itemPath).removeRecursively();
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

    const QString item = makeItemDirectory();
    const QString itemPath = m_rootDirectory + u'/' + item;
    if (const int error = writeAtomically(itemPath + u'/' + name, data)) {
        QDir(itemPath).removeRecursively();
        throw FileStorageError::fromCopyErrno(error);
    }
    return {item + u'/' + name, data.size(), name};
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
        root.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                       QDir::Unsorted);
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
    errno = 0;
    if (!QDir().mkpath(m_rootDirectory))
        failToCreate(m_rootDirectory, errno);
}

QString DiskFileStorage::makeItemDirectory() const
{
    const QString item = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
    const QString path = m_rootDirectory + u'/' + item;
    if (::mkdir(QFile::encodeName(path).constData(), 0777) != 0)
        failToCreate(path, errno);
    return item;
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
    return resolvedLocation(path).startsWith(resolvedLocation(m_rootDirectory) + u'/');
}

} // namespace holdra
