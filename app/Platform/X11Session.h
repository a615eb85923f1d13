#pragma once

#include <QString>

struct xcb_connection_t;

namespace holdra {

// Access to the X server Qt is connected to. Holdra forces the xcb platform
// whenever DISPLAY is set, so "not on xcb" means there is no X server to talk
// to (native Wayland, offscreen tests) and every X11 adapter stays inert.
namespace X11Session {

// True when the application runs on Qt's xcb platform.
bool isAvailable();

// Qt's own connection, for work on the main thread; null without X11.
xcb_connection_t *qtConnection();

// The root window of the connection's first screen.
quint32 rootWindow(xcb_connection_t *connection);

// One line for stderr saying what is off and why, e.g.
// "no X11 display (platform "wayland"); the global hot key is off".
QString unavailableMessage(const QString &whatIsOff);

} // namespace X11Session
} // namespace holdra
