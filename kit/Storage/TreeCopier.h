#pragma once

#include <QString>

#include <sys/types.h>

namespace holdra {

// Copies a file or a folder tree byte for byte. A symbolic link given as the
// source is followed; links inside a folder are copied as links and never
// followed, and sockets, FIFOs and devices inside a folder are left out.
class TreeCopier
{
public:
    // Copies `sourcePath` to `destinationPath`, which must not exist yet, and
    // returns the bytes of the regular files copied. Throws FileStorageError.
    static qint64 copy(const QString &sourcePath, const QString &destinationPath);

private:
    TreeCopier() = default;

    qint64 copyRegularFile(int sourceFd, int destinationDirFd, const char *name, mode_t mode,
                           const QString &displayPath);
    qint64 copyDirectory(int sourceDirFd, int destinationDirFd, const QString &displayPath);
    // The file's bytes, holes kept as holes; returns its size.
    qint64 copyContents(int sourceFd, int destinationFd, const QString &displayPath);
    void copyRange(int sourceFd, int destinationFd, off_t from, off_t to, const QString &displayPath);

    bool m_kernelCopyWorks = true;
};

} // namespace holdra
