#pragma once

#include "Platform/PortalShortcut.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVirtualObject>

namespace holdra::test {

using namespace Qt::StringLiterals;

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
            && m_bus.registerService(u"org.freedesktop.portal.Desktop"_s);
    }
    void vanish()
    {
        m_bus.unregisterService(u"org.freedesktop.portal.Desktop"_s);
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
    static QString triggerFor(const QString &preferred) { return preferred + u" (desktop)"_s; }

    void activate(const QString &session, const QString &id)
    {
        emitSignal(u"Activated"_s, {QVariant::fromValue(QDBusObjectPath(session)), id, qulonglong(1), QVariantMap()});
    }
    void changeTrigger(const QString &session, const QString &id, const QString &trigger)
    {
        emitSignal(u"ShortcutsChanged"_s,
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
            return u"%1/%2/%3/%4"_s.arg(path(), kind, sender, options.value(key).toString());
        };
        const QString request = handle(u"request"_s, u"handle_token"_s);
        connection.send(message.createReply(QVariant::fromValue(QDBusObjectPath(request))));
        if (message.member() == u"CreateSession") {
            sessions.append(handle(u"session"_s, u"session_handle_token"_s) + QString::number(sessions.size()));
            respond(connection, request, 0, {{u"session_handle"_s, sessions.last()}});
        } else if (message.member() == u"BindShortcuts") {
            const QList<PortalShortcut> asked = PortalShortcut::listFrom(message.arguments().at(1));
            preferredTriggers.append(asked.value(0).properties.value(u"preferred_trigger"_s).toString());
            m_bound = bindResponse == 0 ? shortcuts(asked.value(0).id, triggerFor(preferredTriggers.last()))
                                        : QList<PortalShortcut>();
            QVariantMap results;
            if (bindResponse == 0 && bindAnswersWithList)
                results.insert(u"shortcuts"_s, QVariant::fromValue(m_bound));
            respond(connection, request, bindResponse, results);
        } else if (message.member() == u"ListShortcuts") {
            respond(connection, request, 0, {{u"shortcuts"_s, QVariant::fromValue(m_bound)}});
        }
        return true;
    }

private:
    static QString path() { return u"/org/freedesktop/portal/desktop"_s; }
    static QString interface() { return u"org.freedesktop.portal.GlobalShortcuts"_s; }
    static QList<PortalShortcut> shortcuts(const QString &id, const QString &trigger)
    {
        return {{id, {{u"trigger_description"_s, trigger}}}};
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
        QDBusMessage signal = QDBusMessage::createSignal(request, u"org.freedesktop.portal.Request"_s, u"Response"_s);
        signal << response << results;
        connection.send(signal);
    }

    QDBusConnection m_bus;
    QList<PortalShortcut> m_bound;
};

} // namespace holdra::test
