#include "Desktop/DefaultApplication.h"

#include "App/AppLogging.h"
#include "Desktop/ApplicationId.h"
#include "Desktop/DesktopEntry.h"
#include "Support/ProgramLocations.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QUrl>

namespace holdra::DefaultApplication {

bool isHoldra(const DesktopEntry &entry)
{
    if (entry.desktopID() == QLatin1String(desktopEntryId))
        return true;
    const QFileInfo program(entry.executable());
    if (program.fileName() == u"holdra")
        return true;
    if (!program.isAbsolute())
        return false;
    const QString self = QCoreApplication::applicationFilePath();
    for (const QString &own : {self, ProgramLocations::publicProgram(self)}) {
        if (!own.isEmpty() && program.canonicalFilePath() == QFileInfo(own).canonicalFilePath())
            return true;
    }
    return false;
}

QString openFile(const QString &path)
{
    const QFileInfo info(path);
    const QString name = info.fileName();
    const QString type = QMimeDatabase().mimeTypeForFile(info).name();
    const std::optional<DesktopEntry> handler = DesktopEntry::defaultForMimeType(type);
    if (!handler) {
        qCInfo(lcIntegration).noquote() << "no application for" << type;
        return QStringLiteral("没有可以打开“%1”的应用").arg(name);
    }
    if (isHoldra(*handler)) {
        qCInfo(lcIntegration).noquote() << "the default for" << type << "is Holdra itself:" << handler->filePath();
        return QStringLiteral("“%1”的默认应用是栖物匣自己，请另选一个").arg(name);
    }
    const QString error = handler->launch(QUrl::fromLocalFile(info.absoluteFilePath()));
    if (!error.isEmpty())
        return QStringLiteral("无法打开“%1”：%2").arg(name, error);
    return {};
}

} // namespace holdra::DefaultApplication
