#pragma once

#include <QString>

#include <optional>

namespace holdra::DisplayServerProbe {

// Chooses Qt's platform before the application object exists, since Qt aborts
// when the one it was given cannot be reached. X11 first (XWayland serves the
// hot key, the window list and the panel hints that native Wayland does not);
// Wayland when the X server cannot be reached but a compositor is there; a
// platform the user set is left alone. Returns the one line to print when there
// is no display to start on at all.
std::optional<QString> choosePlatform();

} // namespace holdra::DisplayServerProbe
