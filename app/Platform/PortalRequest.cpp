#include "Platform/PortalRequest.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QPointer>
#include <QUuid>

namespace holdra {

namespace {

constexpr auto requestInterface = "org.freedesktop.portal.Request";

} // namespace

const QString PortalRequest::service = QStringLiteral("org.freedesktop.portal.Desktop");
const QString PortalRequest::objectPath = QStringLiteral("/org/freedesktop/portal/desktop");

PortalRequest::PortalRequest(const QDBusConnection &bus, Handler handler, QObject *context)
    : QObject(context)
    , m_bus(bus)
    , m_handler(std::move(handler))
{
}

void PortalRequest::send(const QDBusConnection &bus, const QString &interface, const QString &method,
                         QVariantList arguments, QObject *context, Handler handler)
{
    auto *request = new PortalRequest(bus, std::move(handler), context);
    const QString token = QStringLiteral("holdra") + QUuid::createUuid().toString(QUuid::Id128);
    QString sender = bus.baseService();
    sender.remove(0, 1).replace(u'.', u'_');
    request->listen(objectPath + QStringLiteral("/request/") + sender + u'/' + token);

    QVariantMap options = arguments.isEmpty() ? QVariantMap() : arguments.takeLast().toMap();
    options.insert(QStringLiteral("handle_token"), token);
    arguments.append(options);
    QDBusMessage call = QDBusMessage::createMethodCall(service, objectPath, interface, method);
    call.setArguments(arguments);
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), request);
    connect(watcher, &QDBusPendingCallWatcher::finished, request, [request](QDBusPendingCallWatcher *finished) {
        finished->deleteLater();
        const QDBusPendingReply<QDBusObjectPath> reply = *finished;
        if (reply.isError()) {
            request->finish(noPortal, {{QStringLiteral("error"), reply.error().message()}});
            return;
        }
        // Portals older than the token scheme answer at a path of their own choosing.
        const QString path = reply.value().path();
        if (path != request->m_path) {
            request->unlisten();
            request->listen(path);
        }
    });
}

bool PortalRequest::listen(const QString &path)
{
    m_path = path;
    return m_bus.connect(service, path, QLatin1String(requestInterface), QStringLiteral("Response"), this,
                         SLOT(onResponse(uint, QVariantMap)));
}

void PortalRequest::unlisten()
{
    m_bus.disconnect(service, m_path, QLatin1String(requestInterface), QStringLiteral("Response"), this,
                     SLOT(onResponse(uint, QVariantMap)));
}

void PortalRequest::onResponse(uint response, const QVariantMap &results)
{
    finish(response, results);
}

void PortalRequest::finish(uint response, const QVariantMap &results)
{
    unlisten();
    const Handler handler = std::move(m_handler);
    m_handler = nullptr;
    deleteLater();
    if (handler)
        handler(response, results);
}

} // namespace holdra
