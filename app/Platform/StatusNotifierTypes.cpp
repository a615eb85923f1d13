#include "Platform/StatusNotifierTypes.h"

#include <QDBusArgument>
#include <QDBusMetaType>
#include <QIcon>
#include <QImage>
#include <QtEndian>

namespace holdra {

QDBusArgument &operator<<(QDBusArgument &argument, const StatusNotifierImage &image)
{
    argument.beginStructure();
    argument << image.width << image.height << image.argb;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, StatusNotifierImage &image)
{
    argument.beginStructure();
    argument >> image.width >> image.height >> image.argb;
    argument.endStructure();
    return argument;
}

QDBusArgument &operator<<(QDBusArgument &argument, const StatusNotifierToolTip &toolTip)
{
    argument.beginStructure();
    argument << toolTip.iconName << toolTip.images << toolTip.title << toolTip.text;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, StatusNotifierToolTip &toolTip)
{
    argument.beginStructure();
    argument >> toolTip.iconName >> toolTip.images >> toolTip.title >> toolTip.text;
    argument.endStructure();
    return argument;
}

StatusNotifierImageList statusNotifierImages(const QIcon &icon)
{
    StatusNotifierImageList images;
    for (const int size : {16, 22, 24, 32, 48}) {
        const QImage image = icon.pixmap(size, size).toImage().convertToFormat(QImage::Format_ARGB32);
        if (image.isNull())
            continue;
        StatusNotifierImage entry{image.width(), image.height(), {}};
        entry.argb.resize(qsizetype(image.width()) * image.height() * 4);
        auto *out = reinterpret_cast<quint32 *>(entry.argb.data());
        for (int y = 0; y < image.height(); ++y) {
            const auto *line = reinterpret_cast<const quint32 *>(image.constScanLine(y));
            for (int x = 0; x < image.width(); ++x)
                *out++ = qToBigEndian(line[x]);
        }
        images.append(entry);
    }
    return images;
}

void registerStatusNotifierTypes()
{
    qDBusRegisterMetaType<StatusNotifierImage>();
    qDBusRegisterMetaType<StatusNotifierImageList>();
    qDBusRegisterMetaType<StatusNotifierToolTip>();
}

} // namespace holdra
