#pragma once

#include "Storage/StoredFile.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace holdra {

// Where the stash keeps its copies. Every failure is thrown as a FileStorageError.
class StashFileStoring
{
public:
    virtual ~StashFileStoring() = default;

    virtual QString rootDirectory() const = 0;
    // Copies a file or a whole folder into a directory of its own. The path is
    // given as the file system's bytes, which need not be UTF-8.
    virtual StoredFile importFile(const QByteArray &nativeSourcePath) = 0;
    // Writes bytes into a directory of its own under a safe form of the suggested name.
    virtual StoredFile importData(const QByteArray &data, const QString &suggestedName,
                                  const QString &fileExtension) = 0;
    // The absolute path of a stored copy, whether or not it exists; nothing for a
    // relative path that leads outside the root.
    virtual std::optional<QString> absolutePath(const QString &relativePath) const = 0;
    // Deletes a stored copy together with its item directory.
    virtual void remove(const QString &relativePath) = 0;
    // Deletes everything under the root, keeping the root itself.
    virtual void removeAll() = 0;
    // Bytes of the regular files under the root.
    virtual qint64 totalByteSize() const = 0;
};

} // namespace holdra
