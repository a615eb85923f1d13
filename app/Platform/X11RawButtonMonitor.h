#pragma once

#include "Platform/OutsideClickMonitor.h"

struct xcb_connection_t;
class QSocketNotifier;

namespace holdra {

// Reports left and right mouse-button presses anywhere on the X display, the
// desktop background and other programs' windows included, through XInput 2
// raw events on the root window. The open panel closes on a press outside
// itself; focus loss cannot see a click on the desktop. The monitor uses a
// connection of its own, read on the main thread, and listens only while
// started, so the closed capsule costs nothing per click.
class X11RawButtonMonitor : public OutsideClickMonitor
{
    Q_OBJECT

public:
    explicit X11RawButtonMonitor(QObject *parent = nullptr);
    ~X11RawButtonMonitor() override;

    bool isAvailable() const override { return m_connection != nullptr; }
    bool isActive() const { return m_active; }

    void start() override;
    void stop() override;

private:
    void select(bool active);
    void readEvents();

    xcb_connection_t *m_connection = nullptr;
    quint32 m_root = 0;
    quint8 m_xinputOpcode = 0;
    QSocketNotifier *m_notifier = nullptr;
    bool m_active = false;
};

} // namespace holdra
