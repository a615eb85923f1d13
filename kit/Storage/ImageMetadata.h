#pragma once

#include <QImage>
#include <QSizeF>
#include <QString>

#include <optional>

namespace holdra::ImageMetadata {

// The pixel dimensions of the first image in the file as stored, before any
// EXIF orientation, read from the header without decoding the pixels.
std::optional<QSizeF> pixelSize(const QString &filePath);

// The first image, upright, scaled so that its longer side is at most `maxPixel`.
std::optional<QImage> thumbnail(const QString &filePath, int maxPixel);

} // namespace holdra::ImageMetadata
