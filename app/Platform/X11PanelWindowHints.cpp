#include "Platform/X11PanelWindowHints.h"

#include "Platform/DisplayServerProbe.h"
#include "Platform/PlatformLogging.h"
#include "Platform/X11Session.h"

#include <QDebug>
#include <QEvent>
#include <QVariant>
#include <QWindow>

#include <xcb/xcb.h>
#include <xcb/xcb_ewmh.h>

#include <cstdlib>

namespace holdra {

namespace {

constexpr uint32_t allDesktops = 0xffffffff;

// Qt's xcb window reads the window types it is to announce from this property
// whenever it sets its flags, and lists them before the type of Qt::Tool;
// 0x4 is _NET_WM_WINDOW_TYPE_DOCK. Writing the atom ourselves would be undone
// by Qt at the next flag change (the panel switches focus acceptance).
constexpr auto windowTypeProperty = "_q_xcb_wm_window_type";
constexpr int dockWindowType = 0x4;
constexpr auto reapplyOnExposeProperty = "holdraReapplyHintsOnExpose";
// _NET_WM_WINDOW_TYPE_NOTIFICATION: wlroots gives the keyboard to an
// unmanaged window when it is mapped unless its type says it wants none.
constexpr int notificationWindowType = 0x800;

} // namespace

struct X11PanelWindowHints::Ewmh
{
    xcb_ewmh_connection_t connection{};
    ~Ewmh() { xcb_ewmh_connection_wipe(&connection); }
};

X11PanelWindowHints::X11PanelWindowHints(QObject *parent)
    : QObject(parent)
{
    xcb_connection_t *connection = X11Session::qtConnection();
    if (!connection) {
        qCWarning(lcX11).noquote() << X11Session::unavailableMessage(
            QStringLiteral("the capsule is not pinned to every workspace"));
        return;
    }
    auto ewmh = std::make_unique<Ewmh>();
    if (xcb_ewmh_init_atoms_replies(&ewmh->connection, xcb_ewmh_init_atoms(connection, &ewmh->connection), nullptr))
        m_ewmh = std::move(ewmh);
    else
        qCWarning(lcX11).noquote()
            << "the X server answers no EWMH atoms; the capsule is not pinned to every workspace";
}

X11PanelWindowHints::~X11PanelWindowHints() = default;

void X11PanelWindowHints::apply(QWindow *window)
{
    if (!m_ewmh || !window)
        return;
    setTakesKeyboard(window, !window->flags().testFlag(Qt::WindowDoesNotAcceptFocus));
    window->removeEventFilter(this);
    window->installEventFilter(this);

    // Ask the server, not Qt: the window may be visible to Qt but not mapped yet.
    xcb_connection_t *connection = m_ewmh->connection.connection;
    const xcb_window_t id = xcb_window_t(window->winId());
    auto *attributes = xcb_get_window_attributes_reply(connection, xcb_get_window_attributes(connection, id), nullptr);
    const bool mapped = attributes && attributes->map_state != XCB_MAP_STATE_UNMAPPED;
    std::free(attributes);
    applyNow(window, mapped);
}

void X11PanelWindowHints::setTakesKeyboard(QWindow *window, bool takes)
{
    const bool wayland = DisplayServerProbe::isWaylandSession();
    window->setProperty(windowTypeProperty,
                        QVariant(wayland && !takes ? dockWindowType | notificationWindowType : dockWindowType));
    if (!wayland)
        return;
    // Qt announces a Tool as a utility, and wlroots gives an unmanaged utility
    // no keyboard even when clicked.
    const Qt::WindowType type = takes ? Qt::Window : Qt::Tool;
    if (window->type() != type)
        window->setFlags((window->flags() & ~Qt::WindowType_Mask) | type);
}

void X11PanelWindowHints::setAboveFullScreen(QWindow *window, bool above)
{
    // Under XWayland an unmanaged window is the only one compositors put where
    // it asks to be: they centre or tile managed ones.
    above = above || DisplayServerProbe::isWaylandSession();
    if (!window || window->flags().testFlag(Qt::X11BypassWindowManagerHint) == above)
        return;
    // Override-redirect is read when a window is mapped.
    const bool shown = window->isVisible();
    if (shown)
        window->hide();
    window->setFlag(Qt::X11BypassWindowManagerHint, above);
    if (shown) {
        window->show();
        window->raise();
    }
}

bool X11PanelWindowHints::eventFilter(QObject *watched, QEvent *event)
{
    // Qt sends the show event before it maps the window and merges the
    // window-state hints it finds on it, so set as on a withdrawn window.
    auto *window = static_cast<QWindow *>(watched);
    if (event->type() == QEvent::Show) {
        applyNow(window, false);
        window->setProperty(reapplyOnExposeProperty, true);
    } else if (event->type() == QEvent::Expose && window->property(reapplyOnExposeProperty).toBool()) {
        // A window manager still unmanaging the window's last showing may wipe
        // what was set above; once mapped, asking it again cannot be undone so.
        window->setProperty(reapplyOnExposeProperty, false);
        applyNow(window, true);
    } else if (event->type() == QEvent::Expose && window->isVisible() && !window->isExposed()
               && window->flags().testFlag(Qt::X11BypassWindowManagerHint)) {
        // Nobody may unmap an unmanaged window but a window manager late in
        // letting go of its managed showing: map it again once it has.
        QMetaObject::invokeMethod(
            window,
            [window] {
                if (!window->isVisible() || window->isExposed())
                    return;
                window->hide();
                window->show();
                window->raise();
            },
            Qt::QueuedConnection);
    }
    return false;
}

void X11PanelWindowHints::applyNow(QWindow *window, bool mapped)
{
    xcb_ewmh_connection_t *ewmh = &m_ewmh->connection;
    const xcb_window_t id = xcb_window_t(window->winId());
    xcb_atom_t wanted[] = {ewmh->_NET_WM_STATE_STICKY, ewmh->_NET_WM_STATE_SKIP_TASKBAR, ewmh->_NET_WM_STATE_SKIP_PAGER,
                           ewmh->_NET_WM_STATE_ABOVE};

    if (mapped) {
        // A mapped window belongs to the window manager: ask it.
        xcb_ewmh_request_change_wm_desktop(ewmh, 0, id, allDesktops, XCB_EWMH_CLIENT_SOURCE_TYPE_NORMAL);
        xcb_ewmh_request_change_wm_state(ewmh, 0, id, XCB_EWMH_WM_STATE_ADD, wanted[0], wanted[1],
                                         XCB_EWMH_CLIENT_SOURCE_TYPE_NORMAL);
        xcb_ewmh_request_change_wm_state(ewmh, 0, id, XCB_EWMH_WM_STATE_ADD, wanted[2], wanted[3],
                                         XCB_EWMH_CLIENT_SOURCE_TYPE_NORMAL);
    } else {
        // Keep whatever state atoms are set already and add ours.
        QList<xcb_atom_t> atoms;
        xcb_ewmh_get_atoms_reply_t current{};
        if (xcb_ewmh_get_wm_state_reply(ewmh, xcb_ewmh_get_wm_state(ewmh, id), &current, nullptr)) {
            atoms = QList<xcb_atom_t>(current.atoms, current.atoms + current.atoms_len);
            xcb_ewmh_get_atoms_reply_wipe(&current);
        }
        for (const xcb_atom_t atom : wanted) {
            if (!atoms.contains(atom))
                atoms.append(atom);
        }
        xcb_ewmh_set_wm_state(ewmh, id, uint32_t(atoms.size()), atoms.data());
        xcb_ewmh_set_wm_desktop(ewmh, id, allDesktops);
    }
    xcb_flush(ewmh->connection);
}

} // namespace holdra
