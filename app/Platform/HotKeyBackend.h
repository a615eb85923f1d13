#pragma once

#include "HotKey/GlobalHotKey.h"

#include <QObject>
#include <QString>

namespace holdra {

// One way of making the hot key work across the whole desktop: a grab on the
// X server, or a shortcut the Wayland desktop binds for Holdra through its
// portal. The manager drives one of them and knows nothing of the mechanism.
class HotKeyBackend : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // Asks for `hotKey` to fire activated() from now on, replacing the last request.
    virtual void bind(const GlobalHotKey &hotKey) = 0;
    // Nothing fires until the next bind().
    virtual void release() = 0;

    // The hot key fires now.
    virtual bool isBound() const = 0;
    // Why it does not fire; empty while bound or while the answer is pending.
    virtual QString failureText() const = 0;
    // The binding as the desktop reports it when the desktop owns it ("Ctrl+Alt+Space");
    // empty when it is exactly the key Holdra asked for.
    virtual QString bindingText() const { return {}; }

Q_SIGNALS:
    void activated();
    // isBound(), failureText() or bindingText() changed.
    void stateChanged();
};

} // namespace holdra
