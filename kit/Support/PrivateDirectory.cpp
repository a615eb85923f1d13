#include "Support/PrivateDirectory.h"

#include "Support/AppPaths.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace holdra::PrivateDirectory {

namespace {

QString errnoText(const QString &path, int error)
{
    return path + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(error));
}

// mkdir that fails on an existing entry is what keeps another user's planted
// directory (or link) from being adopted: such an entry is checked, never trusted.
QString makeOne(const QString &path)
{
    const QByteArray native = QFile::encodeName(path);
    if (::mkdir(native.constData(), 0700) == 0)
        return {};
    if (errno != EEXIST)
        return errnoText(path, errno);
    struct stat info
    {
    };
    if (::lstat(native.constData(), &info) != 0)
        return errnoText(path, errno);
    if (!S_ISDIR(info.st_mode))
        return path + QStringLiteral(": exists and is not a directory");
    if (info.st_uid != ::geteuid())
        return path + QStringLiteral(": belongs to another user");
    if ((info.st_mode & 07777) != 0700 && ::chmod(native.constData(), 0700) != 0)
        return errnoText(path, errno);
    return {};
}

} // namespace

QString make(const QString &root, const QString &relative)
{
    QStringList levels;
    QString current = QDir::cleanPath(root);
    // Only the levels we create and the root itself must be private; the ancestors
    // that exist already (/run/user/<uid>, the home directory) are the system's.
    while (!current.isEmpty() && current != QStringLiteral("/") && !QFileInfo(current).isSymLink()
           && !QFileInfo::exists(current)) {
        levels.prepend(current);
        current = QFileInfo(current).path();
    }
    if (levels.isEmpty())
        levels.append(QDir::cleanPath(root));
    QString inner = levels.constLast();
    for (const QString &part : relative.split(u'/', Qt::SkipEmptyParts)) {
        inner += u'/' + part;
        levels.append(inner);
    }
    for (const QString &level : std::as_const(levels)) {
        if (QString error = makeOne(level); !error.isEmpty())
            return error;
    }
    return {};
}

QString makeTemporary(const QString &relative, QString *path)
{
    const QString root = AppPaths::temporaryDirectory();
    if (!QDir::isAbsolutePath(root))
        return QStringLiteral("no private runtime directory (is another user's in the way?)");
    QString error = make(root, relative);
    if (error.isEmpty() && path)
        *path = relative.isEmpty() ? root : QDir(root).filePath(relative);
    return error;
}

QString cacheFile(const QString &prefix, const QString &supportDirectory)
{
    QString directory;
    if (!makeTemporary(QString(), &directory).isEmpty())
        return {};
    const QByteArray digest =
        QCryptographicHash::hash(QDir::cleanPath(supportDirectory).toUtf8(), QCryptographicHash::Sha256).toHex();
    return QDir(directory).filePath(prefix + QString::fromLatin1(digest.left(16)));
}

} // namespace holdra::PrivateDirectory
