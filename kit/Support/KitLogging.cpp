#include "Support/KitLogging.h"

namespace holdra {

Q_LOGGING_CATEGORY(lcStore, "holdra.store", QtInfoMsg)
Q_LOGGING_CATEGORY(lcStorage, "holdra.storage", QtInfoMsg)
Q_LOGGING_CATEGORY(lcImport, "holdra.import", QtInfoMsg)
Q_LOGGING_CATEGORY(lcAudio, "holdra.audio", QtInfoMsg)
Q_LOGGING_CATEGORY(lcIpc, "holdra.ipc", QtInfoMsg)

} // namespace holdra
