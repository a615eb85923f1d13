#pragma once

#include "Pasteboard/DropProvider.h"

#include <QUrl>

#include <optional>

namespace holdra {

// The URL a dropped provider stands for, if any.
namespace DropFileURLLoader {

// A local file from text/uri-list first; failing that, the first entry of
// text/uri-list or text/x-moz-url as a URL of any scheme (a web link, say).
// Nothing when the provider offers neither, or they hold no usable URL.
std::optional<QUrl> load(const DropProvider &provider);

} // namespace DropFileURLLoader
} // namespace holdra
