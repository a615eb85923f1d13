#include "Storage/RegularFile.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace holdra::RegularFile {

int openForReading(const QString &path, int *error)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        *error = errno;
        return -1;
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        *error = S_ISREG(status.st_mode) ? errno : EINVAL;
        ::close(fd);
        return -1;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

std::optional<QByteArray> readAll(const QString &path, qint64 maxBytes, int *error)
{
    int failure = 0;
    const int fd = openForReading(path, &failure);
    QByteArray bytes;
    if (fd >= 0) {
        char buffer[65536];
        for (;;) {
            const ssize_t count = ::read(fd, buffer, sizeof buffer);
            if (count < 0 && errno == EINTR)
                continue;
            if (count <= 0) {
                failure = count < 0 ? errno : 0;
                break;
            }
            if (bytes.size() + count > maxBytes) {
                failure = EFBIG;
                break;
            }
            bytes.append(buffer, count);
        }
        ::close(fd);
    }
    if (error)
        *error = failure;
    if (failure != 0)
        return std::nullopt;
    return bytes;
}

} // namespace holdra::RegularFile
