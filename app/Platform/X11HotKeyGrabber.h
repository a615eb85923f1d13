#pragma once

#include <QAbstractNativeEventFilter>
#include <QList>
#include <QObject>

#include <optional>

struct xcb_connection_t;

namespace holdra {

// A global hot key on X11: a passive grab (XGrabKey) of one keysym with a
// modifier mask on the root window, through Qt's own xcb connection. Presses
// are picked out of Qt's event stream on the main thread. NumLock and CapsLock
// do not matter: the grab is made for every combination of them.
class X11HotKeyGrabber : public QObject, public QAbstractNativeEventFilter
{
    Q_OBJECT

public:
    // X11 modifier masks (ShiftMask, ControlMask, Mod1Mask, Mod4Mask).
    enum Modifier : quint16 {
        Shift = 0x01,
        Control = 0x04,
        Alt = 0x08,
        Super = 0x40,
    };

    struct Result
    {
        enum Status {
            Grabbed,
            Failed, // the server refused; errorCode holds the X error (10 = BadAccess: another client holds the key)
            UnknownKey,  // the keysym is on no key of the current keyboard map
            Unavailable, // no X11
        };
        Status status = Unavailable;
        int errorCode = 0;
    };

    explicit X11HotKeyGrabber(QObject *parent = nullptr);
    ~X11HotKeyGrabber() override;

    // Replaces the current grab. On failure nothing stays grabbed.
    Result grab(quint32 keysym, quint16 modifiers);
    void ungrab();
    bool isGrabbed() const { return !m_keycodes.isEmpty(); }

    // The keysym on a key's first level (what it types without Shift) in the
    // current keyboard map; nothing without X11 or for an unmapped key.
    static std::optional<quint32> unshiftedKeysym(quint32 keycode);

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

Q_SIGNALS:
    void activated();

private:
    QList<quint16> lockVariants() const;
    void ungrabKeycodes(const QList<quint8> &keycodes, quint16 modifiers);

    xcb_connection_t *m_connection = nullptr;
    quint32 m_root = 0;
    quint16 m_numLockMask = 0;
    QList<quint8> m_keycodes;
    quint16 m_modifiers = 0;
    // A held key repeats its press; only the first press of a hold counts.
    bool m_held = false;
    quint32 m_releaseTime = 0;
};

} // namespace holdra
