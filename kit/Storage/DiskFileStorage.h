#pragma once

#include "Storage/StashFileStoring.h"

#include <QStringList>

namespace holdra {

// The stash's copies on disk: one directory named by a fresh upper-case UUID per
// copy under `rootDirectory`. Every path it is handed stays confined to the root.
class DiskFileStorage : public StashFileStoring
{
public:
    explicit DiskFileStorage(QString rootDirectory);

    QString rootDirectory() const override { return m_rootDirectory; }
    StoredFile importFile(const QString &sourcePath) override;
    StoredFile importData(const QByteArray &data, const QString &suggestedName,
                          const QString &fileExtension) override;
    std::optional<QString> absolutePath(const QString &relativePath) const override;
    void remove(const QString &relativePath) override;
    void removeAll() override;
    qint64 totalByteSize() const override;

    // Bytes of a file, or of the regular files of a whole tree (links not followed);
    // 0 for a path where nothing exists.
    static qint64 byteSize(const QString &path);

    // One file-name component made of a suggested name: separators and control
    // characters replaced, "." and ".." refused, "未命名" for nothing at all.
    static QString safeFileName(const QString &suggestedName);

private:
    void ensureRoot() const;
    // Returns the new directory's name.
    QString makeItemDirectory() const;
    // The components of a relative path that may name something under the root.
    std::optional<QStringList> checkedComponents(const QString &relativePath) const;
    // Where a path really lies, symbolic links resolved; it need not exist.
    static QString resolvedLocation(const QString &path);
    bool liesBelowRoot(const QString &path) const;

    QString m_rootDirectory;
};

} // namespace holdra
