#pragma once

#include <QLoggingCategory>

namespace holdra {

// The kit's logging areas. Warnings and information are on; debug lines are
// asked for with QT_LOGGING_RULES="holdra.*.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcStore)   // "holdra.store": the lists and their saving
Q_DECLARE_LOGGING_CATEGORY(lcStorage) // "holdra.storage": the data directory and its files
Q_DECLARE_LOGGING_CATEGORY(lcImport)  // "holdra.import": drops and pastes becoming items
Q_DECLARE_LOGGING_CATEGORY(lcAudio)   // "holdra.audio": recording and playback
Q_DECLARE_LOGGING_CATEGORY(lcIpc)     // "holdra.ipc": the socket other starts forward to

} // namespace holdra
