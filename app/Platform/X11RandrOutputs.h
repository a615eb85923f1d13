#pragma once

#include <QHash>
#include <QString>

namespace holdra {

// The RandR outputs of the X server, by connector name ("HDMI-1" → its output
// number). Qt names its screens after these outputs; the number is stable for
// the life of the X server and serves as the runtime identity of a display
// that reports no EDID data. Empty without X11.
namespace X11RandrOutputs {

QHash<QString, quint32> numbersByName();

} // namespace X11RandrOutputs
} // namespace holdra
