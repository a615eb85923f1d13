#include "App/LoginItem.h"

#include "App/AppLogging.h"
#include "Desktop/ApplicationId.h"
#include "Support/ProgramLocations.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSettings>
#include <QStandardPaths>

#include <algorithm>

namespace holdra::LoginItem {

namespace {

constexpr auto desktopGroup = "Desktop Entry";

void logFailure(const QString &description)
{
    qCWarning(lcLoginItem).noquote() << QStringLiteral("[Holdra] 登录项设置失败：") + description;
}

QByteArray entryContents()
{
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Holdra\n"
                          "Name[zh_CN]=栖物匣\n"
                          "Comment=Put files, text and links aside at the top of the screen\n"
                          "Comment[zh_CN]=文件、文字、链接，先栖物匣。\n"
                          "Exec=%1\n"
                          "Icon=%2\n"
                          "Terminal=false\n"
                          "X-GNOME-Autostart-enabled=true\n")
        .arg(execValue(ProgramLocations::publicProgram(QCoreApplication::applicationFilePath())),
             QLatin1String(applicationId))
        .toUtf8();
}

QString autostartDirectory()
{
    // GenericConfigLocation is $XDG_CONFIG_HOME, or ~/.config when it is unset or relative.
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/autostart/");
}

QString legacyEntryPath()
{
    return autostartDirectory() + QStringLiteral("holdra.desktop");
}

bool isEnabledEntry(const QString &path)
{
    if (!QFileInfo(path).isFile())
        return false;
    QSettings entry(path, QSettings::IniFormat);
    entry.beginGroup(QLatin1String(desktopGroup));
    const QString hidden = entry.value(QStringLiteral("Hidden")).toString().trimmed();
    const QString gnomeEnabled = entry.value(QStringLiteral("X-GNOME-Autostart-enabled")).toString().trimmed();
    return hidden.compare(QLatin1String("true"), Qt::CaseInsensitive) != 0
        && gnomeEnabled.compare(QLatin1String("false"), Qt::CaseInsensitive) != 0;
}

} // namespace

QString autostartEntryPath()
{
    return autostartDirectory() + QLatin1String(desktopEntryId);
}

QString execValue(const QString &program)
{
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    // A percent sign would be read as a field code.
    const QString literal = QString(program).replace(u'%', QStringLiteral("%%"));
    const bool quoted = std::any_of(program.begin(), program.end(), [](QChar c) { return reserved.contains(c); });
    if (!quoted)
        return literal;
    QString argument;
    for (const QChar c : literal) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            argument += u'\\';
        argument += c;
    }
    // The whole value is a string of the entry, where a backslash is written twice.
    argument.replace(u'\\', QStringLiteral("\\\\"));
    return u'"' + argument + u'"';
}

bool isEnabled()
{
    return isEnabledEntry(autostartEntryPath()) || isEnabledEntry(legacyEntryPath());
}

void setEnabled(bool enabled)
{
    const bool legacy = QFileInfo::exists(legacyEntryPath());
    if (enabled == isEnabled() && !legacy)
        return;
    if (legacy) {
        QFile old(legacyEntryPath());
        if (!old.remove())
            logFailure(old.errorString());
    }
    const QString path = autostartEntryPath();
    if (!enabled) {
        QFile entry(path);
        if (entry.exists() && !entry.remove())
            logFailure(entry.errorString());
        return;
    }
    if (isEnabledEntry(path))
        return;
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        logFailure(QStringLiteral("无法创建目录 %1").arg(QFileInfo(path).absolutePath()));
        return;
    }
    // A switched-off entry of ours (Hidden=true) is replaced as a whole.
    QSaveFile entry(path);
    entry.setDirectWriteFallback(false);
    if (!entry.open(QIODevice::WriteOnly) || entry.write(entryContents()) < 0 || !entry.commit())
        logFailure(entry.errorString());
}

} // namespace holdra::LoginItem
