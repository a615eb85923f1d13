#pragma once

#include <QQuickAsyncImageProvider>
#include <QThreadPool>

namespace holdra {

// Serves "image://thumbnail/<file URL, percent-encoded as a URI component>" to
// the item rows: ImageMetadata's upright thumbnail of that file, bounded on the
// longer side by the requested size (96 px when none is asked for), cropped to a
// centred square with the rows' rounded corners, decoded on a background thread
// of low priority.
class ThumbnailImageProvider : public QQuickAsyncImageProvider
{
public:
    ThumbnailImageProvider();

    QQuickImageResponse *requestImageResponse(const QString &id, const QSize &requestedSize) override;

    // The local file that `id` names.
    static QString filePath(const QString &id);

private:
    QThreadPool m_pool;
};

} // namespace holdra
