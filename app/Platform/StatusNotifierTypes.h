#pragma once

#include <QByteArray>
#include <QList>
#include <QMetaType>
#include <QString>

class QDBusArgument;
class QIcon;

namespace holdra {

// One picture of a tray item as StatusNotifierItem hosts read it: (iiay),
// ARGB32 pixels in network byte order.
struct StatusNotifierImage
{
    int width = 0;
    int height = 0;
    QByteArray argb;
};
using StatusNotifierImageList = QList<StatusNotifierImage>;

// The item's tooltip: (sa(iiay)ss).
struct StatusNotifierToolTip
{
    QString iconName;
    StatusNotifierImageList images;
    QString title;
    QString text;
};

QDBusArgument &operator<<(QDBusArgument &argument, const StatusNotifierImage &image);
const QDBusArgument &operator>>(const QDBusArgument &argument, StatusNotifierImage &image);
QDBusArgument &operator<<(QDBusArgument &argument, const StatusNotifierToolTip &toolTip);
const QDBusArgument &operator>>(const QDBusArgument &argument, StatusNotifierToolTip &toolTip);

// The icon at the sizes trays draw, for hosts that cannot look the icon's name up.
StatusNotifierImageList statusNotifierImages(const QIcon &icon);

// Makes the types above known to QtDBus; safe to call more than once.
void registerStatusNotifierTypes();

} // namespace holdra

Q_DECLARE_METATYPE(holdra::StatusNotifierImage)
Q_DECLARE_METATYPE(holdra::StatusNotifierToolTip)
