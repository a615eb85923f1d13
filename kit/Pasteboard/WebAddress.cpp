#include "Pasteboard/WebAddress.h"

#include <algorithm>

namespace holdra::WebAddress {

std::optional<QUrl> fromText(const QString &text)
{
    const QString trimmed = text.trimmed();
    // The tolerant parser would percent-encode inner white space and so turn a
    // sentence or a second line into part of the address; such text stays text.
    if (trimmed.isEmpty() || std::any_of(trimmed.cbegin(), trimmed.cend(), [](QChar c) { return c.isSpace(); }))
        return std::nullopt;
    const QUrl url(trimmed, QUrl::TolerantMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != u"http" && scheme != u"https") || url.host().isEmpty())
        return std::nullopt;
    return url;
}

} // namespace holdra::WebAddress
