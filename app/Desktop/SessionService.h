#pragma once

#include <QDBusConnection>
#include <QString>

#include <functional>

class QDBusMessage;
class QObject;

namespace holdra {

// Calls to session services that D-Bus may start on demand (the file manager,
// GNOME's previewer): a service counts when it runs or when the bus can
// activate it, and a call it answers with an error counts as not made.
namespace SessionService {

// Running now, or listed by the bus as activatable.
bool isAvailable(const QDBusConnection &bus, const QString &name);
// Sends `call` when its service is available and returns whether it was sent;
// `onError` runs later, on `context`'s thread, if the service answers with an
// error or not at all.
bool call(const QDBusConnection &bus, const QDBusMessage &call, QObject *context, std::function<void()> onError);

} // namespace SessionService

} // namespace holdra
