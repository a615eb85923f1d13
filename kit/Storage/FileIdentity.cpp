#include "Storage/FileIdentity.h"

#include <QFile>

#include <sys/stat.h>
#include <time.h>

namespace holdra {

namespace {

qint64 nanoseconds(const timespec &time)
{
    return qint64(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

} // namespace

FileIdentity FileIdentity::of(const struct stat &status)
{
    return {quint64(status.st_dev), quint64(status.st_ino), qint64(status.st_size), nanoseconds(status.st_mtim),
            nanoseconds(status.st_ctim)};
}

namespace {

// The identity when the stat call succeeded on a file of the `type` wanted.
std::optional<FileIdentity> identityOf(int result, const struct stat &status, mode_t type)
{
    if (result != 0 || (status.st_mode & S_IFMT) != type)
        return std::nullopt;
    return FileIdentity::of(status);
}

} // namespace

std::optional<FileIdentity> FileIdentity::ofPath(const QString &path)
{
    struct stat status
    {
    };
    return identityOf(::stat(QFile::encodeName(path).constData(), &status), status, S_IFREG);
}

std::optional<FileIdentity> FileIdentity::ofDirectory(const QString &path)
{
    struct stat status
    {
    };
    return identityOf(::stat(QFile::encodeName(path).constData(), &status), status, S_IFDIR);
}

std::optional<FileIdentity> FileIdentity::ofDescriptor(int fd)
{
    struct stat status
    {
    };
    return identityOf(::fstat(fd, &status), status, S_IFREG);
}

bool FileIdentity::settled(bool contentOnly) const
{
    // Local file systems stamp times with the coarse real-time clock.
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME_COARSE, &now);
    const qint64 tick = nanoseconds(now);
    return modifiedNs < tick && (contentOnly || changedNs < tick);
}

} // namespace holdra
