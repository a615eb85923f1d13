#include "App/PasteboardReader.h"

#include "Pasteboard/DropFileURLDecoder.h"
#include "Pasteboard/WebAddress.h"

#include <QBuffer>
#include <QImage>
#include <QMimeData>
#include <QMimeDatabase>

namespace holdra {

namespace {

const QString uriList = QStringLiteral("text/uri-list");
const QString gnomeCopiedFiles = QStringLiteral("x-special/gnome-copied-files");
const QString mozillaURL = QStringLiteral("text/x-moz-url");

// Formats already compressed well enough to keep as they came.
bool isKeptAsIs(const QString &format)
{
    return format == u"image/png" || format == u"image/jpeg" || format == u"image/gif" || format == u"image/webp";
}

std::optional<QByteArray> pngFrom(const QImage &image)
{
    if (image.isNull())
        return std::nullopt;
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG"))
        return std::nullopt;
    return png;
}

} // namespace

PasteboardReader::PasteboardReader(const QMimeData *data)
    : m_data(data)
{
}

QList<QUrl> PasteboardReader::fileURLs() const
{
    if (!m_data)
        return {};
    for (const QString &format : {uriList, gnomeCopiedFiles}) {
        if (!m_data->hasFormat(format))
            continue;
        const QList<QUrl> urls = DropFileURLDecoder::decodeAll(m_data->data(format));
        if (!urls.isEmpty())
            return urls;
    }
    return {};
}

std::optional<PasteboardContent::Image> PasteboardReader::imageData() const
{
    if (!m_data)
        return std::nullopt;
    const QMimeDatabase database;
    const QStringList formats = m_data->formats();
    // PNG first, as most programs offer it beside their own formats.
    if (formats.contains(u"image/png")) {
        const QByteArray png = m_data->data(QStringLiteral("image/png"));
        if (!png.isEmpty())
            return PasteboardContent::Image{png, QStringLiteral("png")};
    }
    for (const QString &format : formats) {
        if (!format.startsWith(u"image/"))
            continue;
        const QByteArray bytes = m_data->data(format);
        if (bytes.isEmpty())
            continue;
        const QString suffix = database.mimeTypeForName(format).preferredSuffix();
        if (isKeptAsIs(format) && !suffix.isEmpty())
            return PasteboardContent::Image{bytes, suffix};
        // TIFF, BMP and the like are stored as PNG when they decode, else as they came.
        if (const std::optional<QByteArray> png = pngFrom(QImage::fromData(bytes)))
            return PasteboardContent::Image{*png, QStringLiteral("png")};
        if (!suffix.isEmpty())
            return PasteboardContent::Image{bytes, suffix};
    }
    if (m_data->hasImage()) {
        if (const std::optional<QByteArray> png = pngFrom(qvariant_cast<QImage>(m_data->imageData())))
            return PasteboardContent::Image{*png, QStringLiteral("png")};
    }
    return std::nullopt;
}

std::optional<QString> PasteboardReader::webURL() const
{
    if (!m_data)
        return std::nullopt;
    for (const QString &format : {uriList, mozillaURL}) {
        if (!m_data->hasFormat(format))
            continue;
        const std::optional<QUrl> url = DropFileURLDecoder::firstURL(m_data->data(format));
        if (url && !url->isLocalFile())
            return url->toString(QUrl::FullyEncoded);
    }
    if (!m_data->hasText())
        return std::nullopt;
    if (const std::optional<QUrl> url = WebAddress::fromText(m_data->text()))
        return url->toString(QUrl::FullyEncoded);
    return std::nullopt;
}

std::optional<QString> PasteboardReader::plainText() const
{
    if (!m_data || !m_data->hasText())
        return std::nullopt;
    return m_data->text();
}

} // namespace holdra
