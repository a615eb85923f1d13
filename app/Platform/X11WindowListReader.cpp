#include "Platform/X11WindowListReader.h"

#include "Platform/PlatformLogging.h"
#include "Platform/X11Session.h"

#include <QDebug>
#include <QSet>

#include <xcb/xcb.h>
#include <xcb/xcb_ewmh.h>

#include <cstdlib>
#include <cstring>

namespace holdra {

namespace {

constexpr quint32 allDesktops = 0xffffffff;
constexpr uint32_t watchMask = XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_STRUCTURE_NOTIFY;

template<typename Reply>
using ReplyPointer = std::unique_ptr<Reply, decltype(&std::free)>;

template<typename Reply>
ReplyPointer<Reply> own(Reply *reply)
{
    return ReplyPointer<Reply>(reply, &std::free);
}

} // namespace

struct X11WindowListReader::Connection
{
    explicit Connection(xcb_connection_t *opened)
        : connection(opened)
    {
    }
    ~Connection()
    {
        if (atomsReady)
            xcb_ewmh_connection_wipe(&ewmh);
        xcb_disconnect(connection);
    }

    xcb_connection_t *connection;
    xcb_ewmh_connection_t ewmh{};
    bool atomsReady = false;
    xcb_atom_t opacity = XCB_ATOM_NONE;
    bool watching = false;
    // The windows whose changes are already reported to us.
    QSet<xcb_window_t> watched;

    // The properties read() depends on, on the root or on a client.
    bool matters(xcb_atom_t atom) const
    {
        return atom == ewmh._NET_CLIENT_LIST_STACKING || atom == ewmh._NET_CLIENT_LIST
            || atom == ewmh._NET_ACTIVE_WINDOW || atom == ewmh._NET_CURRENT_DESKTOP || atom == ewmh._NET_WM_STATE
            || atom == ewmh._NET_WM_WINDOW_TYPE || atom == ewmh._NET_WM_DESKTOP || atom == ewmh._NET_WM_PID
            || atom == opacity;
    }

    bool matters(const xcb_generic_event_t &event) const
    {
        switch (event.response_type & ~0x80) {
        case XCB_PROPERTY_NOTIFY:
            return matters(reinterpret_cast<const xcb_property_notify_event_t &>(event).atom);
        case XCB_CONFIGURE_NOTIFY:
        case XCB_MAP_NOTIFY:
        case XCB_UNMAP_NOTIFY:
        case XCB_DESTROY_NOTIFY:
        case XCB_REPARENT_NOTIFY:
        case XCB_GRAVITY_NOTIFY:
            return true;
        default:
            // Errors included: a window that vanished before its watch arrived.
            return false;
        }
    }
};

X11WindowListReader::X11WindowListReader()
{
    if (!X11Session::isAvailable()) {
        qCWarning(lcX11).noquote() << X11Session::unavailableMessage(
            QStringLiteral("full-screen windows are not detected"));
        return;
    }
    xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        qCWarning(lcX11).noquote() << "cannot open a second X11 connection; full-screen windows are not detected";
        return;
    }
    auto state = std::make_unique<Connection>(connection);
    const xcb_intern_atom_cookie_t opacityCookie =
        xcb_intern_atom(connection, 0, std::strlen("_NET_WM_WINDOW_OPACITY"), "_NET_WM_WINDOW_OPACITY");
    xcb_intern_atom_cookie_t *ewmhCookies = xcb_ewmh_init_atoms(connection, &state->ewmh);
    state->atomsReady = xcb_ewmh_init_atoms_replies(&state->ewmh, ewmhCookies, nullptr);
    auto opacityReply = own(xcb_intern_atom_reply(connection, opacityCookie, nullptr));
    if (!state->atomsReady) {
        qCWarning(lcX11).noquote() << "the X server answers no EWMH atoms; full-screen windows are not detected";
        return;
    }
    if (opacityReply)
        state->opacity = opacityReply->atom;
    m_connection = std::move(state);
}

X11WindowListReader::~X11WindowListReader() = default;

QList<X11WindowListReader::Window> X11WindowListReader::read() const
{
    if (!m_connection)
        return {};
    xcb_ewmh_connection_t *ewmh = &m_connection->ewmh;
    xcb_connection_t *connection = m_connection->connection;
    if (xcb_connection_has_error(connection))
        return {};

    const xcb_get_property_cookie_t stackingCookie = xcb_ewmh_get_client_list_stacking(ewmh, 0);
    const xcb_get_property_cookie_t desktopCookie = xcb_ewmh_get_current_desktop(ewmh, 0);
    xcb_ewmh_get_windows_reply_t stacking{};
    if (!xcb_ewmh_get_client_list_stacking_reply(ewmh, stackingCookie, &stacking, nullptr)) {
        std::free(xcb_get_property_reply(connection, desktopCookie, nullptr));
        return {};
    }
    uint32_t currentDesktop = 0;
    const bool knowsDesktop = xcb_ewmh_get_current_desktop_reply(ewmh, desktopCookie, &currentDesktop, nullptr);

    struct Pending
    {
        xcb_window_t window;
        xcb_get_window_attributes_cookie_t attributes;
        xcb_get_geometry_cookie_t geometry;
        xcb_translate_coordinates_cookie_t origin;
        xcb_get_property_cookie_t pid, type, opacity, state, desktop;
    };
    QList<Pending> pending;
    pending.reserve(qsizetype(stacking.windows_len));
    const xcb_window_t root = ewmh->screens[0]->root;
    QSet<xcb_window_t> listed;
    for (uint32_t i = 0; i < stacking.windows_len; ++i) {
        const xcb_window_t window = stacking.windows[i];
        // The server handles requests in order: the watch precedes the reads below.
        if (m_connection->watching && !m_connection->watched.contains(window))
            xcb_change_window_attributes(connection, window, XCB_CW_EVENT_MASK, &watchMask);
        listed.insert(window);
        pending.append({window, xcb_get_window_attributes(connection, window), xcb_get_geometry(connection, window),
                        xcb_translate_coordinates(connection, window, root, 0, 0), xcb_ewmh_get_wm_pid(ewmh, window),
                        xcb_ewmh_get_wm_window_type(ewmh, window),
                        xcb_get_property(connection, 0, window, m_connection->opacity, XCB_ATOM_CARDINAL, 0, 1),
                        xcb_ewmh_get_wm_state(ewmh, window), xcb_ewmh_get_wm_desktop(ewmh, window)});
    }
    xcb_ewmh_get_windows_reply_wipe(&stacking);
    m_connection->watched = std::move(listed);

    // Every reply is taken, even for a window that vanished meanwhile, so
    // that none is left queued on the connection.
    QList<Window> windows;
    windows.reserve(pending.size());
    for (const Pending &request : pending) {
        auto attributes = own(xcb_get_window_attributes_reply(connection, request.attributes, nullptr));
        auto geometry = own(xcb_get_geometry_reply(connection, request.geometry, nullptr));
        auto origin = own(xcb_translate_coordinates_reply(connection, request.origin, nullptr));
        uint32_t pid = 0;
        const bool hasPid = xcb_ewmh_get_wm_pid_reply(ewmh, request.pid, &pid, nullptr);
        xcb_ewmh_get_atoms_reply_t types{};
        const bool hasType = xcb_ewmh_get_wm_window_type_reply(ewmh, request.type, &types, nullptr);
        auto opacity = own(xcb_get_property_reply(connection, request.opacity, nullptr));
        xcb_ewmh_get_atoms_reply_t states{};
        const bool hasState = xcb_ewmh_get_wm_state_reply(ewmh, request.state, &states, nullptr);
        uint32_t desktop = allDesktops;
        const bool hasDesktop = xcb_ewmh_get_wm_desktop_reply(ewmh, request.desktop, &desktop, nullptr);

        bool hidden = false;
        if (hasState) {
            for (uint32_t i = 0; i < states.atoms_len; ++i)
                hidden = hidden || states.atoms[i] == ewmh->_NET_WM_STATE_HIDDEN;
            xcb_ewmh_get_atoms_reply_wipe(&states);
        }
        // The first type is the one the client prefers; no type means normal.
        bool normal = true;
        if (hasType) {
            normal = types.atoms_len == 0 || types.atoms[0] == ewmh->_NET_WM_WINDOW_TYPE_NORMAL;
            xcb_ewmh_get_atoms_reply_wipe(&types);
        }
        if (!attributes || !geometry || !origin)
            continue;

        Window record;
        record.id = request.window;
        record.ownerPid = hasPid ? qint32(pid) : 0;
        record.layer = normal ? 0 : 1;
        if (opacity && opacity->format == 32 && xcb_get_property_value_length(opacity.get()) == 4) {
            const uint32_t value = *static_cast<const uint32_t *>(xcb_get_property_value(opacity.get()));
            record.alpha = double(value) / double(0xffffffffu);
        }
        record.bounds = QRect(origin->dst_x, origin->dst_y, geometry->width, geometry->height);
        const bool onCurrentDesktop =
            !hasDesktop || !knowsDesktop || desktop == allDesktops || desktop == currentDesktop;
        record.onScreen = attributes->map_state == XCB_MAP_STATE_VIEWABLE && !hidden && onCurrentDesktop;
        windows.append(record);
    }
    return windows;
}

void X11WindowListReader::watchChanges()
{
    if (!m_connection || m_connection->watching)
        return;
    m_connection->watching = true;
    xcb_change_window_attributes(m_connection->connection, m_connection->ewmh.screens[0]->root, XCB_CW_EVENT_MASK,
                                 &watchMask);
    xcb_flush(m_connection->connection);
}

int X11WindowListReader::socketDescriptor() const
{
    return m_connection ? xcb_get_file_descriptor(m_connection->connection) : -1;
}

bool X11WindowListReader::takeChanges() const
{
    if (!m_connection)
        return false;
    bool changed = false;
    while (xcb_generic_event_t *event = xcb_poll_for_event(m_connection->connection)) {
        changed = changed || m_connection->matters(*event);
        std::free(event);
    }
    return changed;
}

bool X11WindowListReader::isConnected() const
{
    return m_connection && !xcb_connection_has_error(m_connection->connection);
}

} // namespace holdra
