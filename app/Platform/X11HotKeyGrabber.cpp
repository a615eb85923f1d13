#include "Platform/X11HotKeyGrabber.h"

#include "Platform/PlatformLogging.h"
#include "Platform/X11Session.h"

#include <QCoreApplication>
#include <QDebug>

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <cstdlib>
#include <memory>

namespace holdra {

namespace {

constexpr quint32 numLockKeysym = 0xff7f; // XK_Num_Lock
constexpr quint16 coreModifierBits = 0xff;

struct KeySymbolsDeleter
{
    void operator()(xcb_key_symbols_t *symbols) const { xcb_key_symbols_free(symbols); }
};
using KeySymbols = std::unique_ptr<xcb_key_symbols_t, KeySymbolsDeleter>;

// The modifier bit that NumLock sets on this server (usually Mod2), or 0.
quint16 findNumLockMask(xcb_connection_t *connection, xcb_key_symbols_t *symbols)
{
    std::unique_ptr<xcb_keycode_t, decltype(&std::free)> numLockCodes(
        xcb_key_symbols_get_keycode(symbols, numLockKeysym), &std::free);
    if (!numLockCodes)
        return 0;
    std::unique_ptr<xcb_get_modifier_mapping_reply_t, decltype(&std::free)> mapping(
        xcb_get_modifier_mapping_reply(connection, xcb_get_modifier_mapping(connection), nullptr), &std::free);
    if (!mapping)
        return 0;
    const xcb_keycode_t *table = xcb_get_modifier_mapping_keycodes(mapping.get());
    const int perModifier = mapping->keycodes_per_modifier;
    for (int modifier = 0; modifier < 8; ++modifier) {
        for (int i = 0; i < perModifier; ++i) {
            const xcb_keycode_t code = table[modifier * perModifier + i];
            for (const xcb_keycode_t *c = numLockCodes.get(); code && *c != XCB_NO_SYMBOL; ++c) {
                if (*c == code)
                    return quint16(1u << modifier);
            }
        }
    }
    return 0;
}

} // namespace

X11HotKeyGrabber::X11HotKeyGrabber(QObject *parent)
    : QObject(parent)
    , m_connection(X11Session::qtConnection())
{
    if (!m_connection) {
        qCWarning(lcHotKey).noquote() << X11Session::unavailableMessage(QStringLiteral("the global hot key is off"));
        return;
    }
    m_root = X11Session::rootWindow(m_connection);
    QCoreApplication::instance()->installNativeEventFilter(this);
}

X11HotKeyGrabber::~X11HotKeyGrabber()
{
    ungrab();
}

std::optional<quint32> X11HotKeyGrabber::unshiftedKeysym(quint32 keycode)
{
    xcb_connection_t *connection = X11Session::qtConnection();
    if (!connection || keycode < 8 || keycode > 255)
        return std::nullopt;
    const KeySymbols symbols(xcb_key_symbols_alloc(connection));
    const xcb_keysym_t keysym = xcb_key_symbols_get_keysym(symbols.get(), xcb_keycode_t(keycode), 0);
    if (keysym == XCB_NO_SYMBOL)
        return std::nullopt;
    return quint32(keysym);
}

X11HotKeyGrabber::Result X11HotKeyGrabber::grab(quint32 keysym, quint16 modifiers)
{
    ungrab();
    if (!m_connection)
        return {Result::Unavailable, 0};

    const KeySymbols symbols(xcb_key_symbols_alloc(m_connection));
    std::unique_ptr<xcb_keycode_t, decltype(&std::free)> codes(xcb_key_symbols_get_keycode(symbols.get(), keysym),
                                                               &std::free);
    QList<quint8> keycodes;
    for (const xcb_keycode_t *c = codes.get(); c && *c != XCB_NO_SYMBOL; ++c) {
        if (!keycodes.contains(*c))
            keycodes.append(*c);
    }
    if (keycodes.isEmpty())
        return {Result::UnknownKey, 0};

    m_numLockMask = findNumLockMask(m_connection, symbols.get());
    modifiers &= coreModifierBits;

    // Send every grab first, then collect the answers: one round trip.
    QList<xcb_void_cookie_t> cookies;
    for (const quint8 keycode : keycodes) {
        for (const quint16 variant : lockVariants()) {
            // owner_events false: even while one of our own windows has the focus,
            // the press comes to the root window and so to this filter.
            cookies.append(xcb_grab_key_checked(m_connection, 0, m_root, modifiers | variant, keycode,
                                                XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
        }
    }
    int errorCode = 0;
    for (const xcb_void_cookie_t cookie : cookies) {
        if (xcb_generic_error_t *error = xcb_request_check(m_connection, cookie)) {
            if (errorCode == 0)
                errorCode = error->error_code;
            std::free(error);
        }
    }
    if (errorCode != 0) {
        // Ungrabbing only releases our own grabs, so this undoes the partial ones.
        ungrabKeycodes(keycodes, modifiers);
        return {Result::Failed, errorCode};
    }
    m_keycodes = keycodes;
    m_modifiers = modifiers;
    m_held = false;
    return {Result::Grabbed, 0};
}

void X11HotKeyGrabber::ungrab()
{
    if (m_keycodes.isEmpty())
        return;
    ungrabKeycodes(m_keycodes, m_modifiers);
    m_keycodes.clear();
    m_held = false;
}

QList<quint16> X11HotKeyGrabber::lockVariants() const
{
    QList<quint16> variants{0, XCB_MOD_MASK_LOCK};
    if (m_numLockMask != 0 && m_numLockMask != XCB_MOD_MASK_LOCK)
        variants += {m_numLockMask, quint16(m_numLockMask | XCB_MOD_MASK_LOCK)};
    return variants;
}

void X11HotKeyGrabber::ungrabKeycodes(const QList<quint8> &keycodes, quint16 modifiers)
{
    for (const quint8 keycode : keycodes) {
        for (const quint16 variant : lockVariants())
            xcb_ungrab_key(m_connection, keycode, m_root, modifiers | variant);
    }
    xcb_flush(m_connection);
}

bool X11HotKeyGrabber::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (m_keycodes.isEmpty() || eventType != "xcb_generic_event_t")
        return false;
    const auto *event = static_cast<xcb_generic_event_t *>(message);
    const quint8 type = event->response_type & 0x7f;
    if (type != XCB_KEY_PRESS && type != XCB_KEY_RELEASE)
        return false;
    const auto *key = reinterpret_cast<const xcb_key_press_event_t *>(event);
    if (key->event != m_root || !m_keycodes.contains(key->detail))
        return false;
    if (type == XCB_KEY_RELEASE) {
        // The modifiers may already be up, so any release of the key ends the hold.
        m_held = false;
        m_releaseTime = key->time;
        return false;
    }
    const quint16 ignored = XCB_MOD_MASK_LOCK | m_numLockMask;
    if (((key->state & coreModifierBits) & ~ignored) != m_modifiers)
        return false;
    // The server's key repeat sends a release and a press with the same time.
    const bool repeated = m_held || key->time == m_releaseTime;
    m_held = true;
    if (!repeated)
        Q_EMIT activated();
    return true;
}

} // namespace holdra
