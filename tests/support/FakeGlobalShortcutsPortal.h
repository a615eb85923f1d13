#pragma once

#include "Platform/PortalShortcut.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVirtualObject>

namespace holdra::test {

// The desktop side of org.freedesktop.portal.GlobalShortcuts on a test bus:
// sessions answered through Request objects as the real portal does, a
// binding that reports its trigger, and Activated / ShortcutsChanged on demand.
class FakeGlobalShortcutsPortal : public QDBusVirtualObject
{
public:
    explicit FakeGlobalShortcutsPortal(QDBusConnection bus)
        : m_bus(bus)
    {
        PortalShortcut::registerDBusTypes();
    }
    ~FakeGlobalShortcutsPortal() override { vanish(); }

    bool appear()
    {
        return m_bus.registerVirtualObject(path(), this, QDBusConnection::SubPath)
            && m_bus.registerService(QStringLiteral("org.freedesktop.portal.Desktop"));
    }
    void vanish()
    {
        m_bus.unregisterService(QStringLiteral("org.freedesktop.portal.Desktop"));
        m_bus.unregisterObject(path(), QDBusConnection::UnregisterTree);
    }

    // What the desktop answers to the next BindShortcuts: 0 bound, 1 cancelled;
    // whether a successful answer carries the list (else only ListShortcuts has it).
    uint bindResponse = 0;
    bool bindAnswersWithList = true;
    QStringList preferredTriggers;
    QStringList sessions;
    QStringList closedSessions;

    // The trigger the desktop reports for a preferred one.
    static QString triggerFor(const QString &preferred) { return preferred + QStringLiteral(" (desktop)"); }

    void activate(const QString &session, const QString &id)
    {
        emitSignal(QStringLiteral("Activated"),
                   {QVariant::fromValue(QDBusObjectPath(session)), id, qulonglong(1), QVariantMap()});
    }
    void changeTrigger(const QString &session, const QString &id, const QString &trigger)
    {
        emitSignal(QStringLiteral("ShortcutsChanged"),
                   {QVariant::fromValue(QDBusObjectPath(session)), QVariant::fromValue(shortcuts(id, trigger))});
    }

    QString introspect(const QString &) const override { return {}; }

    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override
    {
        if (message.member() == u"Close") {
            closedSessions.append(message.path());
            connection.send(message.createReply());
            return true;
        }
        if (message.interface() != interface())
            return false;
        const QVariantMap options = qdbus_cast<QVariantMap>(message.arguments().last());
        const QString sender = message.service().mid(1).replace(u'.', u'_');
        const auto handle = [&](const QString &kind, const QString &key) {
            return QStringLiteral("%1/%2/%3/%4").arg(path(), kind, sender, options.value(key).toString());
        };
        const QString request = handle(QStringLiteral("request"), QStringLiteral("handle_token"));
        connection.send(message.createReply(QVariant::fromValue(QDBusObjectPath(request))));
        if (message.member() == u"CreateSession") {
            sessions.append(handle(QStringLiteral("session"), QStringLiteral("session_handle_token"))
                            + QString::number(sessions.size()));
            respond(connection, request, 0, {{QStringLiteral("session_handle"), sessions.last()}});
        } else if (message.member() == u"BindShortcuts") {
            const QList<PortalShortcut> asked = PortalShortcut::listFrom(message.arguments().at(1));
            preferredTriggers.append(asked.value(0).properties.value(QStringLiteral("preferred_trigger")).toString());
            m_bound = bindResponse == 0 ? shortcuts(asked.value(0).id, triggerFor(preferredTriggers.last()))
                                        : QList<PortalShortcut>();
            QVariantMap results;
            if (bindResponse == 0 && bindAnswersWithList)
                results.insert(QStringLiteral("shortcuts"), QVariant::fromValue(m_bound));
            respond(connection, request, bindResponse, results);
        } else if (message.member() == u"ListShortcuts") {
            respond(connection, request, 0, {{QStringLiteral("shortcuts"), QVariant::fromValue(m_bound)}});
        }
        return true;
    }

private:
    static QString path() { return QStringLiteral("/org/freedesktop/portal/desktop"); }
    static QString interface() { return QStringLiteral("org.freedesktop.portal.GlobalShortcuts"); }
    static QList<PortalShortcut> shortcuts(const QString &id, const QString &trigger)
    {
        return {{id, {{QStringLiteral("trigger_description"), trigger}}}};
    }
    void emitSignal(const QString &member, const QVariantList &arguments)
    {
        QDBusMessage signal = QDBusMessage::createSignal(path(), interface(), member);
        signal.setArguments(arguments);
        m_bus.send(signal);
    }
    static void respond(const QDBusConnection &connection, const QString &request, uint response,
                        const QVariantMap &results)
    {
        QDBusMessage signal = QDBusMessage::createSignal(request, QStringLiteral("org.freedesktop.portal.Request"),
                                                         QStringLiteral("Response"));
        signal << response << results;
        connection.send(signal);
    }

    QDBusConnection m_bus;
    QList<PortalShortcut> m_bound;
};

} // namespace holdra::test
