#pragma once

#include "Pasteboard/PasteboardReading.h"

class QMimeData;

namespace holdra {

// The clipboard as classification reads it: one QMimeData (the clipboard's
// current data, which Qt keeps alive until the clipboard changes). Files come
// from text/uri-list or, from file managers that only offer their own format,
// x-special/gnome-copied-files; links from non-file uri-list or text/x-moz-url
// entries or http(s) text; images from image/* or a bare QImage.
class PasteboardReader : public PasteboardReading
{
public:
    explicit PasteboardReader(const QMimeData *data);

    QList<QUrl> fileURLs() const override;
    std::optional<PasteboardContent::Image> imageData() const override;
    std::optional<QString> webURL() const override;
    std::optional<QString> plainText() const override;

private:
    const QMimeData *m_data;
};

} // namespace holdra
