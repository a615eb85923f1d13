#include "Storage/SupportDirectory.h"

#include "Support/KitLogging.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace holdra::SupportDirectory {

QString makePrivate(const QString &path)
{
    QStringList missing;
    for (QString level = QDir::cleanPath(path); !QFileInfo::exists(level);) {
        missing.prepend(level);
        const QString parent = QFileInfo(level).path();
        if (parent == level)
            break;
        level = parent;
    }
    for (const QString &level : std::as_const(missing)) {
        if (::mkdir(QFile::encodeName(level).constData(), 0700) != 0 && errno != EEXIST)
            return QStringLiteral("无法创建数据目录“%1”：%2").arg(path, qt_error_string(errno));
    }
    const QByteArray native = QFile::encodeName(path);
    struct stat status
    {
    };
    if (::stat(native.constData(), &status) != 0 || !S_ISDIR(status.st_mode))
        return QStringLiteral("无法创建数据目录“%1”。").arg(path);
    if (status.st_uid == ::geteuid() && (status.st_mode & 077) != 0 && ::chmod(native.constData(), 0700) != 0)
        qCWarning(lcStorage).noquote() << "cannot make" << path << "private:" << qt_error_string(errno);
    return {};
}

void makeFilePrivate(const QString &path)
{
    const QByteArray native = QFile::encodeName(path);
    struct stat status
    {
    };
    if (::lstat(native.constData(), &status) == 0 && S_ISREG(status.st_mode) && status.st_uid == ::geteuid()
        && (status.st_mode & 077) != 0)
        ::chmod(native.constData(), 0600);
}

} // namespace holdra::SupportDirectory
