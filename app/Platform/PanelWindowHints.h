#pragma once

class QWindow;

namespace holdra {

// What makes a frameless Holdra window part of the desktop rather than an
// ordinary window: on every workspace, out of the taskbar, above the others.
// Where the window system has no such hints every call does nothing.
class PanelWindowHints
{
public:
    virtual ~PanelWindowHints() = default;

    // Applies the hints now and again whenever the window is shown.
    virtual void apply(QWindow *window) = 0;
    // Call before the window's WindowDoesNotAcceptFocus flag changes.
    virtual void setTakesKeyboard(QWindow *window, bool takes) = 0;
    // Above full-screen windows too (true), or stacked as a dock (false).
    virtual void setAboveFullScreen(QWindow *window, bool above) = 0;
};

} // namespace holdra
