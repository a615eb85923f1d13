#include "Platform/DisplayServerProbe.h"

#include <QDir>
#include <QFile>
#include <QLibraryInfo>

#include <cstdio>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <xcb/xcb.h>

namespace holdra::DisplayServerProbe {

namespace {

bool x11Reachable()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        return false;
    xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
    const bool reachable = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return reachable;
}

// The compositor's socket as libwayland-client finds it, and whether it answers.
bool waylandReachable()
{
    const QString name = qEnvironmentVariable("WAYLAND_DISPLAY");
    if (name.isEmpty())
        return false;
    const QString path =
        QDir::isAbsolutePath(name) ? name : QDir(qEnvironmentVariable("XDG_RUNTIME_DIR")).filePath(name);
    const QByteArray encoded = QFile::encodeName(path);
    sockaddr_un address{};
    if (!QDir::isAbsolutePath(path) || size_t(encoded.size()) >= sizeof address.sun_path)
        return false;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, encoded.constData(), size_t(encoded.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    const bool reachable = ::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0;
    ::close(fd);
    return reachable;
}

bool waylandPluginInstalled()
{
    const QDir platforms(QLibraryInfo::path(QLibraryInfo::PluginsPath) + QStringLiteral("/platforms"));
    return !platforms.entryList({QStringLiteral("libqwayland-*.so")}, QDir::Files).isEmpty();
}

// What a Wayland session gives Holdra, in the one line it prints at the start.
QString waylandNotice(bool throughXWayland, const QString &deadDisplay)
{
    const QString hotKey =
        QStringLiteral("the hot key is bound through the desktop's GlobalShortcuts portal where it offers one, "
                       "else bind \"holdra toggle\" in the desktop's keyboard settings; ");
    const QString fullScreen = QStringLiteral("full-screen detection is off (X11 sees only XWayland windows)");
    if (throughXWayland)
        return QStringLiteral("Holdra: Wayland session through XWayland: the capsule is placed at the top centre; ")
            + hotKey + fullScreen;
    const QString start = deadDisplay.isEmpty()
        ? QStringLiteral("Holdra: native Wayland (no XWayland): ")
        : QStringLiteral("Holdra: the X11 display %1 cannot be reached, native Wayland: ").arg(deadDisplay);
    return start + QStringLiteral("the capsule is an ordinary window placed by the compositor; ") + hotKey
        + QStringLiteral("full-screen detection is off");
}

void printNotice(const QString &line)
{
    std::fprintf(stderr, "%s\n", qPrintable(line));
}

} // namespace

bool isWaylandSession()
{
    // WAYLAND_DISPLAY alone: a user who unsets it to run Holdra as on X11 gets that.
    return !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

std::optional<QString> choosePlatform()
{
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        return std::nullopt;
    if (x11Reachable()) {
        qputenv("QT_QPA_PLATFORM", "xcb");
        if (isWaylandSession())
            printNotice(waylandNotice(true, {}));
        return std::nullopt;
    }
    const QString display = qEnvironmentVariable("DISPLAY");
    if (waylandReachable()) {
        if (!waylandPluginInstalled())
            return QStringLiteral("holdra: Wayland 需要 Qt 的 Wayland 插件（软件包 qt6-wayland），它没有安装");
        qputenv("QT_QPA_PLATFORM", "wayland");
        // The notice says what is missing; Qt's own warnings about each missing
        // protocol (activation, positioning) and its tray's X11-only signal
        // would only repeat it.
        if (!qEnvironmentVariableIsSet("QT_LOGGING_RULES"))
            qputenv("QT_LOGGING_RULES", "qt.qpa.wayland*.warning=false\nqt.core.qobject.connect.warning=false");
        printNotice(waylandNotice(false, display));
        return std::nullopt;
    }
    if (!display.isEmpty())
        return QStringLiteral("holdra: 无法连接显示器 %1，也没有 Wayland；终端命令不需要显示器（holdra --help）")
            .arg(display);
    return QStringLiteral(
        "holdra: 没有可用的显示器（DISPLAY 和 WAYLAND_DISPLAY 都未设置）；终端命令不需要显示器（holdra --help）");
}

} // namespace holdra::DisplayServerProbe
