#include "App/LoginItem.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSettings>
#include <QStandardPaths>

namespace holdra::LoginItem {

namespace {

constexpr auto desktopGroup = "Desktop Entry";

void logFailure(const QString &description)
{
    qWarning().noquote() << QStringLiteral("[Holdra] 登录项设置失败：") + description;
}

QByteArray entryContents()
{
    return QByteArrayLiteral("[Desktop Entry]\n"
                             "Type=Application\n"
                             "Name=栖物匣\n"
                             "Name[zh_CN]=栖物匣\n"
                             "Comment=文件、文字、链接，先栖物匣。\n"
                             "Exec=holdra\n"
                             "Icon=holdra\n"
                             "Terminal=false\n"
                             "X-GNOME-Autostart-enabled=true\n");
}

} // namespace

QString autostartEntryPath()
{
    // GenericConfigLocation is $XDG_CONFIG_HOME, or ~/.config when it is unset or relative.
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/autostart/holdra.desktop");
}

bool isEnabled()
{
    const QString path = autostartEntryPath();
    if (!QFileInfo(path).isFile())
        return false;
    QSettings entry(path, QSettings::IniFormat);
    entry.beginGroup(QLatin1String(desktopGroup));
    const QString hidden = entry.value(QStringLiteral("Hidden")).toString().trimmed();
    const QString gnomeEnabled = entry.value(QStringLiteral("X-GNOME-Autostart-enabled")).toString().trimmed();
    return hidden.compare(QLatin1String("true"), Qt::CaseInsensitive) != 0
        && gnomeEnabled.compare(QLatin1String("false"), Qt::CaseInsensitive) != 0;
}

void setEnabled(bool enabled)
{
    if (enabled == isEnabled())
        return;
    const QString path = autostartEntryPath();
    if (!enabled) {
        QFile entry(path);
        if (!entry.remove())
            logFailure(entry.errorString());
        return;
    }
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
