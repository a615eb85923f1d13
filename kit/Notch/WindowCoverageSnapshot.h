#pragma once

#include <QRectF>
#include <QtGlobal>

namespace holdra {

// One window of the window list, as the full-screen rule sees it. Bounds are in the
// window system's y-down global coordinates, like the display bounds beside them.
struct WindowCoverageSnapshot
{
    qint32 ownerPID = 0;
    int layer = 0;      // 0 for ordinary application windows
    double alpha = 1.0; // opacity, 0 to 1
    QRectF bounds;
    bool onScreen = true; // false for minimised, hidden or other-workspace windows
};

} // namespace holdra
