#include "Platform/X11RawButtonMonitor.h"

#include "Platform/PlatformLogging.h"
#include "Platform/X11Session.h"

#include <QDebug>
#include <QSocketNotifier>

#include <xcb/xcb.h>
#include <xcb/xinput.h>

#include <cstdlib>
#include <memory>

namespace holdra {

namespace {

constexpr quint32 leftButton = 1;
constexpr quint32 rightButton = 3;

template<typename Reply>
std::unique_ptr<Reply, decltype(&std::free)> own(Reply *reply)
{
    return {reply, &std::free};
}

} // namespace

X11RawButtonMonitor::X11RawButtonMonitor(QObject *parent)
    : OutsideClickMonitor(parent)
{
    const QString off = QStringLiteral("clicks outside the panel are noticed only through focus loss");
    if (!X11Session::isAvailable()) {
        qCWarning(lcX11).noquote() << X11Session::unavailableMessage(off);
        return;
    }
    xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
    const xcb_query_extension_reply_t *extension =
        xcb_connection_has_error(connection) ? nullptr : xcb_get_extension_data(connection, &xcb_input_id);
    // Announcing 2.2 matters: from 2.1 on raw events arrive even while another
    // client (the window manager's click-to-focus) holds a pointer grab.
    auto version =
        own(extension && extension->present
                ? xcb_input_xi_query_version_reply(connection, xcb_input_xi_query_version(connection, 2, 2), nullptr)
                : nullptr);
    if (!version || version->major_version < 2) {
        xcb_disconnect(connection);
        qCWarning(lcX11).noquote() << "the X server has no XInput 2;" << off;
        return;
    }
    m_connection = connection;
    m_root = X11Session::rootWindow(connection);
    m_xinputOpcode = extension->major_opcode;
    m_notifier = new QSocketNotifier(xcb_get_file_descriptor(connection), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &X11RawButtonMonitor::readEvents);
}

X11RawButtonMonitor::~X11RawButtonMonitor()
{
    if (m_connection) {
        delete m_notifier;
        xcb_disconnect(m_connection);
    }
}

void X11RawButtonMonitor::start()
{
    if (m_connection && !m_active)
        select(true);
}

void X11RawButtonMonitor::stop()
{
    if (m_connection && m_active)
        select(false);
}

void X11RawButtonMonitor::select(bool active)
{
    struct
    {
        xcb_input_event_mask_t head;
        uint32_t bits;
    } mask{{XCB_INPUT_DEVICE_ALL_MASTER, 1}, active ? uint32_t(XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_PRESS) : 0u};
    xcb_input_xi_select_events(m_connection, m_root, 1, &mask.head);
    xcb_flush(m_connection);
    m_active = active;
}

void X11RawButtonMonitor::readEvents()
{
    while (auto event = own(xcb_poll_for_event(m_connection))) {
        if ((event->response_type & 0x7f) != XCB_GE_GENERIC)
            continue;
        const auto *generic = reinterpret_cast<const xcb_ge_generic_event_t *>(event.get());
        if (generic->extension != m_xinputOpcode || generic->event_type != XCB_INPUT_RAW_BUTTON_PRESS)
            continue;
        // Presses still queued from before stop() do not count.
        const auto *press = reinterpret_cast<const xcb_input_raw_button_press_event_t *>(event.get());
        if (!m_active || (press->detail != leftButton && press->detail != rightButton))
            continue;
        // Raw events carry no position; the pointer is where the press happened.
        auto pointer = own(xcb_query_pointer_reply(m_connection, xcb_query_pointer(m_connection, m_root), nullptr));
        if (pointer)
            Q_EMIT buttonPressed(QPoint(pointer->root_x, pointer->root_y));
    }
    if (xcb_connection_has_error(m_connection)) {
        // The server went away: a dead socket would keep the notifier firing.
        m_notifier->setEnabled(false);
        m_active = false;
        qCWarning(lcX11).noquote()
            << "lost the X11 connection; clicks outside the panel are noticed only through focus loss";
    }
}

} // namespace holdra
