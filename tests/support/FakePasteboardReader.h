#pragma once

#include "Pasteboard/PasteboardReading.h"

#include <QStringList>

namespace holdra::test {

// A clipboard with fixed contents that logs which operations were called.
class FakePasteboardReader : public PasteboardReading
{
public:
    QList<QUrl> files;
    std::optional<PasteboardContent::Image> image;
    std::optional<QString> web;
    std::optional<QString> text;

    mutable QStringList calls;

    QList<QUrl> fileURLs() const override
    {
        calls << QStringLiteral("fileURLs");
        return files;
    }
    std::optional<PasteboardContent::Image> imageData() const override
    {
        calls << QStringLiteral("imageData");
        return image;
    }
    std::optional<QString> webURL() const override
    {
        calls << QStringLiteral("webURL");
        return web;
    }
    std::optional<QString> plainText() const override
    {
        calls << QStringLiteral("plainText");
        return text;
    }
};

} // namespace holdra::test
