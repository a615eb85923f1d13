#include "Platform/PlatformLogging.h"

namespace holdra {

Q_LOGGING_CATEGORY(lcApp, "holdra.app", QtInfoMsg)
Q_LOGGING_CATEGORY(lcX11, "holdra.x11", QtInfoMsg)
Q_LOGGING_CATEGORY(lcHotKey, "holdra.hotkey", QtInfoMsg)
Q_LOGGING_CATEGORY(lcTray, "holdra.tray", QtInfoMsg)

} // namespace holdra
