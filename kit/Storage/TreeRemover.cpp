#include "Storage/TreeRemover.h"

#include <QtGlobal>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

namespace holdra::TreeRemover {

namespace {

struct Level
{
    std::string name; // the directory's name in its parent
    dev_t device;     // the parent's identity, to check the way back up
    ino_t inode;
};

// Deletes the non-directories in `fd` and returns the name of the first
// subdirectory left, or an empty string when the directory is empty now.
int clearFiles(int fd, std::string *subdirectory)
{
    const int listingFd = ::dup(fd);
    if (listingFd < 0)
        return errno;
    DIR *listing = ::fdopendir(listingFd);
    if (!listing) {
        const int error = errno;
        ::close(listingFd);
        return error;
    }
    int error = 0;
    subdirectory->clear();
    while (const dirent *entry = ::readdir(listing)) {
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0)
            continue;
        bool isDirectory = entry->d_type == DT_DIR;
        if (entry->d_type == DT_UNKNOWN) {
            struct stat status
            {
            };
            if (::fstatat(fd, entry->d_name, &status, AT_SYMLINK_NOFOLLOW) != 0) {
                error = errno;
                break;
            }
            isDirectory = S_ISDIR(status.st_mode);
        }
        if (isDirectory) {
            *subdirectory = entry->d_name;
            break;
        }
        if (::unlinkat(fd, entry->d_name, 0) != 0 && errno != ENOENT) {
            error = errno;
            break;
        }
    }
    ::closedir(listing);
    return error;
}

} // namespace

int remove(int parentFd, const QByteArray &name)
{
    struct stat status
    {
    };
    if (::fstatat(parentFd, name.constData(), &status, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT ? 0 : errno;
    if (!S_ISDIR(status.st_mode))
        return ::unlinkat(parentFd, name.constData(), 0) == 0 || errno == ENOENT ? 0 : errno;

    int fd = ::openat(parentFd, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return errno;
    std::vector<Level> path;
    int error = 0;
    for (;;) {
        std::string subdirectory;
        if ((error = clearFiles(fd, &subdirectory)) != 0)
            break;
        if (!subdirectory.empty()) {
            struct stat here
            {
            };
            if (::fstat(fd, &here) != 0) {
                error = errno;
                break;
            }
            const int child = ::openat(fd, subdirectory.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (child < 0) {
                error = errno;
                break;
            }
            path.push_back({subdirectory, here.st_dev, here.st_ino});
            ::close(fd);
            fd = child;
            continue;
        }
        if (path.empty())
            break; // the top directory is empty now
        // Back up one level; the parent must still be the directory we came from.
        const Level level = path.back();
        path.pop_back();
        const int parent = ::openat(fd, "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        struct stat up
        {
        };
        if (parent < 0 || ::fstat(parent, &up) != 0 || up.st_dev != level.device || up.st_ino != level.inode) {
            error = parent < 0 ? errno : ESTALE;
            if (parent >= 0)
                ::close(parent);
            break;
        }
        ::close(fd);
        fd = parent;
        if (::unlinkat(fd, level.name.c_str(), AT_REMOVEDIR) != 0 && errno != ENOENT) {
            error = errno;
            break;
        }
    }
    ::close(fd);
    if (error != 0)
        return error;
    return ::unlinkat(parentFd, name.constData(), AT_REMOVEDIR) == 0 || errno == ENOENT ? 0 : errno;
}

} // namespace holdra::TreeRemover
