#pragma once

#include "Storage/StashFileStoring.h"
#include "Storage/TreeCopier.h"

#include <QFile>
#include <QStringList>

namespace holdra {

// The stash's copies on disk: one directory named by a fresh upper-case UUID per
// copy under `rootDirectory`. Every path it is handed stays confined to the root.
// A copy is made under ".staging-<UUID>" and renamed when complete.
class DiskFileStorage : public StashFileStoring
{
public:
    explicit DiskFileStorage(QString rootDirectory);

    QString rootDirectory() const override { return m_rootDirectory; }
    StoredFile importFile(const QByteArray &nativeSourcePath) override { return importFile(nativeSourcePath, {}); }
    // The same, telling `progress` of the bytes copied; it may stop the copy, which
    // then leaves nothing behind.
    StoredFile importFile(const QByteArray &nativeSourcePath, const TreeCopier::Progress &progress);
    StoredFile importFile(const QString &sourcePath) { return importFile(QFile::encodeName(sourcePath)); }
    StoredFile importData(const QByteArray &data, const QString &suggestedName, const QString &fileExtension) override;
    std::optional<QString> absolutePath(const QString &relativePath) const override;
    void remove(const QString &relativePath) override;
    void removeAll() override;
    qint64 totalByteSize() const override;

    // Deletes the folders of imports that a crash cut short. Only for the single
    // writer: another writer's import in progress looks just the same. The root
    // is listed only when it changed since a look that found nothing (a staging
    // folder changes it), as kept in the file `memoPath` when there is one.
    void removeUnfinishedImports(const QString &memoPath = QString()) const;

    // Bytes of a file, or of the regular files of a whole tree (links not followed);
    // 0 for a path where nothing exists.
    static qint64 byteSize(const QString &path);

    // One file-name component made of a suggested name: separators and control
    // characters replaced, "." and ".." refused, "未命名" for nothing at all.
    static QString safeFileName(const QString &suggestedName);

private:
    void ensureRoot() const;
    static QString newItemName();
    // Makes a private directory of that name under the root; returns its path.
    QString makeItemDirectory(const QString &name) const;
    // Puts a finished copy's bytes on the disk; throws FileStorageError.
    static void makeDurable(const QString &stagingPath, const QString &name, bool isDirectory);
    // Gives a finished copy's directory its item name, durably.
    void finishItemDirectory(const QString &stagingPath, const QString &item) const;
    void discardItemDirectory(const QString &path) const;
    // The components of a relative path that may name something under the root.
    std::optional<QStringList> checkedComponents(const QString &relativePath) const;
    // Where a path really lies, symbolic links resolved; it need not exist.
    static QString resolvedLocation(const QString &path);
    bool liesBelowRoot(const QString &path) const;

    QString m_rootDirectory;
    // Where the root really lies, with a trailing "/".
    QString m_resolvedRoot;
};

} // namespace holdra
