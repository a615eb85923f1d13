#include "Platform/PortalShortcut.h"

#include <QDBusMetaType>

namespace holdra {

void PortalShortcut::registerDBusTypes()
{
    qDBusRegisterMetaType<PortalShortcut>();
    qDBusRegisterMetaType<QList<PortalShortcut>>();
}

QList<PortalShortcut> PortalShortcut::listFrom(const QVariant &value)
{
    if (value.canConvert<QDBusArgument>()) {
        QList<PortalShortcut> list;
        const QDBusArgument argument = value.value<QDBusArgument>();
        // A reply of another shape is read as no shortcuts rather than trusted.
        if (argument.currentSignature() != QLatin1String("a(sa{sv})"))
            return {};
        argument >> list;
        return list;
    }
    return value.value<QList<PortalShortcut>>();
}

QDBusArgument &operator<<(QDBusArgument &argument, const PortalShortcut &shortcut)
{
    argument.beginStructure();
    argument << shortcut.id << shortcut.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, PortalShortcut &shortcut)
{
    argument.beginStructure();
    argument >> shortcut.id >> shortcut.properties;
    argument.endStructure();
    return argument;
}

} // namespace holdra
