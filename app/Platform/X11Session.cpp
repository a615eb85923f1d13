#include "Platform/X11Session.h"

#include <QGuiApplication>

#include <xcb/xcb.h>

namespace holdra::X11Session {

bool isAvailable()
{
    return qtConnection() != nullptr;
}

xcb_connection_t *qtConnection()
{
    if (!qGuiApp || QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

quint32 rootWindow(xcb_connection_t *connection)
{
    const xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    return screens.rem > 0 ? screens.data->root : xcb_window_t(XCB_WINDOW_NONE);
}

QString unavailableMessage(const QString &whatIsOff)
{
    const QString platform = qGuiApp ? QGuiApplication::platformName() : QStringLiteral("none");
    return QStringLiteral("no X11 display (platform \"%1\"); %2").arg(platform, whatIsOff);
}

} // namespace holdra::X11Session
