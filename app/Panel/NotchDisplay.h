#pragma once

#include <QList>
#include <QPointF>
#include <QRectF>
#include <QString>

#include <optional>

class QScreen;

namespace holdra {

// One connected display as the controller places windows on it. Geometry is in
// Qt's y-down logical desktop; the controller turns it into NotchMetrics.
//
// Qt keeps a scaled screen's top-left where X11 has it (native pixels) and
// divides only its extent by the scale, so logical and native coordinates
// differ by more than a factor once a screen is away from the origin. X11
// speaks native pixels (the window list, raw pointer presses); the conversion
// between the two lives here and nowhere else.
struct NotchDisplay
{
    QString id;
    QString name;             // for people: manufacturer and model, else the connector
    QRectF geometry;          // logical
    QRectF availableGeometry; // logical, less the top panel and docks
    double scale = 1;         // native pixels per logical unit
    // Qt screens have no camera housing, so these stay 0/absent on Linux.
    double safeAreaTop = 0;
    std::optional<double> auxiliaryTopLeftWidth;
    std::optional<double> auxiliaryTopRightWidth;
    QScreen *screen = nullptr;

    // The display in X11's native pixels.
    QRectF nativeGeometry() const;
    // A logical point or rectangle on this display in native pixels, and back.
    QPointF toNative(const QPointF &logical) const;
    QRectF toNative(const QRectF &logical) const;
    QPointF fromNative(const QPointF &native) const;

    // A native point as a logical one, through the display that holds it;
    // absent when no display does.
    static std::optional<QPointF> logicalPoint(const QList<NotchDisplay> &displays, const QPointF &native);

    // Qt's screens with their identifiers, the primary screen first. A screen
    // without a name (the offscreen platform) is named by its position.
    static QList<NotchDisplay> fromScreens(const QList<QScreen *> &screens, const QScreen *primary);
};

} // namespace holdra
