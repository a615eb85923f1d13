#include "Storage/TreeCopier.h"

#include "Storage/ContentDigest.h"
#include "Storage/FileStorageError.h"

#include <QFile>
#include <QScopeGuard>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <limits>
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

// Nobody but the owner may change a stored copy; folders stay writable by the
// owner so that the copy can be deleted again.
constexpr mode_t fileMode(mode_t sourceMode)
{
    return sourceMode & 0755;
}

constexpr mode_t directoryMode(mode_t sourceMode)
{
    return (sourceMode & 0755) | S_IRWXU;
}

bool sameVersion(const struct stat &a, const struct stat &b)
{
    return a.st_size == b.st_size && a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

void keepTimes(int fd, const struct stat &source)
{
    const struct timespec times[2] = {source.st_atim, source.st_mtim};
    ::futimens(fd, times);
}

constexpr size_t bufferSize = 4 << 20;
// The most one kernel copy is asked for, so that progress and cancelling stay prompt.
constexpr off_t kernelCopyStep = off_t(64) << 20;
// Past any real file: reading "to the end" means until a read returns nothing.
constexpr off_t endOfAnyFile = std::numeric_limits<off_t>::max() / 2;

} // namespace

TreeCopier::TreeCopier() = default;
TreeCopier::~TreeCopier() = default;

TreeCopier::Copied TreeCopier::copy(const QByteArray &nativeSource, const QString &destinationPath,
                                    std::optional<DirectoryId> forbidden, const Progress &progress)
{
    TreeCopier copier;
    copier.m_forbidden = forbidden;
    copier.m_progress = progress ? &progress : nullptr;
    const QByteArray destination = QFile::encodeName(destinationPath);
    const QString name = QFile::decodeName(nativeSource.mid(nativeSource.lastIndexOf('/') + 1));
    copier.m_topName = name;

    // O_NONBLOCK: opening a FIFO must never wait for a writer.
    Fd sourceFd(::open(nativeSource.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (!sourceFd.valid())
        fail(errno, name);
    struct stat status
    {
    };
    if (::fstat(sourceFd.get(), &status) != 0)
        fail(errno, name);

    if (S_ISREG(status.st_mode)) {
        // The copy is ours, so the hash of what passes through is the hash of the
        // stored copy: no second read.
        copier.m_digest = std::make_unique<ContentDigest>();
        const qint64 bytes = copier.copyRegularFile(sourceFd.get(), AT_FDCWD, destination.constData(), status, name);
        return {bytes, copier.m_digest->finishHex()};
    }
    if (!S_ISDIR(status.st_mode))
        throw FileStorageError::sourceUnreadable(name);
    if (forbidden && *forbidden == DirectoryId{status.st_dev, status.st_ino})
        throw FileStorageError::copyFailed(QStringLiteral("“%1”包含暂存目录本身，不能复制到其中。").arg(name));

    if (::mkdir(destination.constData(), 0700) != 0)
        fail(errno, name);
    Fd destinationFd(::open(destination.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!destinationFd.valid())
        fail(errno, name);
    const qint64 bytes = copier.copyDirectory(sourceFd.get(), destinationFd.get(), name);
    ::fchmod(destinationFd.get(), directoryMode(status.st_mode));
    keepTimes(destinationFd.get(), status);
    return {bytes, std::nullopt};
}

qint64 TreeCopier::copyRegularFile(int sourceFd, int destinationDirFd, const char *name, const struct stat &status,
                                   const QString &displayPath)
{
    Fd destinationFd(
        ::openat(destinationDirFd, name, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, fileMode(status.st_mode)));
    if (!destinationFd.valid())
        fail(errno, displayPath);
    // A regular file opened with O_NONBLOCK (so that a FIFO put in its place
    // could not block) reads as usual.

    // A file written to while it is read would be stored as neither version: it
    // is read once more, and refused when it changes again.
    struct stat before = status;
    qint64 bytes = 0;
    for (int attempt = 0;; ++attempt) {
        if (attempt > 0 && ::ftruncate(destinationFd.get(), 0) != 0)
            fail(errno, displayPath);
        if (m_digest)
            m_digest->reset();
        m_hashedTo = 0;
        bytes = copyContents(sourceFd, destinationFd.get(), before, displayPath);
        struct stat after
        {
        };
        if (::fstat(sourceFd, &after) != 0)
            fail(errno, displayPath);
        if (sameVersion(before, after))
            break;
        if (attempt == 1)
            throw FileStorageError::copyFailed(
                QStringLiteral("“%1”在复制时被改动，请等它写完再暂存。").arg(displayPath));
        before = after;
    }
    keepTimes(destinationFd.get(), before);
    if (const int error = destinationFd.close())
        fail(error, displayPath);
    return bytes;
}

qint64 TreeCopier::copyContents(int sourceFd, int destinationFd, const struct stat &source, const QString &displayPath)
{
    const off_t claimedSize = source.st_size;
    // A file with as many blocks as bytes has no holes: one range, no extents to ask
    // for, and its size is right once written (what a folder of small files needs).
    if (source.st_blocks * 512 >= source.st_size) {
        const off_t length = copyRange(sourceFd, destinationFd, 0, claimedSize, displayPath);
        return qint64(
            length < claimedSize ? length : copyRange(sourceFd, destinationFd, claimedSize, endOfAnyFile, displayPath));
    }
    // Only the data extents are copied, so the holes of a sparse file (a disk
    // image, a VM disk) stay holes instead of being written out as zeros.
    off_t length = claimedSize;
    for (off_t offset = 0; offset < claimedSize;) {
        off_t data = ::lseek(sourceFd, offset, SEEK_DATA);
        if (data < 0) {
            if (errno == ENXIO)
                break;     // nothing but a hole up to the end
            data = offset; // the file system cannot tell: copy everything
        }
        off_t hole = ::lseek(sourceFd, data, SEEK_HOLE);
        if (hole < 0 || hole > claimedSize)
            hole = claimedSize;
        const off_t stopped = copyRange(sourceFd, destinationFd, data, hole, displayPath);
        if (stopped < hole) {
            // The file ended early: it shrank (caught by the caller), or, like
            // the files of /sys, never had the size it claims. Never pad it.
            length = stopped;
            break;
        }
        offset = hole;
    }
    // Whatever lies past the claimed size (a file of /proc claims none at all).
    if (length == claimedSize)
        length = copyRange(sourceFd, destinationFd, claimedSize, endOfAnyFile, displayPath);
    if (::ftruncate(destinationFd, length) != 0)
        fail(errno, displayPath);
    if (m_digest && length > m_hashedTo)
        hashHole(qint64(length - m_hashedTo)); // a hole up to the end
    return qint64(length);
}

off_t TreeCopier::copyRange(int sourceFd, int destinationFd, off_t from, off_t to, const QString &displayPath)
{
    if (m_digest)
        return copyThroughBuffers(sourceFd, destinationFd, from, to, displayPath);
    off_t in = from;
    off_t out = from;
    while (m_kernelCopyWorks && in < to) {
        const ssize_t count =
            ::copy_file_range(sourceFd, &in, destinationFd, &out, size_t(std::min<off_t>(to - in, kernelCopyStep)), 0);
        if (count > 0) {
            startWriteback(destinationFd, out - count, count);
            reportProgress(count);
            continue;
        }
        if (count == 0) {
            // Some kernels report the files of /proc and /sys as empty here; a
            // plain read says whether this really is the end, unless the kernel
            // copied this file's first bytes already.
            char probe = 0;
            if (in > 0 || ::pread(sourceFd, &probe, 1, in) <= 0)
                return in;
            m_kernelCopyWorks = false;
            break;
        }
        if (errno == EINTR)
            continue;
        // Not supported between these file systems: copy through a buffer from here on.
        if (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP || errno == EBADF) {
            m_kernelCopyWorks = false;
            break;
        }
        fail(errno, displayPath);
    }

    return copyThroughBuffers(sourceFd, destinationFd, in, to, displayPath);
}

off_t TreeCopier::copyThroughBuffers(int sourceFd, int destinationFd, off_t from, off_t to, const QString &displayPath)
{
    if (m_digest && from > m_hashedTo)
        hashHole(qint64(from - m_hashedTo)); // the hole before this range
    off_t in = from;
    while (in < to) {
        // The other buffer may still be hashed; this one is free since the last update.
        std::vector<char> &buffer = m_buffers[size_t(m_currentBuffer)];
        buffer.resize(bufferSize);
        const ssize_t count = ::pread(sourceFd, buffer.data(), size_t(std::min<off_t>(to - in, off_t(bufferSize))), in);
        if (count < 0) {
            if (errno == EINTR)
                continue;
            fail(errno, displayPath);
        }
        if (count == 0)
            break;
        if (m_digest)
            m_digest->update(buffer.data(), size_t(count));
        for (ssize_t written = 0; written < count;) {
            const ssize_t step =
                ::pwrite(destinationFd, buffer.data() + written, size_t(count - written), in + written);
            if (step < 0) {
                if (errno == EINTR)
                    continue;
                fail(errno, displayPath);
            }
            written += step;
        }
        startWriteback(destinationFd, in, count);
        in += count;
        m_currentBuffer ^= 1;
        reportProgress(count);
    }
    if (m_digest)
        m_hashedTo = in;
    return in;
}

void TreeCopier::startWriteback(int destinationFd, off_t offset, qint64 bytes)
{
    // The copy is synced before it is kept: the disk starts on a big file's bytes
    // while the rest is still read, so that the sync at the end waits for little.
    if (bytes >= qint64(bufferSize))
        ::sync_file_range(destinationFd, offset, off_t(bytes), SYNC_FILE_RANGE_WRITE);
}

void TreeCopier::hashHole(qint64 bytes)
{
    // A hole of a terabyte takes minutes to hash: it moves the bar and can be stopped like data.
    while (bytes > 0) {
        const qint64 step = std::min<qint64>(bytes, kernelCopyStep);
        m_digest->updateZeros(step);
        reportProgress(step);
        bytes -= step;
    }
}

void TreeCopier::reportProgress(qint64 bytes) const
{
    if (m_progress && !(*m_progress)(bytes))
        throw FileStorageError::cancelled();
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
        copyEntry(sourceDirFd, destinationDirFd, name, displayPath + u'/' + QFile::decodeName(name), total);
    }
    return total;
}

void TreeCopier::copyEntry(int sourceDirFd, int destinationDirFd, const char *name, const QString &path, qint64 &total)
{
    struct stat status
    {
    };
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
        const struct timespec times[2] = {status.st_atim, status.st_mtim};
        ::utimensat(destinationDirFd, name, times, AT_SYMLINK_NOFOLLOW);
    } else if (S_ISREG(status.st_mode)) {
        Fd fileFd(::openat(sourceDirFd, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
        if (!fileFd.valid())
            fail(errno, path);
        struct stat opened
        {
        };
        if (::fstat(fileFd.get(), &opened) != 0)
            fail(errno, path);
        if (S_ISREG(opened.st_mode)) // else replaced by something else while we looked
            total += copyRegularFile(fileFd.get(), destinationDirFd, name, opened, path);
    } else if (S_ISDIR(status.st_mode)) {
        // The storage itself, reached through a bind mount or any other path, would
        // be copied into itself without end.
        if (m_forbidden && *m_forbidden == DirectoryId{status.st_dev, status.st_ino})
            throw FileStorageError::copyFailed(QStringLiteral("“%1”包含暂存目录本身，不能复制到其中。").arg(m_topName));
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
        keepTimes(copyFd.get(), status);
    }
    // Sockets, FIFOs and devices hold no content worth keeping and could block a read.
}

} // namespace holdra
