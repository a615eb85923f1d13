#pragma once

#include <QString>

#include <optional>

namespace holdra::DisplayServerProbe {

// Chooses Qt's platform before the application object exists, since Qt aborts
// when the one it was given cannot be reached. X11 first (XWayland serves the
// panel's placement hints that native Wayland does not); Wayland when the X
// server cannot be reached but a compositor is there; a platform the user set
// is left alone. In a Wayland session it prints one line saying what works
// there. Returns the one line to print when there is no display to start on.
std::optional<QString> choosePlatform();

// The desktop session is Wayland, whichever platform Holdra runs on: an X11
// grab and the X11 window list then see only XWayland's windows.
bool isWaylandSession();

} // namespace holdra::DisplayServerProbe
