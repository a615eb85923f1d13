#include "Storage/TreeCopier.h"

#include "Storage/FileStorageError.h"

#include <QFile>
#include <QScopeGuard>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <utility>
#include <vector>

namespace holdra {

namespace {

class Fd
{
public:
    explicit Fd(int fd)
        : m_fd(fd)
    {
    }
    ~Fd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;

    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    // Closes now, so that a late write error (a full disk) is seen; returns errno or 0.
    int close()
    {
        const int result = ::close(std::exchange(m_fd, -1));
        return result == 0 ? 0 : errno;
    }

private:
    int m_fd;
};

[[noreturn]] void fail(int error, const QString &displayPath)
{
    const FileStorageError base = FileStorageError::fromCopyErrno(error);
    if (base.kind() == FileStorageError::Kind::outOfSpace)
        throw base;
    throw FileStorageError::copyFailed(displayPath + QStringLiteral("：") + qt_error_string(error));
}

// Folders stay writable by their owner so that the copy can be deleted again.
constexpr mode_t directoryMode(mode_t sourceMode)
{
    return (sourceMode & 07777) | S_IRWXU;
}

constexpr size_t bufferSize = 1 << 20;

} // namespace

qint64 TreeCopier::copy(const QString &sourcePath, const QString &destinationPath)
{
    TreeCopier copier;
    const QByteArray source = QFile::encodeName(sourcePath);
    const QByteArray destination = QFile::encodeName(destinationPath);
    const QString name = QFile::decodeName(source.mid(source.lastIndexOf('/') + 1));

    // O_NONBLOCK: opening a FIFO must never wait for a writer.
    Fd sourceFd(::open(source.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!sourceFd.valid())
        fail(errno, name);
    struct stat status {};
    if (::fstat(sourceFd.get(), &status) != 0)
        fail(errno, name);

    if (S_ISREG(status.st_mode))
        return copier.copyRegularFile(sourceFd.get(), AT_FDCWD, destination.constData(),
                                      status.st_mode, name);
    if (!S_ISDIR(status.st_mode))
        throw FileStorageError::sourceUnreadable(name);

    if (::mkdir(destination.constData(), 0700) != 0)
        fail(errno, name);
    Fd destinationFd(::open(destination.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!destinationFd.valid())
        fail(errno, name);
    const qint64 bytes = copier.copyDirectory(sourceFd.get(), destinationFd.get(), name);
    ::fchmod(destinationFd.get(), directoryMode(status.st_mode));
    return bytes;
}

qint64 TreeCopier::copyRegularFile(int sourceFd, int destinationDirFd, const char *name,
                                   mode_t mode, const QString &displayPath)
{
    Fd destinationFd(::openat(destinationDirFd, name, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                              mode & 0777));
    if (!destinationFd.valid())
        fail(errno, displayPath);
    // A regular file opened with O_NONBLOCK reads as usual; clear it anyway so
    // that every read path behaves the same.
    ::fcntl(sourceFd, F_SETFL, ::fcntl(sourceFd, F_GETFL) & ~O_NONBLOCK);
    const qint64 bytes = copyContents(sourceFd, destinationFd.get(), displayPath);
    if (const int error = destinationFd.close())
        fail(error, displayPath);
    return bytes;
}

qint64 TreeCopier::copyContents(int sourceFd, int destinationFd, const QString &displayPath)
{
    struct stat status {};
    if (::fstat(sourceFd, &status) != 0)
        fail(errno, displayPath);
    const off_t size = status.st_size;

    // Only the data extents are copied, so the holes of a sparse file (a disk
    // image, a VM disk) stay holes instead of being written out as zeros.
    for (off_t offset = 0; offset < size;) {
        off_t data = ::lseek(sourceFd, offset, SEEK_DATA);
        if (data < 0) {
            if (errno == ENXIO)
                break; // nothing but a hole up to the end
            data = offset; // the file system cannot tell: copy everything
        }
        off_t hole = ::lseek(sourceFd, data, SEEK_HOLE);
        if (hole < 0 || hole > size)
            hole = size;
        copyRange(sourceFd, destinationFd, data, hole, displayPath);
        offset = hole;
    }
    if (::ftruncate(destinationFd, size) != 0)
        fail(errno, displayPath);
    return qint64(size);
}

void TreeCopier::copyRange(int sourceFd, int destinationFd, off_t from, off_t to,
                           const QString &displayPath)
{
    off_t in = from;
    off_t out = from;
    while (m_kernelCopyWorks && in < to) {
        const ssize_t count =
            ::copy_file_range(sourceFd, &in, destinationFd, &out, size_t(to - in), 0);
        if (count > 0)
            continue;
        if (count == 0)
            return; // the file shrank while it was copied
        if (errno == EINTR)
            continue;
        // Not supported between these file systems: copy through a buffer from here on.
        if (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP
            || errno == EBADF) {
            m_kernelCopyWorks = false;
            break;
        }
        fail(errno, displayPath);
    }

    std::vector<char> buffer;
    while (in < to) {
        buffer.resize(bufferSize);
        const ssize_t count = ::pread(sourceFd, buffer.data(), size_t(std::min<off_t>(to - in, off_t(bufferSize))), in);
        if (count < 0) {
            if (errno == EINTR)
                continue;
            fail(errno, displayPath);
        }
        if (count == 0)
            return;
        for (ssize_t written = 0; written < count;) {
            const ssize_t step = ::pwrite(destinationFd, buffer.data() + written,
                                          size_t(count - written), in + written);
            if (step < 0) {
                if (errno == EINTR)
                    continue;
                fail(errno, displayPath);
            }
            written += step;
        }
        in += count;
    }
}

qint64 TreeCopier::copyDirectory(int sourceDirFd, int destinationDirFd, const QString &displayPath)
{
    const int listingFd = ::dup(sourceDirFd);
    if (listingFd < 0)
        fail(errno, displayPath);
    DIR *listing = ::fdopendir(listingFd);
    if (!listing) {
        const int error = errno;
        ::close(listingFd);
        fail(error, displayPath);
    }
    const auto closeListing = qScopeGuard([listing] { ::closedir(listing); });

    qint64 total = 0;
    while (const dirent *entry = ::readdir(listing)) {
        const char *name = entry->d_name;
        if (qstrcmp(name, ".") == 0 || qstrcmp(name, "..") == 0)
            continue;
        const QString path = displayPath + u'/' + QFile::decodeName(name);

        struct stat status {};
        if (::fstatat(sourceDirFd, name, &status, AT_SYMLINK_NOFOLLOW) != 0)
            fail(errno, path);

        if (S_ISLNK(status.st_mode)) {
            std::vector<char> target(static_cast<size_t>(status.st_size > 0 ? status.st_size : 4095) + 1);
            const ssize_t length = ::readlinkat(sourceDirFd, name, target.data(), target.size() - 1);
            if (length < 0)
                fail(errno, path);
            target[static_cast<size_t>(length)] = '\0';
            if (::symlinkat(target.data(), destinationDirFd, name) != 0)
                fail(errno, path);
        } else if (S_ISREG(status.st_mode)) {
            Fd fileFd(::openat(sourceDirFd, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
            if (!fileFd.valid())
                fail(errno, path);
            struct stat opened {};
            if (::fstat(fileFd.get(), &opened) != 0)
                fail(errno, path);
            if (!S_ISREG(opened.st_mode))
                continue; // replaced by something else while we looked
            total += copyRegularFile(fileFd.get(), destinationDirFd, name, opened.st_mode, path);
        } else if (S_ISDIR(status.st_mode)) {
            Fd childFd(::openat(sourceDirFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
            if (!childFd.valid())
                fail(errno, path);
            if (::mkdirat(destinationDirFd, name, 0700) != 0)
                fail(errno, path);
            Fd copyFd(::openat(destinationDirFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
            if (!copyFd.valid())
                fail(errno, path);
            total += copyDirectory(childFd.get(), copyFd.get(), path);
            ::fchmod(copyFd.get(), directoryMode(status.st_mode));
        }
        // Sockets, FIFOs and devices hold no content worth keeping and could block a read.
    }
    return total;
}

} // namespace holdra
