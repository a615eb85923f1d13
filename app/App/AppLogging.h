#pragma once

#include "Platform/PlatformLogging.h"
#include "Support/KitLogging.h"

#include <QLoggingCategory>

namespace holdra {

// Every line the shelf logs: "2026-12-08 11:40:02.315 holdra.store warning: …".
inline constexpr char logMessagePattern[] = "%{time yyyy-MM-dd HH:mm:ss.zzz} %{category} %{type}: %{message}";

// The application's logging areas, beside the kit's and the desktop adapters'. Warnings and information
// are on; debug lines are asked for with QT_LOGGING_RULES="holdra.*.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcViews)       // "holdra.views": QML views that fail to load
Q_DECLARE_LOGGING_CATEGORY(lcIntegration) // "holdra.integration": session services, other applications
Q_DECLARE_LOGGING_CATEGORY(lcLoginItem)   // "holdra.loginitem": the autostart entry
Q_DECLARE_LOGGING_CATEGORY(lcDrag)        // "holdra.drag": items dragged out of the panel

} // namespace holdra
