#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sys/stat.h>

namespace holdra::test {

// The whole file, or nothing when it cannot be read.
inline QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The status of `path` (not following a last link); all zero when there is none.
inline struct stat fileStatus(const QString &path)
{
    struct stat status = {};
    ::lstat(QFile::encodeName(path).constData(), &status);
    return status;
}

// A fresh directory per test with helpers to lay out source files in it.
class TempDir
{
public:
    QString path() const { return m_dir.path(); }
    QString filePath(const QString &relative) const { return m_dir.filePath(relative); }

    // Writes `bytes` to `relative`, creating parent directories; returns the absolute path.
    QString write(const QString &relative, const QByteArray &bytes) const
    {
        const QString absolute = filePath(relative);
        QDir().mkpath(QFileInfo(absolute).absolutePath());
        QFile file(absolute);
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes);
        return absolute;
    }
    QString mkdir(const QString &relative) const
    {
        QDir().mkpath(filePath(relative));
        return filePath(relative);
    }

private:
    QTemporaryDir m_dir;
};

} // namespace holdra::test
