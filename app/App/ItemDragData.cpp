#include "App/ItemDragData.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>

namespace holdra {

namespace {

const QString pngType = QStringLiteral("image/png");

// A PNG file is handed out as it is stored; anything else is decoded and encoded.
QByteArray pngBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    if (file.peek(8) == QByteArray("\x89PNG\r\n\x1a\n", 8))
        return file.readAll();
    file.close();
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QImage image = reader.read();
    if (image.isNull())
        return {};
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

} // namespace

QStringList ItemDragData::formats() const
{
    QStringList result = QMimeData::formats();
    if (!m_imageFile.isEmpty() && !result.contains(pngType))
        result.append(pngType);
    return result;
}

QVariant ItemDragData::retrieveData(const QString &mimeType, QMetaType type) const
{
    if (mimeType == pngType && !m_imageFile.isEmpty() && !QMimeData::formats().contains(pngType))
        return pngBytes(m_imageFile);
    return QMimeData::retrieveData(mimeType, type);
}

} // namespace holdra
