#pragma once

#include <QDBusArgument>
#include <QList>
#include <QMetaType>
#include <QString>
#include <QVariantMap>

namespace holdra {

// One entry of the GlobalShortcuts portal's a(sa{sv}) lists: the shortcut's
// identifier and its properties ("description", "preferred_trigger" asked for;
// "trigger_description" reported).
struct PortalShortcut
{
    QString id;
    QVariantMap properties;

    // Makes the type and its list known to QtDBus; safe to call more than once.
    static void registerDBusTypes();
    // Reads a list as it arrives inside a variant (a QDBusArgument) or already decoded.
    static QList<PortalShortcut> listFrom(const QVariant &value);
};

QDBusArgument &operator<<(QDBusArgument &argument, const PortalShortcut &shortcut);
const QDBusArgument &operator>>(const QDBusArgument &argument, PortalShortcut &shortcut);

} // namespace holdra

Q_DECLARE_METATYPE(holdra::PortalShortcut)
