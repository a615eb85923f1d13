#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QUuid>

#include <optional>

class QScreen;

namespace holdra {

// The text that names a display everywhere in Holdra (window maps, the
// display selection in the settings): a name-based UUID over the monitor's
// EDID data, stable across restarts and ports, or "runtime-N" for a display
// that reports no EDID data at all.
class DisplayIdentity
{
public:
    // What the system tells about one display.
    struct Screen
    {
        QString connector;    // the output's name, e.g. "HDMI-1"
        QString manufacturer; // EDID manufacturer, model and serial; empty when unknown
        QString model;
        QString serialNumber;
        std::optional<quint32> runtimeNumber; // valid while the session lasts
    };

    static const QUuid nameSpace;

    // The identifier of `screen`, given every display attached with it
    // (`screen` among them). Two monitors of one model whose serial is
    // missing, zero or the same still differ: the connector is folded in.
    // Absent when there is neither EDID data nor a runtime number.
    static std::optional<QString> identifier(const Screen &screen, const QList<Screen> &attached);

    // The identifiers of `screens`, in their order; screens without one are left out.
    static QStringList identifiers(const QList<Screen> &screens);

    // The attached displays in the system's order (QGuiApplication::screens()).
    static QList<Screen> currentScreens();
    static std::optional<QString> identifier(const QScreen *screen);
    static QStringList currentIdentifiers();
};

} // namespace holdra
