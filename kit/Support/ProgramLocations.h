#pragma once

#include <QString>

namespace holdra {

// Holdra is two programs: `holdra` on the PATH, which runs the terminal
// commands with QtCore alone, and the graphical shelf, which it starts for
// everything else. They find each other by their own paths, so that an
// installed copy and a build tree (both side by side there) work alike.
namespace ProgramLocations {

inline constexpr auto launcherName = "holdra";
inline constexpr auto guiName = "holdra-gui";

// The file this process runs, with symbolic links resolved; empty when unknown.
QString ownExecutable();
// The graphical program that the `holdra` at `launcherPath` starts.
QString guiProgram(const QString &launcherPath);
// The `holdra` that starts the graphical program at `guiPath`: what the
// desktop, the autostart entry and the user know Holdra by.
QString launcherProgram(const QString &guiPath);
// What to name when pointing the desktop at the `running` program: the
// graphical program by its `holdra`, any other program by itself.
QString publicProgram(const QString &running);

} // namespace ProgramLocations
} // namespace holdra
