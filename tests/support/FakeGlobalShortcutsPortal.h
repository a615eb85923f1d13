#pragma once

#include "Platform/PortalShortcut.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVirtualObject>
#include <QStringList>

namespace holdra::test {

// The desktop side of org.freedesktop.portal.GlobalShortcuts on a test bus:
// sessions answered through Request objects as the real portal does, a
// binding that reports its trigger, and Activated / ShortcutsChanged on demand.
class FakeGlobalShortcutsPortal : public QDBusVirtualObject
{
public:
    static constexpr auto service = "org.freedesktop.portal.Desktop";
    static constexpr auto path = "/org/freedesktop/portal/desktop";
    static constexpr auto interface = "org.freedesktop.portal.GlobalShortcuts";

    explicit FakeGlobalShortcutsPortal(QDBusConnection bus)
        : m_bus(bus)
    {
        PortalShortcut::registerDBusTypes();
    }
    ~FakeGlobalShortcutsPortal() override { vanish(); }

    bool appear()
    {
        return m_bus.registerVirtualObject(QLatin1String(path), this, QDBusConnection::SubPath)
            && m_bus.registerService(QLatin1String(service));
    }
    void vanish()
    {
        m_bus.unregisterService(QLatin1String(service));
        m_bus.unregisterObject(QLatin1String(path), QDBusConnection::UnregisterTree);
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
        QDBusMessage signal =
            QDBusMessage::createSignal(QLatin1String(path), QLatin1String(interface), QStringLiteral("Activated"));
        signal << QVariant::fromValue(QDBusObjectPath(session)) << id << qulonglong(1) << QVariantMap();
        m_bus.send(signal);
    }
    void changeTrigger(const QString &session, const QString &id, const QString &trigger)
    {
        QDBusMessage signal = QDBusMessage::createSignal(QLatin1String(path), QLatin1String(interface),
                                                         QStringLiteral("ShortcutsChanged"));
        signal << QVariant::fromValue(QDBusObjectPath(session)) << QVariant::fromValue(shortcuts(id, trigger));
        m_bus.send(signal);
    }

    QString introspect(const QString &) const override { return {}; }

    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override
    {
        if (message.member() == QLatin1String("Close")) {
            closedSessions.append(message.path());
            connection.send(message.createReply());
            return true;
        }
        if (message.interface() != QLatin1String(interface))
            return false;
        const QVariantList arguments = message.arguments();
        const QVariantMap options = qdbus_cast<QVariantMap>(arguments.last());
        QString sender = message.service().mid(1).replace(u'.', u'_');
        const QString request =
            QStringLiteral("%1/request/%2/%3")
                .arg(QLatin1String(path), sender, options.value(QStringLiteral("handle_token")).toString());
        connection.send(message.createReply(QVariant::fromValue(QDBusObjectPath(request))));
        if (message.member() == QLatin1String("CreateSession")) {
            const QString session =
                QStringLiteral("%1/session/%2/%3")
                    .arg(QLatin1String(path), sender, options.value(QStringLiteral("session_handle_token")).toString())
                + QString::number(sessions.size());
            sessions.append(session);
            respond(connection, request, 0, {{QStringLiteral("session_handle"), session}});
        } else if (message.member() == QLatin1String("BindShortcuts")) {
            const QList<PortalShortcut> asked = PortalShortcut::listFrom(arguments.at(1));
            const QString preferred = asked.value(0).properties.value(QStringLiteral("preferred_trigger")).toString();
            preferredTriggers.append(preferred);
            m_bound = bindResponse == 0 ? shortcuts(asked.value(0).id, triggerFor(preferred)) : QList<PortalShortcut>();
            QVariantMap results;
            if (bindResponse == 0 && bindAnswersWithList)
                results.insert(QStringLiteral("shortcuts"), QVariant::fromValue(m_bound));
            respond(connection, request, bindResponse, results);
        } else if (message.member() == QLatin1String("ListShortcuts")) {
            respond(connection, request, 0, {{QStringLiteral("shortcuts"), QVariant::fromValue(m_bound)}});
        }
        return true;
    }

private:
    static QList<PortalShortcut> shortcuts(const QString &id, const QString &trigger)
    {
        return {{id, {{QStringLiteral("trigger_description"), trigger}}}};
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
