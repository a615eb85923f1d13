#pragma once

#include <QObject>
#include <QPoint>

namespace holdra {

// Reports mouse-button presses anywhere on the display, other programs' windows
// and the desktop included, so that the open panel can close on a click
// outside itself. Listens only between start() and stop().
class OutsideClickMonitor : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // False where the display server tells nothing of other programs' clicks.
    virtual bool isAvailable() const = 0;
    virtual void start() = 0;
    virtual void stop() = 0;

Q_SIGNALS:
    // The pointer position in the display server's root coordinates (y down, pixels).
    void buttonPressed(QPoint rootPosition);
};

} // namespace holdra
