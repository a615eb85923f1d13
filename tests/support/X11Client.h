#pragma once

#include <QString>

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <cstdlib>

namespace holdra::test {

// Another X client beside the application under test, on its own connection
// to $DISPLAY: it holds key grabs the application must compete with.
class X11Client
{
public:
    X11Client()
        : m_connection(xcb_connect(nullptr, nullptr))
    {
    }
    ~X11Client() { xcb_disconnect(m_connection); }

    X11Client(const X11Client &) = delete;
    X11Client &operator=(const X11Client &) = delete;

    xcb_connection_t *connection() const { return m_connection; }
    xcb_window_t root() const { return xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root; }

    // Grabs exactly this combination (no lock variants); true when the server agreed.
    bool grabKey(quint32 keysym, quint16 modifiers)
    {
        xcb_key_symbols_t *symbols = xcb_key_symbols_alloc(m_connection);
        xcb_keycode_t *codes = xcb_key_symbols_get_keycode(symbols, keysym);
        bool grabbed = codes && *codes != XCB_NO_SYMBOL;
        for (xcb_keycode_t *c = codes; c && *c != XCB_NO_SYMBOL; ++c) {
            xcb_generic_error_t *error = xcb_request_check(
                m_connection,
                xcb_grab_key_checked(m_connection, 0, root(), modifiers, *c, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
            grabbed = grabbed && !error;
            std::free(error);
        }
        std::free(codes);
        xcb_key_symbols_free(symbols);
        return grabbed;
    }

    void ungrabAllKeys()
    {
        xcb_ungrab_key(m_connection, XCB_GRAB_ANY, root(), XCB_MOD_MASK_ANY);
        // A round trip: the server has let go before this returns.
        std::free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
    }

private:
    xcb_connection_t *m_connection;
};

} // namespace holdra::test
