#pragma once

#include "Pasteboard/PasteboardContent.h"

#include <QList>
#include <QString>
#include <QUrl>

#include <optional>

namespace holdra {

// Read-only access to something that behaves like the clipboard. The
// application implements it over QClipboard's QMimeData; classification calls
// each operation at most once, in the order declared here.
class PasteboardReading
{
public:
    virtual ~PasteboardReading() = default;

    // Local files from text/uri-list, in order; empty when there are none.
    virtual QList<QUrl> fileURLs() const = 0;
    // The first image representation (image/png, image/jpeg, …) with its extension.
    virtual std::optional<PasteboardContent::Image> imageData() const = 0;
    // A web address: an http(s) entry of text/uri-list or text/x-moz-url, or
    // plain text that parses as an http(s) URL once trimmed.
    virtual std::optional<QString> webURL() const = 0;
    virtual std::optional<QString> plainText() const = 0;
};

} // namespace holdra
