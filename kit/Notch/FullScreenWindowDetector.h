#pragma once

#include "Notch/WindowCoverageSnapshot.h"

#include <QList>
#include <QRectF>
#include <QSet>
#include <QString>

namespace holdra {

// Which displays another application covers with a full-screen window.
namespace FullScreenWindowDetector {

struct DisplayBounds
{
    QString id;
    QRectF bounds; // y-down global coordinates
};

// A display is covered when a visible, ordinary, not see-through window of another
// process fills at least 99.5 % of it. Displays are listed in system order; when two
// report the same identifier, the first one's bounds count for it.
QSet<QString> coveredDisplayIDs(const QList<DisplayBounds> &displays, const QList<WindowCoverageSnapshot> &windows,
                                qint32 excludingOwnerPID);

} // namespace FullScreenWindowDetector
} // namespace holdra
