#pragma once

#include <QString>
#include <QUrl>

#include <optional>

namespace holdra::WebAddress {

// The one rule that decides whether typed, pasted or piped text is a link:
// `text`, trimmed of white space at both ends, must be a single web address,
// an http or https URL (scheme in any case) with a host and no white space
// inside. Anything else, "see https://…" or an address followed by another
// line included, is text. Returns the parsed address, or nothing.
std::optional<QUrl> fromText(const QString &text);

} // namespace holdra::WebAddress
