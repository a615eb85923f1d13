#include "App/ThumbnailImageProvider.h"

#include "Storage/ImageMetadata.h"

#include <QCoreApplication>
#include <QPainter>
#include <QPainterPath>
#include <QRunnable>
#include <QUrl>

#include <algorithm>
#include <atomic>
#include <utility>

namespace holdra {

namespace {

constexpr int defaultMaxPixel = 96;
// The rows draw a 34-pt square with 8-pt corners. Qt Quick cannot clip an Image to a
// rounded shape without a shader, so the thumbnail comes out already cut to it.
constexpr qreal cornerFraction = 8.0 / 34.0;

QImage roundedSquare(const QImage &image)
{
    const int side = std::min(image.width(), image.height());
    const QRect square((image.width() - side) / 2, (image.height() - side) / 2, side, side);
    QImage rounded(side, side, QImage::Format_ARGB32_Premultiplied);
    rounded.fill(Qt::transparent);
    QPainter painter(&rounded);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    QPainterPath clip;
    clip.addRoundedRect(QRectF(0, 0, side, side), side * cornerFraction, side * cornerFraction);
    painter.setClipPath(clip);
    painter.drawImage(QPoint(0, 0), image, square);
    return rounded;
}

class ThumbnailResponse final : public QQuickImageResponse, public QRunnable
{
public:
    ThumbnailResponse(QString path, int maxPixel)
        : m_path(std::move(path))
        , m_maxPixel(maxPixel)
    {
        // The engine deletes the response once it has taken the image.
        setAutoDelete(false);
    }

    QQuickTextureFactory *textureFactory() const override
    {
        return QQuickTextureFactory::textureFactoryForImage(m_image);
    }

    QString errorString() const override { return m_error; }

    // A row that went away before its turn costs no decoding.
    void cancel() override { m_cancelled = true; }

    void run() override
    {
        if (m_cancelled)
            m_error = QStringLiteral("cancelled");
        else if (const std::optional<QImage> image = ImageMetadata::thumbnail(m_path, m_maxPixel))
            m_image = roundedSquare(*image);
        else
            m_error = QStringLiteral("no thumbnail for %1").arg(m_path);
        Q_EMIT finished();
    }

private:
    const QString m_path;
    const int m_maxPixel;
    std::atomic<bool> m_cancelled = false;
    QImage m_image;
    QString m_error;
};

} // namespace

ThumbnailImageProvider::ThumbnailImageProvider()
{
    m_pool.setThreadPriority(QThread::LowPriority);
    // The image machinery may keep this provider past the application, and a
    // decode still running when the program exits would paint with a torn-down
    // toolkit: finish while the application object is going.
    if (QCoreApplication *application = QCoreApplication::instance()) {
        connect(application, &QObject::destroyed, this, [this] {
            m_pool.clear();
            m_pool.waitForDone();
        });
    }
}

QString ThumbnailImageProvider::filePath(const QString &id)
{
    // The engine hands the id over with some escapes undone but never "%25",
    // so decoding what is left gives the URL back exactly.
    return QUrl(QUrl::fromPercentEncoding(id.toUtf8())).toLocalFile();
}

QQuickImageResponse *ThumbnailImageProvider::requestImageResponse(const QString &id, const QSize &requestedSize)
{
    const int requested = std::max(requestedSize.width(), requestedSize.height());
    auto *response = new ThumbnailResponse(filePath(id), requested > 0 ? requested : defaultMaxPixel);
    m_pool.start(response);
    return response;
}

} // namespace holdra
