#pragma once

#include <QPointF>
#include <QRectF>

namespace holdra {

// What the controller does with the window of one display. The application's
// windows are NotchWindows; the controller's rules are tested over plain records.
class NotchWindowing
{
public:
    NotchWindowing() = default;
    virtual ~NotchWindowing() = default;
    NotchWindowing(const NotchWindowing &) = delete;
    NotchWindowing &operator=(const NotchWindowing &) = delete;

    // In Qt's y-down virtual desktop.
    virtual QRectF frame() const = 0;
    virtual void setFrame(const QRectF &frame) = 0;
    // Whether a point of the virtual desktop lies on the window's shape, which
    // may be smaller than its frame (the open panel's cut-away corners).
    virtual bool covers(const QPointF &point) const { return frame().contains(point); }
    // Shown without taking the keyboard focus.
    virtual void orderFront() = 0;
    // Shown and given the keyboard focus, so the panel's field and keys work.
    virtual void makeKeyAndOrderFront() = 0;
    virtual void orderOut() = 0;
};

} // namespace holdra
