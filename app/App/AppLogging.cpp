#include "App/AppLogging.h"

namespace holdra {

Q_LOGGING_CATEGORY(lcViews, "holdra.views", QtInfoMsg)
Q_LOGGING_CATEGORY(lcIntegration, "holdra.integration", QtInfoMsg)
Q_LOGGING_CATEGORY(lcLoginItem, "holdra.loginitem", QtInfoMsg)
Q_LOGGING_CATEGORY(lcDrag, "holdra.drag", QtInfoMsg)

} // namespace holdra
