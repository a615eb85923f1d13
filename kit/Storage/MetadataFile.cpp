#include "Storage/MetadataFile.h"

#include "Storage/FileStorageError.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace holdra {

MetadataFile::MetadataFile(QString path)
    : m_path(std::move(path))
{
}

std::optional<QByteArray> MetadataFile::read() const
{
    QFile file(m_path);
    if (!file.exists())
        return std::nullopt;
    if (!file.open(QIODevice::ReadOnly))
        throw FileStorageError::systemError(file.errorString());
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw FileStorageError::systemError(file.errorString());
    return bytes;
}

void MetadataFile::write(const QByteArray &bytes) const
{
    const QString directory = QFileInfo(m_path).absolutePath();
    if (!QDir().mkpath(directory))
        throw FileStorageError::systemError(QStringLiteral("无法创建文件夹“%1”。").arg(directory));

    QSaveFile file(m_path);
    file.setDirectWriteFallback(false);
    // Unbuffered: a buffered write that fails only when commit() flushes it (a
    // full disk) is not noticed by QSaveFile, which then renames an empty file
    // over the old one. Written straight through, the failure shows here.
    if (file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) && file.write(bytes) == bytes.size() && file.commit())
        return;
    if (file.error() == QFileDevice::ResourceError)
        throw FileStorageError::outOfSpace();
    throw FileStorageError::systemError(file.errorString());
}

QString MetadataFile::setAside() const
{
    const QString stem = m_path + QStringLiteral(".unreadable-")
        + QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'"));
    QString target = stem;
    for (int attempt = 2; QFileInfo::exists(target) || QFileInfo(target).isSymLink(); ++attempt)
        target = stem + u'-' + QString::number(attempt);

    QFile file(m_path);
    if (!file.rename(target))
        throw FileStorageError::systemError(file.errorString());
    return target;
}

} // namespace holdra
