#pragma once

#include "Storage/FileIdentity.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace holdra {

// One whole-file JSON document on disk: read whole, replaced atomically.
class MetadataFile
{
public:
    explicit MetadataFile(QString path);

    const QString &path() const { return m_path; }
    // Nothing when no file exists. Anything but a regular file (a FIFO) is refused
    // at once instead of read. `identity` as RegularFile::readAll gives it.
    std::optional<QByteArray> read(std::optional<FileIdentity> *identity = nullptr) const;
    // Creates the containing directory when needed; a crash or a full disk leaves
    // the previous file in place. The file is private (0600): it holds every text.
    // Returns the new file's identity when AtomicFile::replace gives one.
    std::optional<FileIdentity> write(const QByteArray &bytes) const;
    // Renames the file to "<name>.unreadable-<UTC time>" (made unique) beside
    // itself and returns the new path.
    QString setAside() const;

private:
    QString m_path;
};

} // namespace holdra
