#pragma once

#include "Notch/WindowCoverageSnapshot.h"

#include <QList>
#include <QObject>

namespace holdra {

// The window list the full-screen rule reads. Lives on the thread that made it
// and is read there; it says when the list may have changed instead of being
// polled, so an idle desktop costs nothing.
class WindowListSource : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;
    ~WindowListSource() override;

    // Every window, bottom to top.
    virtual QList<WindowCoverageSnapshot> read() = 0;

Q_SIGNALS:
    // A window came or went, or one's state, type, opacity, desktop or geometry
    // may differ from the last read. A burst of changes is one signal.
    void changed();
};

} // namespace holdra
