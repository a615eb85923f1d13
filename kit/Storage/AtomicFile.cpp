#include "Storage/AtomicFile.h"

#include "Storage/FileIdentity.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace holdra::AtomicFile {

int replace(const QString &path, const QByteArray &bytes, Durability durability, std::optional<FileIdentity> *written)
{
    const QString directory = QFileInfo(path).path();
    QByteArray temporary = QFile::encodeName(directory + u'/' + QLatin1String(temporaryPrefix)) + "XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return errno;
    int error = 0;
    for (qsizetype done = 0; done < bytes.size() && error == 0;) {
        const ssize_t step = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (step >= 0)
            done += step;
        else if (errno != EINTR)
            error = errno;
    }
    // The size is all of the file's metadata that a reader needs; fdatasync flushes it.
    const bool synced = durability == Durability::synced;
    if (error == 0 && synced && ::fdatasync(fd) != 0)
        error = errno;
    // Taken before the rename: a write into the file after it takes its name
    // must move the modification time away from this one.
    std::optional<FileIdentity> before;
    if (written && error == 0)
        before = FileIdentity::ofDescriptor(fd);
    if (before && !before->settled(true))
        before.reset();
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0 && ::rename(temporary.constData(), QFile::encodeName(path).constData()) != 0)
        error = errno;
    if (error != 0) {
        ::unlink(temporary.constData());
        return error;
    }
    if (before) {
        const std::optional<FileIdentity> after = FileIdentity::ofPath(path);
        if (after && after->device == before->device && after->inode == before->inode && after->size == before->size
            && after->modifiedNs == before->modifiedNs)
            *written = after;
    }
    if (!synced)
        return 0;
    // The rename itself reaches the disk with the directory; a failure here
    // changes nothing about what a reader sees now.
    const int directoryFd = ::open(QFile::encodeName(directory).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (directoryFd >= 0) {
        ::fsync(directoryFd);
        ::close(directoryFd);
    }
    return 0;
}

void removeLeftovers(const QString &directory)
{
    const QDir dir(directory);
    const QStringList leftovers = dir.entryList({QLatin1String(temporaryPrefix) + QStringLiteral("??????")},
                                                QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &name : leftovers)
        QFile::remove(dir.filePath(name));
}

} // namespace holdra::AtomicFile
