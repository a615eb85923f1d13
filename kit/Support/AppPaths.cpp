#include "Support/AppPaths.h"

#include <QDir>
#include <QStandardPaths>

namespace holdra::AppPaths {

QString supportDirectory()
{
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty())
        base = QDir::tempPath();
    return QDir(base).filePath(QString::fromLatin1(folderName));
}

QString filesDirectory()
{
    return QDir(supportDirectory()).filePath(QStringLiteral("Files"));
}

QString metadataPath()
{
    return QDir(supportDirectory()).filePath(QStringLiteral("metadata.json"));
}

QString trashMetadataPath()
{
    return QDir(supportDirectory()).filePath(QStringLiteral("trash.json"));
}

QString lockFilePath()
{
    return QDir(supportDirectory()).filePath(QStringLiteral(".lock"));
}

QString temporaryDirectory()
{
    // Qt answers nothing when the runtime directory belongs to someone else
    // (another user planted the fallback in /tmp); then there is no safe place.
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (runtime.isEmpty())
        return {};
    return QDir(runtime).filePath(QString::fromLatin1(folderName));
}

} // namespace holdra::AppPaths
