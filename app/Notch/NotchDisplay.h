#pragma once

#include <QList>
#include <QRectF>
#include <QString>

#include <optional>

class QScreen;

namespace holdra {

// One connected display as the controller places windows on it. Geometry is in
// Qt's y-down virtual desktop; the controller turns it into NotchMetrics.
struct NotchDisplay
{
    QString id;
    QRectF geometry;
    QRectF availableGeometry; // less the top panel and docks
    // Qt screens have no camera housing, so these stay 0/absent on Linux.
    double safeAreaTop = 0;
    std::optional<double> auxiliaryTopLeftWidth;
    std::optional<double> auxiliaryTopRightWidth;
    QScreen *screen = nullptr;

    // QGuiApplication::screens() in order (the primary screen first), each with
    // its identifier; screens without one are left out.
    static QList<NotchDisplay> current();
};

} // namespace holdra
