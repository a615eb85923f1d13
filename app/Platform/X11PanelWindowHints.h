#pragma once

#include "Platform/PanelWindowHints.h"

#include <QObject>

#include <memory>

class QWindow;

namespace holdra {

// Makes Holdra's frameless panels behave like part of the desktop on EWMH
// window managers: a dock (so "show desktop" leaves it, as it leaves panels),
// on every workspace (sticky), above normal windows, and absent from the
// taskbar and the pager. Qt has no flags for sticky or pager, so the hints are
// set here, before each mapping (the window manager drops them when a window is
// withdrawn) and by request for windows already shown.
//
// Window managers stack a focused full-screen window above docks. A window
// that is to show over full-screen windows therefore bypasses the window
// manager instead: the X server stacks it above every managed window.
//
// Under XWayland the windows always bypass the window manager: Wayland
// compositors place managed X11 windows themselves (sway centres a floating
// one, tiles the rest) but show an unmanaged one at its own position, above
// the managed ones. While it takes no keyboard it is typed as a notification
// too, so that wlroots does not hand it the keyboard when it appears; the open
// panel drops that type, so that a click gives it the keyboard.
class X11PanelWindowHints : public QObject, public PanelWindowHints
{
    Q_OBJECT

public:
    explicit X11PanelWindowHints(QObject *parent = nullptr);
    ~X11PanelWindowHints() override;

    bool isAvailable() const { return m_ewmh != nullptr; }

    // Applies the hints now and again whenever the window is shown.
    void apply(QWindow *window) override;

    // Call before the window's WindowDoesNotAcceptFocus flag changes, which
    // makes Qt announce the window's types again.
    void setTakesKeyboard(QWindow *window, bool takes) override;

    // Managed as a dock (false), or above everything, full-screen windows
    // included (true; always in a Wayland session). A shown window is shown
    // again, so that the change takes.
    void setAboveFullScreen(QWindow *window, bool above) override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Ewmh;
    void applyNow(QWindow *window, bool mapped);

    std::unique_ptr<Ewmh> m_ewmh;
};

} // namespace holdra
