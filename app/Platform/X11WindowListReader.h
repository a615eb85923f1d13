#pragma once

#include <QList>
#include <QRect>

#include <memory>

namespace holdra {

// Reads the window manager's client list (_NET_CLIENT_LIST_STACKING) into plain
// records, and can watch it for changes. It keeps a connection of its own to the X server, so it may run on a
// worker thread while Qt's connection serves the main thread; create it
// anywhere, but call read() from one thread at a time.
class X11WindowListReader
{
public:
    struct Window
    {
        quint32 id = 0;
        qint32 ownerPid = 0;   // _NET_WM_PID; 0 when the client does not say
        int layer = 0;         // 0 for normal application windows, 1 for every other type
        double alpha = 1.0;    // _NET_WM_WINDOW_OPACITY, opaque when absent
        QRect bounds;          // root window coordinates: origin top left, y down, pixels
        bool onScreen = false; // mapped, not hidden/minimised, on the current desktop or sticky
    };

    X11WindowListReader();
    ~X11WindowListReader();

    X11WindowListReader(const X11WindowListReader &) = delete;
    X11WindowListReader &operator=(const X11WindowListReader &) = delete;

    bool isAvailable() const { return m_connection != nullptr; }

    // Every managed window, bottom to top. Two round trips whatever the number
    // of windows: the list first, then all per-window requests in one batch.
    QList<Window> read() const;

    // From now on the server reports changes of the list, of the current
    // desktop and of each listed window's state, type, opacity, desktop,
    // mapping and geometry; every read() extends the watch to new windows
    // before it asks about them, so no change slips between the two.
    void watchChanges();
    // The connection's socket, readable when reports are waiting; -1 without one.
    int socketDescriptor() const;
    // Takes every report off the connection: true when one may change what
    // read() returns.
    bool takeChanges() const;
    // False once the X server is gone; nothing more will be reported.
    bool isConnected() const;

private:
    struct Connection;
    std::unique_ptr<Connection> m_connection;
};

} // namespace holdra
