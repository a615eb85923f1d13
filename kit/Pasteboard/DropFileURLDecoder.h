#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUrl>

#include <optional>

namespace holdra {

// Turns the forms in which X11 and Wayland clients hand over file locations
// (text/uri-list, text/x-moz-url, x-special/gnome-copied-files, raw UTF-8 or
// UTF-16 bytes, with or without a NUL terminator) into local file URLs.
// Every accepted URL comes back as QUrl::fromLocalFile of its decoded path, so
// "file://localhost/a%20b" and "file:///a b" decode to the same URL.
namespace DropFileURLDecoder {

// The first line of `text` that names a local file, skipping uri-list comments
// and lines that are not file URLs (such as the "copy" line of copied files).
std::optional<QUrl> decode(const QString &text);

// As above, after decoding the bytes: a byte-order mark wins, NUL bytes in the
// first code unit mean UTF-16 without one (Firefox's text/x-moz-url), anything
// else is UTF-8 with invalid sequences replaced.
std::optional<QUrl> decode(const QByteArray &bytes);

// The URL itself when it names a local file: file scheme, no host other than
// this machine, an absolute path without NUL, and no query or fragment (which
// only appear when a sender forgot to percent-encode "?" or "#" in a name).
std::optional<QUrl> decode(const QUrl &url);

// Every local file URL of a uri-list, in order; entries that do not decode are left out.
QList<QUrl> decodeAll(const QByteArray &bytes);

// The first entry of a text/uri-list or text/x-moz-url payload as an absolute
// URL of any scheme. A file URL is returned only when it decodes as above, so a
// file on another host never passes for a web link.
std::optional<QUrl> firstURL(const QByteArray &bytes);

} // namespace DropFileURLDecoder
} // namespace holdra
