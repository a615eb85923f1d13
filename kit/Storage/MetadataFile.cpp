#include "Storage/MetadataFile.h"

#include "Storage/AtomicFile.h"
#include "Storage/FileStorageError.h"
#include "Storage/RegularFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>

namespace holdra {

MetadataFile::MetadataFile(QString path)
    : m_path(std::move(path))
{
}

std::optional<QByteArray> MetadataFile::read(std::optional<FileIdentity> *identity) const
{
    // Far beyond any real list; a file this large is not one of ours.
    constexpr qint64 largest = qint64(1) << 30;
    int error = 0;
    std::optional<QByteArray> bytes = RegularFile::readAll(m_path, largest, &error, identity);
    if (bytes)
        return bytes;
    if (error == ENOENT)
        return std::nullopt;
    if (error == EINVAL)
        throw FileStorageError::systemError(QStringLiteral("%1 不是普通文件。").arg(QFileInfo(m_path).fileName()));
    throw FileStorageError::systemError(
        QStringLiteral("无法读取 %1：%2").arg(QFileInfo(m_path).fileName(), qt_error_string(error)));
}

std::optional<FileIdentity> MetadataFile::write(const QByteArray &bytes) const
{
    const QString directory = QFileInfo(m_path).absolutePath();
    if (!QFileInfo(directory).isDir() && !QDir().mkpath(directory))
        throw FileStorageError::systemError(QStringLiteral("无法创建文件夹“%1”。").arg(directory));
    // Not QSaveFile: its errors do not tell a full disk from anything else.
    std::optional<FileIdentity> written;
    const int error = AtomicFile::replace(m_path, bytes, AtomicFile::Durability::synced, &written);
    if (error == ENOSPC || error == EDQUOT)
        throw FileStorageError::outOfSpace();
    if (error != 0)
        throw FileStorageError::systemError(
            QStringLiteral("无法写入 %1：%2").arg(QFileInfo(m_path).fileName(), qt_error_string(error)));
    return written;
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
