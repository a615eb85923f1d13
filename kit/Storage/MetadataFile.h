#pragma once

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
    // at once instead of read.
    std::optional<QByteArray> read() const;
    // Creates the containing directory when needed; a crash or a full disk leaves
    // the previous file in place. The file is private (0600): it holds every text.
    void write(const QByteArray &bytes) const;
    // Renames the file to "<name>.unreadable-<UTC time>" (made unique) beside
    // itself and returns the new path.
    QString setAside() const;

private:
    QString m_path;
};

} // namespace holdra
