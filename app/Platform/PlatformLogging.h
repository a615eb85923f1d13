#pragma once

#include <QLoggingCategory>

namespace holdra {

// The logging areas of the desktop adapters. Warnings and information are on;
// debug lines are asked for with QT_LOGGING_RULES="holdra.*.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcApp)    // "holdra.app": start, quit, windows of its own
Q_DECLARE_LOGGING_CATEGORY(lcX11)    // "holdra.x11": the X server and its window manager
Q_DECLARE_LOGGING_CATEGORY(lcHotKey) // "holdra.hotkey": the global shortcut
Q_DECLARE_LOGGING_CATEGORY(lcTray)   // "holdra.tray": the tray icon and its host

} // namespace holdra
