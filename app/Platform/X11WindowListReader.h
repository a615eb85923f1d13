#pragma once

#include "Notch/WindowCoverageSnapshot.h"

#include <QList>
#include <QRect>

#include <functional>
#include <memory>

namespace holdra {

// Reads the window manager's client list (_NET_CLIENT_LIST_STACKING) into plain
// records. It keeps a connection of its own to the X server, so it may run on a
// worker thread while Qt's connection serves the main thread; create it
// anywhere, but call read() from one thread at a time.
class X11WindowListReader
{
public:
    struct Window
    {
        quint32 id = 0;
        qint32 ownerPid = 0;  // _NET_WM_PID; 0 when the client does not say
        int layer = 0;        // 0 for normal application windows, 1 for every other type
        double alpha = 1.0;   // _NET_WM_WINDOW_OPACITY, opaque when absent
        QRect bounds;         // root window coordinates: origin top left, y down, pixels
        bool onScreen = false; // mapped, not hidden/minimised, on the current desktop or sticky
    };

    X11WindowListReader();
    ~X11WindowListReader();

    // The window list as the full-screen rule reads it, from a reader made on
    // first use by the thread that polls.
    static std::function<QList<WindowCoverageSnapshot>()> coverageSource();

    X11WindowListReader(const X11WindowListReader &) = delete;
    X11WindowListReader &operator=(const X11WindowListReader &) = delete;

    bool isAvailable() const { return m_connection != nullptr; }

    // Every managed window, bottom to top. Two round trips whatever the number
    // of windows: the list first, then all per-window requests in one batch.
    QList<Window> read() const;

private:
    struct Connection;
    std::unique_ptr<Connection> m_connection;
};

} // namespace holdra
