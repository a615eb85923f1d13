#pragma once

#include <QObject>

#include <memory>

class QWindow;

namespace holdra {

// Makes Holdra's frameless panels behave like part of the desktop on EWMH
// window managers: on every workspace (sticky), above normal windows, and
// absent from the taskbar and the pager. Qt has no flags for sticky or pager,
// so the hints are set here, before each mapping (the window manager drops
// them when a window is withdrawn) and by request for windows already shown.
class X11PanelWindowHints : public QObject
{
    Q_OBJECT

public:
    explicit X11PanelWindowHints(QObject *parent = nullptr);
    ~X11PanelWindowHints() override;

    bool isAvailable() const { return m_ewmh != nullptr; }

    // Applies the hints now and again whenever the window is shown.
    void apply(QWindow *window);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Ewmh;
    void applyNow(QWindow *window, bool mapped);

    std::unique_ptr<Ewmh> m_ewmh;
};

} // namespace holdra
