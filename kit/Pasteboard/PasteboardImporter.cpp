#include "Pasteboard/PasteboardImporter.h"

namespace holdra::PasteboardImporter {

PasteboardContent classify(const PasteboardReading &pasteboard)
{
    if (QList<QUrl> urls = pasteboard.fileURLs(); !urls.isEmpty())
        return {PasteboardContent::Files{std::move(urls)}};
    if (std::optional<PasteboardContent::Image> image = pasteboard.imageData())
        return {std::move(*image)};
    if (std::optional<QString> url = pasteboard.webURL(); url && !url->isEmpty())
        return {PasteboardContent::Link{std::move(*url), std::nullopt}};
    if (std::optional<QString> text = pasteboard.plainText(); text && !text->trimmed().isEmpty())
        return {PasteboardContent::Text{std::move(*text)}};
    return {PasteboardContent::Empty{}};
}

} // namespace holdra::PasteboardImporter
