#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QUuid>

#include <optional>

namespace holdra {

// The text that names a display everywhere in Holdra (window maps, the
// display selection in the settings). A monitor that reports EDID data gets a
// name-based UUID over that data and its connector: two monitors of one model,
// even with one serial, never share it, and neither changes when the other is
// plugged or unplugged. A screen without EDID data is known by its name alone,
// "runtime-" and the name Qt gives it ("runtime-VGA-1").
class DisplayIdentity
{
public:
    // What the system tells about one display.
    struct Screen
    {
        QString connector;    // the output's or monitor's name, e.g. "HDMI-1"
        QString manufacturer; // EDID manufacturer, model and serial; empty when unknown
        QString model;
        QString serialNumber;
    };

    static const QUuid nameSpace;

    // Absent for a screen with neither EDID data nor a name.
    static std::optional<QString> identifier(const Screen &screen);

    // The identifiers of `screens`, in their order; screens without one are left out.
    static QStringList identifiers(const QList<Screen> &screens);
};

} // namespace holdra
