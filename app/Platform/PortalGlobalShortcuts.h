#pragma once

#include "Platform/HotKeyBackend.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QVariantMap>

#include <optional>

class QDBusServiceWatcher;

namespace holdra {

// The hot key on a Wayland desktop: a shortcut bound through the freedesktop
// GlobalShortcuts portal. The desktop owns the binding; Holdra asks for its
// own key as the preferred trigger, shows whatever the desktop reports, and
// toggles on the portal's Activated signal. The portal may come and go with the
// session: when it vanishes the shortcut is lost, when it comes back the
// binding is asked for again.
class PortalGlobalShortcuts : public HotKeyBackend
{
    Q_OBJECT

public:
    enum class State {
        Unavailable, // no portal, or one without GlobalShortcuts
        Binding,     // waiting for the portal's answer
        Bound,
        Refused, // the user or the desktop declined
    };
    Q_ENUM(State)

    // The shortcut's identifier within the session.
    static constexpr auto shortcutId = "toggle-panel";

    explicit PortalGlobalShortcuts(const QDBusConnection &bus, QObject *parent = nullptr);
    ~PortalGlobalShortcuts() override;

    void bind(const GlobalHotKey &hotKey) override;
    void release() override;
    bool isBound() const override { return m_state == State::Bound; }
    QString failureText() const override;
    QString bindingText() const override { return m_state == State::Bound ? m_trigger : QString(); }

    State state() const { return m_state; }

    // The key as the portal's preferred_trigger spells it: "CTRL+ALT+space".
    static QString preferredTrigger(const GlobalHotKey &hotKey);

private Q_SLOTS:
    void onActivated(const QDBusMessage &message);
    void onShortcutsChanged(const QDBusMessage &message);

private:
    void createSession();
    void bindShortcut();
    void listShortcuts();
    void closeSession();
    bool takeShortcuts(const QVariant &shortcuts);
    void setState(State state);
    void portalVanished();
    bool isOurs(const QVariant &session) const;

    QDBusConnection m_bus;
    QDBusServiceWatcher *m_watcher = nullptr;
    // The key asked for; absent while released (activations are then ignored).
    std::optional<GlobalHotKey> m_wanted;
    // The key of the session's binding: a different one needs a new session,
    // since a portal binds a session's shortcuts only once.
    std::optional<GlobalHotKey> m_sessionKey;
    bool m_requestPending = false;
    QString m_session;
    QString m_trigger;
    State m_state = State::Unavailable;
    // Answers to a request made before the last bind() or release() are stale.
    quint64 m_generation = 0;
};

} // namespace holdra
