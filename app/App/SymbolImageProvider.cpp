#include "App/SymbolImageProvider.h"

#include "App/SymbolIcons.h"

namespace holdra {

namespace {

constexpr int defaultExtent = 16;

} // namespace

SymbolImageProvider::SymbolImageProvider()
    : QQuickImageProvider(QQmlImageProviderBase::Image)
{
}

QImage SymbolImageProvider::requestImage(const QString &id, QSize *size, const QSize &requestedSize)
{
    QSize extent = requestedSize;
    if (extent.width() <= 0 && extent.height() <= 0)
        extent = QSize(defaultExtent, defaultExtent);
    else if (extent.width() <= 0)
        extent.setWidth(extent.height());
    else if (extent.height() <= 0)
        extent.setHeight(extent.width());

    // QML may pass a query or fragment along with the name; only the name counts.
    const QString name = id.section(QLatin1Char('?'), 0, 0);
    const QIcon icon = SymbolIcons::icon(name);
    QImage image = icon.isNull() ? QImage() : icon.pixmap(extent).toImage();
    if (image.isNull()) {
        image = QImage(extent, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
    }
    if (size)
        *size = image.size();
    return image;
}

} // namespace holdra
