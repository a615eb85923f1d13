#include "Panel/NotchDisplay.h"

#include "Desktop/DisplayIdentity.h"

#include <QScreen>
#include <QStringList>

namespace holdra {

QRectF NotchDisplay::nativeGeometry() const
{
    return QRectF(geometry.topLeft(), geometry.size() * scale);
}

QPointF NotchDisplay::toNative(const QPointF &logical) const
{
    return geometry.topLeft() + (logical - geometry.topLeft()) * scale;
}

QRectF NotchDisplay::toNative(const QRectF &logical) const
{
    return QRectF(toNative(logical.topLeft()), logical.size() * scale);
}

QPointF NotchDisplay::fromNative(const QPointF &native) const
{
    return geometry.topLeft() + (native - geometry.topLeft()) / scale;
}

std::optional<QPointF> NotchDisplay::logicalPoint(const QList<NotchDisplay> &displays, const QPointF &native)
{
    for (const NotchDisplay &display : displays) {
        const QRectF bounds = display.nativeGeometry();
        // Maximum edges excluded, so that a point on a seam belongs to one display.
        if (native.x() >= bounds.left() && native.x() < bounds.right() && native.y() >= bounds.top()
            && native.y() < bounds.bottom())
            return display.fromNative(native);
    }
    return std::nullopt;
}

QList<NotchDisplay> NotchDisplay::fromScreens(const QList<QScreen *> &screens, const QScreen *primary)
{
    QList<NotchDisplay> displays;
    for (qsizetype i = 0; i < screens.size(); ++i) {
        QScreen *screen = screens[i];
        // Only a platform without screen names (offscreen) falls back on the position.
        const QString name = screen->name().isEmpty() ? QString::number(i + 1) : screen->name();
        const std::optional<QString> id =
            DisplayIdentity::identifier({name, screen->manufacturer(), screen->model(), screen->serialNumber()});
        if (!id)
            continue;
        NotchDisplay display;
        display.id = *id;
        display.name = QStringList{screen->manufacturer().trimmed(), screen->model().trimmed()}.join(u' ').trimmed();
        if (display.name.isEmpty())
            display.name = name;
        display.geometry = screen->geometry();
        display.availableGeometry = screen->availableGeometry();
        display.scale = screen->devicePixelRatio();
        display.screen = screen;
        // Qt lists the primary screen first on xcb, but not on every platform.
        if (screen == primary)
            displays.prepend(display);
        else
            displays.append(display);
    }
    return displays;
}

} // namespace holdra
