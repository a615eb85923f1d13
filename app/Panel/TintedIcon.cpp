#include "Panel/TintedIcon.h"

#include "App/SymbolIcons.h"

#include <QIcon>
#include <QPainter>
#include <QQmlEngine>
#include <QQuickImageProvider>
#include <QQuickWindow>

#include <cmath>

namespace holdra {

TintedIcon::TintedIcon(QQuickItem *parent)
    : QQuickPaintedItem(parent)
{
    setAntialiasing(true);
}

void TintedIcon::setName(const QString &name)
{
    if (m_name == name)
        return;
    m_name = name;
    update();
    Q_EMIT nameChanged();
}

void TintedIcon::setColor(const QColor &color)
{
    if (m_color == color)
        return;
    m_color = color;
    update();
    Q_EMIT colorChanged();
}

QImage TintedIcon::resolvedImage(const QSize &pixelSize) const
{
    if (m_name.isEmpty() || pixelSize.isEmpty())
        return {};
    if (QQmlEngine *engine = qmlEngine(this)) {
        auto *provider = dynamic_cast<QQuickImageProvider *>(engine->imageProvider(QStringLiteral("symbol")));
        if (provider) {
            QSize size;
            if (provider->imageType() == QQmlImageProviderBase::Image) {
                const QImage image = provider->requestImage(m_name, &size, pixelSize);
                if (!image.isNull())
                    return image;
            } else if (provider->imageType() == QQmlImageProviderBase::Pixmap) {
                const QPixmap pixmap = provider->requestPixmap(m_name, &size, pixelSize);
                if (!pixmap.isNull())
                    return pixmap.toImage();
            }
        }
    }
    // Without the application's provider (a bare engine), the theme's icon of the same name.
    const QString themeName = SymbolIcons::themeIconName(m_name);
    const QIcon icon = QIcon::fromTheme(themeName.isEmpty() ? m_name : themeName);
    if (icon.isNull())
        return {};
    return icon.pixmap(pixelSize).toImage();
}

void TintedIcon::paint(QPainter *painter)
{
    const qreal ratio = window() ? window()->effectiveDevicePixelRatio() : 1.0;
    const QSize pixelSize(int(std::ceil(width() * ratio)), int(std::ceil(height() * ratio)));
    QImage image = resolvedImage(pixelSize);
    if (image.isNull())
        return;

    image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (m_color.isValid() && m_color.alpha() > 0) {
        QPainter tint(&image);
        tint.setCompositionMode(QPainter::CompositionMode_SourceIn);
        tint.fillRect(image.rect(), m_color);
    }
    // Scaled to fit, centred, aspect kept.
    QSizeF drawn = QSizeF(image.size()).scaled(QSizeF(width(), height()), Qt::KeepAspectRatio);
    const QRectF target(QPointF((width() - drawn.width()) / 2, (height() - drawn.height()) / 2), drawn);
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    painter->drawImage(target, image);
}

} // namespace holdra
