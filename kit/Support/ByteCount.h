#pragma once

#include <QString>

namespace holdra {

// A byte count in the system's file-size style: decimal units, localised.
QString formattedByteCount(qint64 bytes);

} // namespace holdra
