#pragma once

#include <QByteArray>
#include <QString>

#include <sys/stat.h>
#include <sys/types.h>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace holdra {

class ContentDigest;

// Copies a file or a folder tree byte for byte. A symbolic link given as the
// source is followed; links inside a folder are copied as links and never
// followed, and sockets, FIFOs and devices inside a folder are left out. Files
// are read to their end whatever size they claim (/proc, /sys), holes stay
// holes, and a file that changes while it is read is refused rather than
// stored half old, half new. Times are kept; nobody but the owner may write.
class TreeCopier
{
public:
    // A directory as the file system knows it, whatever path (or bind mount) leads there.
    struct DirectoryId
    {
        dev_t device = 0;
        ino_t inode = 0;
        friend bool operator==(const DirectoryId &, const DirectoryId &) = default;
    };

    // Copies `nativeSource` (the path's bytes as the file system has them) to
    // `destinationPath`, which must not exist yet, and returns the bytes of the
    // regular files copied. A tree that holds `forbidden` (the storage itself,
    // seen through any path) is refused. Throws FileStorageError.
    struct Copied
    {
        qint64 bytes = 0;
        // SHA-256 of the bytes written, for a single file: hashed as they were copied.
        std::optional<QString> contentHash;
    };
    // Told the bytes copied since it was last called; false stops the copy with
    // FileStorageError::cancelled().
    using Progress = std::function<bool(qint64 bytes)>;

    static Copied copy(const QByteArray &nativeSource, const QString &destinationPath,
                       std::optional<DirectoryId> forbidden = std::nullopt, const Progress &progress = {});

private:
    TreeCopier();
    ~TreeCopier();

    qint64 copyRegularFile(int sourceFd, int destinationDirFd, const char *name, const struct stat &status,
                           const QString &displayPath);
    qint64 copyDirectory(int sourceDirFd, int destinationDirFd, const QString &displayPath);
    void copyEntry(int sourceDirFd, int destinationDirFd, const char *name, const QString &path, qint64 &total);
    // One pass over the file's bytes, holes kept as holes; returns how many bytes it had.
    qint64 copyContents(int sourceFd, int destinationFd, const struct stat &source, const QString &displayPath);
    // Copies [from, to) and returns where it stopped: `to`, or earlier at the end of the file.
    off_t copyRange(int sourceFd, int destinationFd, off_t from, off_t to, const QString &displayPath);

    // Copies [from, to) through memory, hashing what passes; returns where it stopped.
    off_t copyThroughBuffers(int sourceFd, int destinationFd, off_t from, off_t to, const QString &displayPath);
    static void startWriteback(int destinationFd, off_t offset, qint64 bytes);
    // Hashes the zeros of a hole, reporting them as copied.
    void hashHole(qint64 bytes);
    void reportProgress(qint64 bytes) const;

    bool m_kernelCopyWorks = true;
    const Progress *m_progress = nullptr;
    // Two buffers: one is written while the other is still being hashed.
    std::array<std::vector<char>, 2> m_buffers;
    int m_currentBuffer = 0;
    // Declared after the buffers, so that it is gone (its hashing finished) before they are.
    std::unique_ptr<ContentDigest> m_digest;
    off_t m_hashedTo = 0;
    std::optional<DirectoryId> m_forbidden;
    QString m_topName;
};

} // namespace holdra
