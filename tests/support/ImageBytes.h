#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QImage>

namespace holdra::test {

// A plain picture of `size` encoded as `format` (a Qt image format name).
inline QByteArray imageBytes(const QSize &size, const char *format, Qt::GlobalColor colour = Qt::blue)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

} // namespace holdra::test
