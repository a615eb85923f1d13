#pragma once

#include "Pasteboard/PasteboardReading.h"

#include <QUrl>

namespace holdra::test {

// A clipboard with fixed contents.
class FakePasteboardReader : public PasteboardReading
{
public:
    QList<QUrl> files;
    std::optional<PasteboardContent::Image> image;
    std::optional<QString> web;
    std::optional<QString> text;

    QList<QUrl> fileURLs() const override { return files; }
    std::optional<PasteboardContent::Image> imageData() const override { return image; }
    std::optional<QString> webURL() const override { return web; }
    std::optional<QString> plainText() const override { return text; }
};

} // namespace holdra::test
