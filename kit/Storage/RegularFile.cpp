#include "Storage/RegularFile.h"

#include "Storage/FileIdentity.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace holdra::RegularFile {

int openForReading(const QString &path, int *error)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        *error = errno;
        return -1;
    }
    struct stat status
    {
    };
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        *error = S_ISREG(status.st_mode) ? errno : EINVAL;
        ::close(fd);
        return -1;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

namespace {

// Reads to the end into `bytes`, sized for `expected` (one spare byte finds the
// end); a file that grows meanwhile is read on, up to the limit. 0 or an errno.
int readInto(int fd, QByteArray &bytes, qint64 expected, qint64 maxBytes)
{
    bytes.resize(qsizetype(std::clamp<qint64>(expected, 0, maxBytes)) + 1);
    qsizetype used = 0;
    int failure = 0;
    for (;;) {
        if (used == bytes.size()) {
            if (used > maxBytes) {
                failure = EFBIG;
                break;
            }
            bytes.resize(qsizetype(std::min<qint64>(qint64(used) * 2, maxBytes + 1)));
        }
        const ssize_t count = ::read(fd, bytes.data() + used, size_t(bytes.size() - used));
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0) {
            failure = count < 0 ? errno : 0;
            break;
        }
        used += count;
    }
    bytes.truncate(used);
    return failure;
}

} // namespace

std::optional<QByteArray> readAll(const QString &path, qint64 maxBytes, int *error,
                                  std::optional<FileIdentity> *identity)
{
    int failure = 0;
    const int fd = openForReading(path, &failure);
    QByteArray bytes;
    if (fd >= 0) {
        struct stat status
        {
        };
        ::fstat(fd, &status);
        if (identity) {
            *identity = FileIdentity::of(status);
            if (!(*identity)->settled())
                identity->reset();
        }
        failure = readInto(fd, bytes, status.st_size, maxBytes);
        ::close(fd);
    }
    if (error)
        *error = failure;
    if (failure != 0)
        return std::nullopt;
    return bytes;
}

} // namespace holdra::RegularFile
