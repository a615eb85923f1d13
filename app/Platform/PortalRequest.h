#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QVariantMap>

#include <functional>

namespace holdra {

// One call to a freedesktop portal that answers through a Request object: the
// method returns the request's path at once, and the result comes later as its
// Response signal. The signal is subscribed before the call (at the path the
// portal will use, built from our bus name and a token), so that a quick answer
// is never missed. Deletes itself after the answer or a failed call.
class PortalRequest : public QObject
{
    Q_OBJECT

public:
    // Portal response codes: 0 success, 1 cancelled by the user, 2 other failure;
    // noPortal when the call itself failed (no portal, or not this interface).
    static constexpr uint noPortal = 1000;
    using Handler = std::function<void(uint response, const QVariantMap &results)>;

    // Calls `method` on `interface` of the portal with `arguments`, whose last
    // one is the options map; "handle_token" is added to it.
    static void send(const QDBusConnection &bus, const QString &interface, const QString &method,
                     QVariantList arguments, QObject *context, Handler handler);

    static const QString service;
    static const QString objectPath;

private Q_SLOTS:
    void onResponse(uint response, const QVariantMap &results);

private:
    PortalRequest(const QDBusConnection &bus, Handler handler, QObject *context);
    bool listen(const QString &path);
    void unlisten();
    void finish(uint response, const QVariantMap &results);

    QDBusConnection m_bus;
    Handler m_handler;
    QString m_path;
};

} // namespace holdra
