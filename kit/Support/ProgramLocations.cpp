#include "Support/ProgramLocations.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <climits>
#include <unistd.h>

namespace holdra::ProgramLocations {

namespace {

// Beside `program` when it is there (a build tree), else at the installed
// place relative to it.
QString sibling(const QString &program, const char *name, const char *installedRelative)
{
    const QDir directory = QFileInfo(program).absoluteDir();
    const QString beside = directory.filePath(QLatin1String(name));
    if (QFileInfo(beside).isExecutable())
        return beside;
    return QDir::cleanPath(directory.filePath(QLatin1String(installedRelative)));
}

} // namespace

QString ownExecutable()
{
    char path[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path);
    if (length <= 0 || size_t(length) >= sizeof path)
        return {};
    return QFile::decodeName(QByteArray(path, length));
}

QString guiProgram(const QString &launcherPath)
{
    return sibling(launcherPath, guiName, HOLDRA_GUI_FROM_BIN);
}

QString launcherProgram(const QString &guiPath)
{
    return sibling(guiPath, launcherName, HOLDRA_BIN_FROM_GUI);
}

QString publicProgram(const QString &running)
{
    if (QFileInfo(running).fileName() != QLatin1String(guiName))
        return running;
    const QString launcher = launcherProgram(running);
    return QFileInfo(launcher).isExecutable() ? launcher : running;
}

} // namespace holdra::ProgramLocations
