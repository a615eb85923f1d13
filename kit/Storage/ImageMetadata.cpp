#include "Storage/ImageMetadata.h"

#include <QImageReader>

namespace holdra::ImageMetadata {

std::optional<QSizeF> pixelSize(const QString &filePath)
{
    QImageReader reader(filePath);
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty())
        return std::nullopt;
    if (reader.transformation().testFlag(QImageIOHandler::TransformationRotate90))
        return QSizeF(size.height(), size.width());
    return QSizeF(size);
}

std::optional<QImage> thumbnail(const QString &filePath, int maxPixel)
{
    if (maxPixel <= 0)
        return std::nullopt;
    QImageReader reader(filePath);
    reader.setAutoTransform(true);
    QSize size = reader.size();
    if (size.isValid() && !size.isEmpty()) {
        // The longer side of the upright image is the one to bound.
        if (reader.transformation().testFlag(QImageIOHandler::TransformationRotate90))
            size.transpose();
        if (size.width() > maxPixel || size.height() > maxPixel) {
            size.scale(maxPixel, maxPixel, Qt::KeepAspectRatio);
            if (reader.transformation().testFlag(QImageIOHandler::TransformationRotate90))
                size.transpose();
            reader.setScaledSize(size);
        }
    }
    QImage image = reader.read();
    if (image.isNull())
        return std::nullopt;
    if (image.width() > maxPixel || image.height() > maxPixel)
        image = image.scaled(maxPixel, maxPixel, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return image;
}

} // namespace holdra::ImageMetadata
