#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace holdra::test {

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
