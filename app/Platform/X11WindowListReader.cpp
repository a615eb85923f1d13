#include "Platform/X11WindowListReader.h"

#include "App/AppLogging.h"
#include "Platform/X11Session.h"

#include <QDebug>

#include <xcb/xcb.h>
#include <xcb/xcb_ewmh.h>

#include <cstdlib>
#include <cstring>

namespace holdra {

namespace {

constexpr quint32 allDesktops = 0xffffffff;

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
    explicit Connection(xcb_connection_t *connection) : connection(connection) {}
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
};

X11WindowListReader::X11WindowListReader()
{
    if (!X11Session::isAvailable()) {
        qCWarning(lcX11).noquote() << X11Session::unavailableMessage(QStringLiteral("full-screen windows are not detected"));
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
    for (uint32_t i = 0; i < stacking.windows_len; ++i) {
        const xcb_window_t window = stacking.windows[i];
        pending.append({window,
                        xcb_get_window_attributes(connection, window),
                        xcb_get_geometry(connection, window),
                        xcb_translate_coordinates(connection, window, root, 0, 0),
                        xcb_ewmh_get_wm_pid(ewmh, window),
                        xcb_ewmh_get_wm_window_type(ewmh, window),
                        xcb_get_property(connection, 0, window, m_connection->opacity, XCB_ATOM_CARDINAL, 0, 1),
                        xcb_ewmh_get_wm_state(ewmh, window),
                        xcb_ewmh_get_wm_desktop(ewmh, window)});
    }
    xcb_ewmh_get_windows_reply_wipe(&stacking);

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
        const bool onCurrentDesktop = !hasDesktop || !knowsDesktop || desktop == allDesktops || desktop == currentDesktop;
        record.onScreen = attributes->map_state == XCB_MAP_STATE_VIEWABLE && !hidden && onCurrentDesktop;
        windows.append(record);
    }
    return windows;
}

std::function<QList<WindowCoverageSnapshot>()> X11WindowListReader::coverageSource()
{
    auto reader = std::make_shared<std::unique_ptr<X11WindowListReader>>();
    return [reader] {
        if (!*reader)
            *reader = std::make_unique<X11WindowListReader>();
        QList<WindowCoverageSnapshot> windows;
        for (const Window &window : (*reader)->read()) {
            WindowCoverageSnapshot snapshot;
            snapshot.ownerPID = window.ownerPid;
            snapshot.layer = window.layer;
            snapshot.alpha = window.alpha;
            snapshot.bounds = QRectF(window.bounds);
            snapshot.onScreen = window.onScreen;
            windows.append(snapshot);
        }
        return windows;
    };
}

} // namespace holdra
