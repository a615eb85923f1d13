#include "Storage/FileStorageError.h"

#include <cerrno>

namespace holdra {

FileStorageError::FileStorageError(Kind kind, QString payload)
    : m_kind(kind)
    , m_payload(std::move(payload))
{
    m_what = errorDescription().toUtf8();
}

FileStorageError FileStorageError::sourceUnreadable(const QString &fileName)
{
    return {Kind::sourceUnreadable, fileName};
}

FileStorageError FileStorageError::copyFailed(const QString &description)
{
    return {Kind::copyFailed, description};
}

FileStorageError FileStorageError::outOfSpace()
{
    return {Kind::outOfSpace, QString()};
}

FileStorageError FileStorageError::systemError(const QString &message)
{
    return {Kind::systemError, message};
}

FileStorageError FileStorageError::unsafePath(const QString &path)
{
    return {Kind::unsafePath, path};
}

FileStorageError FileStorageError::corruptMetadata(const QString &reason)
{
    return {Kind::corruptMetadata, reason};
}

FileStorageError FileStorageError::cancelled()
{
    return {Kind::cancelled, QString()};
}

FileStorageError FileStorageError::fromCopyErrno(int errnoValue)
{
    if (errnoValue == ENOSPC || errnoValue == EDQUOT)
        return outOfSpace();
    return copyFailed(qt_error_string(errnoValue));
}

QString FileStorageError::errorDescription() const
{
    switch (m_kind) {
    case Kind::sourceUnreadable:
        return QStringLiteral("无法读取原文件“") + m_payload + QStringLiteral("”。");
    case Kind::copyFailed:
        return QStringLiteral("复制文件失败：") + m_payload;
    case Kind::outOfSpace:
        return QStringLiteral("磁盘空间不足，无法暂存。");
    case Kind::systemError:
        return m_payload;
    case Kind::unsafePath:
        return QStringLiteral("路径不在暂存目录之内：") + m_payload;
    case Kind::corruptMetadata:
        return QStringLiteral("暂存记录文件已损坏：") + m_payload;
    case Kind::cancelled:
        return QStringLiteral("已取消暂存。");
    }
    Q_UNREACHABLE();
    return {};
}

} // namespace holdra
