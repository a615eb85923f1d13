#include "Platform/PortalGlobalShortcuts.h"

#include "Platform/PlatformLogging.h"

#include "Platform/PortalRequest.h"
#include "Platform/PortalShortcut.h"

#include <QDBusServiceWatcher>
#include <QDebug>

namespace holdra {

namespace {

constexpr auto interfaceName = "org.freedesktop.portal.GlobalShortcuts";
constexpr uint userCancelled = 1;
// A fixed session token: desktops that remember bindings (KDE) find the
// user's choice again at the next start instead of asking anew.
constexpr auto sessionToken = "holdra";

QString sessionPath(const QVariant &value)
{
    return value.metaType() == QMetaType::fromType<QDBusObjectPath>() ? value.value<QDBusObjectPath>().path()
                                                                      : value.toString();
}

} // namespace

PortalGlobalShortcuts::PortalGlobalShortcuts(const QDBusConnection &bus, QObject *parent)
    : HotKeyBackend(parent)
    , m_bus(bus)
{
    PortalShortcut::registerDBusTypes();
    m_watcher = new QDBusServiceWatcher(
        PortalRequest::service, m_bus,
        QDBusServiceWatcher::WatchForRegistration | QDBusServiceWatcher::WatchForUnregistration, this);
    connect(m_watcher, &QDBusServiceWatcher::serviceUnregistered, this, &PortalGlobalShortcuts::portalVanished);
    connect(m_watcher, &QDBusServiceWatcher::serviceRegistered, this, [this] {
        if (m_wanted && m_session.isEmpty() && !m_requestPending)
            createSession();
    });
    m_bus.connect(PortalRequest::service, PortalRequest::objectPath, QLatin1String(interfaceName),
                  QStringLiteral("Activated"), this, SLOT(onActivated(QDBusMessage)));
    m_bus.connect(PortalRequest::service, PortalRequest::objectPath, QLatin1String(interfaceName),
                  QStringLiteral("ShortcutsChanged"), this, SLOT(onShortcutsChanged(QDBusMessage)));
}

PortalGlobalShortcuts::~PortalGlobalShortcuts()
{
    closeSession();
}

QString PortalGlobalShortcuts::preferredTrigger(const GlobalHotKey &hotKey)
{
    // "Ctrl+Alt+Space" → "CTRL+ALT+space": modifiers in capitals as the portal
    // names them, the key by its keysym name (letters in lower case).
    QStringList parts = hotKey.keySequenceText().split(u'+');
    const QString key = parts.takeLast();
    static const QHash<QString, QString> modifierNames{
        {QStringLiteral("Ctrl"), QStringLiteral("CTRL")},
        {QStringLiteral("Alt"), QStringLiteral("ALT")},
        {QStringLiteral("Shift"), QStringLiteral("SHIFT")},
        {QStringLiteral("Super"), QStringLiteral("LOGO")},
    };
    static const QHash<QString, QString> keysymNames{
        {QStringLiteral("Space"), QStringLiteral("space")},
        {QStringLiteral("Backspace"), QStringLiteral("BackSpace")},
    };
    QStringList trigger;
    for (const QString &modifier : parts)
        trigger.append(modifierNames.value(modifier, modifier));
    trigger.append(key.size() == 1 ? key.toLower() : keysymNames.value(key, key));
    return trigger.join(u'+');
}

QString PortalGlobalShortcuts::failureText() const
{
    switch (m_state) {
    case State::Unavailable:
        return QStringLiteral(
            "此桌面不让应用程序注册全局快捷键：请在桌面的键盘设置中为命令“holdra toggle”设一个快捷键");
    case State::Refused:
        return QStringLiteral("桌面没有绑定这个快捷键：可在桌面的键盘设置中为命令“holdra toggle”设一个快捷键");
    case State::Binding:
    case State::Bound:
        break;
    }
    return {};
}

void PortalGlobalShortcuts::bind(const GlobalHotKey &hotKey)
{
    m_wanted = hotKey;
    if (m_requestPending)
        return; // the answer in flight looks at m_wanted again
    if (!m_session.isEmpty() && m_sessionKey == hotKey) {
        Q_EMIT stateChanged();
        return;
    }
    // A new key is a new session: the portal binds a session's shortcuts once.
    closeSession();
    createSession();
}

void PortalGlobalShortcuts::release()
{
    // The desktop keeps the binding; its activations are ignored until the next bind().
    m_wanted.reset();
    Q_EMIT stateChanged();
}

void PortalGlobalShortcuts::createSession()
{
    m_requestPending = true;
    setState(State::Binding);
    const quint64 generation = m_generation;
    const QVariantMap options{{QStringLiteral("session_handle_token"), QLatin1String(sessionToken)}};
    PortalRequest::send(m_bus, QLatin1String(interfaceName), QStringLiteral("CreateSession"), {options}, this,
                        [this, generation](uint response, const QVariantMap &results) {
                            if (generation != m_generation)
                                return;
                            m_requestPending = false;
                            if (response != 0) {
                                // A desktop without the portal is already named in the start-up notice.
                                if (response != PortalRequest::noPortal)
                                    qCWarning(lcHotKey).noquote()
                                        << "the GlobalShortcuts portal gave no session:" << response
                                        << results.value(QStringLiteral("error")).toString();
                                setState(response == PortalRequest::noPortal ? State::Unavailable : State::Refused);
                                return;
                            }
                            m_session = sessionPath(results.value(QStringLiteral("session_handle")));
                            bindShortcut();
                        });
}

void PortalGlobalShortcuts::bindShortcut()
{
    if (!m_wanted) {
        setState(State::Binding);
        return;
    }
    m_requestPending = true;
    m_sessionKey = m_wanted;
    const quint64 generation = m_generation;
    const PortalShortcut shortcut{QLatin1String(shortcutId),
                                  {{QStringLiteral("description"), QStringLiteral("显示 / 隐藏栖物匣面板")},
                                   {QStringLiteral("preferred_trigger"), preferredTrigger(*m_wanted)}}};
    const QVariantList arguments{QVariant::fromValue(QDBusObjectPath(m_session)),
                                 QVariant::fromValue(QList<PortalShortcut>{shortcut}), QString(), QVariantMap()};
    PortalRequest::send(m_bus, QLatin1String(interfaceName), QStringLiteral("BindShortcuts"), arguments, this,
                        [this, generation](uint response, const QVariantMap &results) {
                            if (generation != m_generation)
                                return;
                            m_requestPending = false;
                            if (m_wanted && m_wanted != m_sessionKey) {
                                // The user chose another key meanwhile.
                                bind(*m_wanted);
                                return;
                            }
                            if (response == 0 && takeShortcuts(results.value(QStringLiteral("shortcuts"))))
                                return setState(State::Bound);
                            if (response == 0)
                                return listShortcuts(); // some desktops answer without the list
                            if (response == userCancelled)
                                qCWarning(lcHotKey).noquote() << "binding the hot key was cancelled";
                            else
                                qCWarning(lcHotKey).noquote() << "the desktop did not bind the hot key:" << response;
                            setState(response == PortalRequest::noPortal ? State::Unavailable : State::Refused);
                        });
}

void PortalGlobalShortcuts::listShortcuts()
{
    m_requestPending = true;
    const quint64 generation = m_generation;
    const QVariantList arguments{QVariant::fromValue(QDBusObjectPath(m_session)), QVariantMap()};
    PortalRequest::send(m_bus, QLatin1String(interfaceName), QStringLiteral("ListShortcuts"), arguments, this,
                        [this, generation](uint response, const QVariantMap &results) {
                            if (generation != m_generation)
                                return;
                            m_requestPending = false;
                            if (m_wanted && m_wanted != m_sessionKey)
                                return bind(*m_wanted);
                            const bool bound =
                                response == 0 && takeShortcuts(results.value(QStringLiteral("shortcuts")));
                            if (!bound)
                                qCWarning(lcHotKey).noquote() << "the desktop lists no binding for the hot key";
                            setState(bound ? State::Bound : State::Refused);
                        });
}

void PortalGlobalShortcuts::closeSession()
{
    ++m_generation;
    m_requestPending = false;
    m_sessionKey.reset();
    if (m_session.isEmpty())
        return;
    m_bus.send(QDBusMessage::createMethodCall(
        PortalRequest::service, m_session, QStringLiteral("org.freedesktop.portal.Session"), QStringLiteral("Close")));
    m_session.clear();
    m_trigger.clear();
}

bool PortalGlobalShortcuts::takeShortcuts(const QVariant &shortcuts)
{
    for (const PortalShortcut &shortcut : PortalShortcut::listFrom(shortcuts)) {
        if (shortcut.id == QLatin1String(shortcutId)) {
            m_trigger = shortcut.properties.value(QStringLiteral("trigger_description")).toString();
            return true;
        }
    }
    return false;
}

void PortalGlobalShortcuts::onActivated(const QDBusMessage &message)
{
    const QVariantList arguments = message.arguments();
    if (arguments.size() < 2 || !isOurs(arguments.at(0)) || arguments.at(1).toString() != QLatin1String(shortcutId))
        return;
    if (m_wanted && m_state == State::Bound)
        Q_EMIT activated();
}

void PortalGlobalShortcuts::onShortcutsChanged(const QDBusMessage &message)
{
    const QVariantList arguments = message.arguments();
    if (arguments.size() < 2 || !isOurs(arguments.at(0)))
        return;
    // The user changed the binding in the desktop's own settings.
    if (takeShortcuts(arguments.at(1)))
        setState(State::Bound);
    Q_EMIT stateChanged();
}

bool PortalGlobalShortcuts::isOurs(const QVariant &session) const
{
    return !m_session.isEmpty() && sessionPath(session) == m_session;
}

void PortalGlobalShortcuts::portalVanished()
{
    // The portal's sessions died with it.
    m_session.clear();
    closeSession();
    setState(State::Unavailable);
}

void PortalGlobalShortcuts::setState(State state)
{
    m_state = state;
    Q_EMIT stateChanged();
}

} // namespace holdra
