#include "Panel/TintedIcon.h"

#include <QIcon>
#include <QPainter>
#include <QQmlEngine>
#include <QQuickImageProvider>
#include <QQuickWindow>

#include <QHash>

#include <cmath>

namespace holdra {

namespace {

// The freedesktop names that stand in for symbol names when no symbol image
// provider is installed.
QString themeNameForSymbol(const QString &symbol)
{
    static const QHash<QString, QString> names{
        {QStringLiteral("doc"), QStringLiteral("text-x-generic-symbolic")},
        {QStringLiteral("photo"), QStringLiteral("image-x-generic-symbolic")},
        {QStringLiteral("text.alignleft"), QStringLiteral("format-justify-left-symbolic")},
        {QStringLiteral("link"), QStringLiteral("insert-link-symbolic")},
        {QStringLiteral("waveform"), QStringLiteral("audio-x-generic-symbolic")},
        {QStringLiteral("tray"), QStringLiteral("mail-inbox-symbolic")},
        {QStringLiteral("trash"), QStringLiteral("user-trash-symbolic")},
        {QStringLiteral("chevron.up"), QStringLiteral("go-up-symbolic")},
        {QStringLiteral("mic"), QStringLiteral("audio-input-microphone-symbolic")},
        {QStringLiteral("stop.circle.fill"), QStringLiteral("media-playback-stop-symbolic")},
        {QStringLiteral("doc.on.doc"), QStringLiteral("edit-copy-symbolic")},
        {QStringLiteral("arrow.uturn.backward"), QStringLiteral("edit-undo-symbolic")},
        {QStringLiteral("arrow.uturn.backward.circle.fill"), QStringLiteral("edit-undo-symbolic")},
        {QStringLiteral("checkmark.circle.fill"), QStringLiteral("emblem-ok-symbolic")},
        {QStringLiteral("square.and.pencil"), QStringLiteral("document-edit-symbolic")},
        {QStringLiteral("xmark.circle.fill"), QStringLiteral("window-close-symbolic")},
        {QStringLiteral("lock.fill"), QStringLiteral("changes-prevent-symbolic")},
        {QStringLiteral("lock"), QStringLiteral("changes-prevent-symbolic")},
        {QStringLiteral("lock.open"), QStringLiteral("changes-allow-symbolic")},
        {QStringLiteral("note.text"), QStringLiteral("accessories-text-editor-symbolic")},
        {QStringLiteral("eye"), QStringLiteral("view-reveal-symbolic")},
        {QStringLiteral("eye.fill"), QStringLiteral("view-reveal-symbolic")},
        {QStringLiteral("play.fill"), QStringLiteral("media-playback-start-symbolic")},
        {QStringLiteral("pause.fill"), QStringLiteral("media-playback-pause-symbolic")},
        {QStringLiteral("arrow.up.forward"), QStringLiteral("folder-open-symbolic")},
        {QStringLiteral("arrow.up.forward.app"), QStringLiteral("document-open-symbolic")},
        {QStringLiteral("folder"), QStringLiteral("folder-symbolic")},
    };
    return names.value(symbol, symbol);
}

} // namespace

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
    const QIcon icon = QIcon::fromTheme(themeNameForSymbol(m_name));
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
