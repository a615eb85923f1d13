#include "Desktop/SessionService.h"

#include "App/AppLogging.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusReply>

namespace holdra::SessionService {

namespace {

// Long enough for a file manager to start cold, short enough that a hung one
// still ends in the fallback.
constexpr int callTimeoutMs = 10000;

} // namespace

bool isAvailable(const QDBusConnection &bus, const QString &name)
{
    if (!bus.isConnected() || !bus.interface())
        return false;
    if (bus.interface()->isServiceRegistered(name))
        return true;
    const QDBusReply<QStringList> activatable = bus.interface()->call(QStringLiteral("ListActivatableNames"));
    return activatable.isValid() && activatable.value().contains(name);
}

bool call(const QDBusConnection &bus, const QDBusMessage &call, QObject *context, std::function<void()> onError)
{
    if (!isAvailable(bus, call.service()))
        return false;
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, callTimeoutMs), context);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, context, [watcher, onError = std::move(onError)] {
        watcher->deleteLater();
        if (!watcher->isError())
            return;
        qCInfo(lcIntegration).noquote() << watcher->error().name() << watcher->error().message();
        onError();
    });
    return true;
}

} // namespace holdra::SessionService
