#include "Pasteboard/DropFileURLLoader.h"

#include "Pasteboard/DropFileURLDecoder.h"

namespace holdra::DropFileURLLoader {

std::optional<QUrl> load(const DropProvider &provider)
{
    const QString uriList = QStringLiteral("text/uri-list");
    const QString mozillaURL = QStringLiteral("text/x-moz-url");

    const std::optional<QByteArray> uriListBytes = provider.load(uriList);
    if (uriListBytes) {
        if (std::optional<QUrl> file = DropFileURLDecoder::decode(*uriListBytes))
            return file;
    }
    for (const QString &type : provider.types()) {
        std::optional<QByteArray> bytes;
        if (type == uriList)
            bytes = uriListBytes;
        else if (type == mozillaURL)
            bytes = provider.load(type);
        if (!bytes)
            continue;
        if (std::optional<QUrl> url = DropFileURLDecoder::firstURL(*bytes))
            return url;
    }
    return std::nullopt;
}

} // namespace holdra::DropFileURLLoader
