#include "Storage/ImageMetadata.h"

#include <QImageReader>

namespace holdra::ImageMetadata {

std::optional<QSizeF> pixelSize(const QString &filePath)
{
    QImageReader reader(filePath);
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty())
        return std::nullopt;
    return QSizeF(size);
}

std::optional<QImage> thumbnail(const QString &filePath, int maxPixel)
{
    if (maxPixel <= 0)
        return std::nullopt;
    QImageReader reader(filePath);
    reader.setAutoTransform(true);
    // Decoders that scale while decoding (JPEG, PNG) spare the full image, but
    // keep a one-bit image one bit deep and so turn its grey areas into noise.
    // Such images, and those of decoders that would read them whole anyway, are
    // read first, widened to colour, then scaled here.
    const QImage::Format format = reader.imageFormat();
    const bool oneBit = format == QImage::Format_Mono || format == QImage::Format_MonoLSB;
    const QSize size = reader.size();
    const bool larger = size.isValid() && (size.width() > maxPixel || size.height() > maxPixel);
    if (reader.supportsOption(QImageIOHandler::ScaledSize) && !oneBit && larger && !size.isEmpty()) {
        // The size of the stored image; its longer side is the same upright.
        reader.setScaledSize(size.scaled(maxPixel, maxPixel, Qt::KeepAspectRatio));
    }
    QImage image = reader.read();
    if (image.isNull())
        return std::nullopt;
    if (image.width() > maxPixel || image.height() > maxPixel) {
        if (image.depth() < 8)
            image.convertTo(image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
        image = image.scaled(maxPixel, maxPixel, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }
    return image;
}

} // namespace holdra::ImageMetadata
