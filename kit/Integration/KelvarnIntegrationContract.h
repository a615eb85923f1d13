#pragma once

#include <QString>
#include <QUrl>
#include <QVariantMap>

#include <optional>

namespace holdra {

// What Holdra and Kelvarn, the maker's downloads organiser, agree on. Kelvarn
// is found through its desktop entry and reached through its URL scheme; its
// desktop entry plays the part of an information dictionary.
namespace KelvarnIntegrationContract {

// The application identifier; the desktop entry is this name + ".desktop".
inline constexpr auto bundleIdentifier = "com.tessavel.Kelvarn";
inline constexpr auto desktopEntryName = "com.tessavel.Kelvarn.desktop";
inline constexpr auto schemeHandlerMimeType = "x-scheme-handler/kelvarn";

// The desktop entry key whose value says which version of the targeted
// "open today's folder" request Kelvarn understands.
inline constexpr auto targetDisplayCapabilityInfoKey = "X-KelvarnOpenTodayFolderTargetDisplayVersion";
inline constexpr qint64 targetDisplayCapabilityVersion = 1;

// Longest display identifier, in UTF-8 bytes, that may be sent along.
inline constexpr qsizetype maximumDisplayIDBytes = 128;

// "kelvarn://open-today-folder"
QUrl openTodayFolderURL();
QUrl homepageURL();

// Whether the companion's entries announce the targeted request: the
// capability value is a number, or a string of an optional sign and ASCII
// digits only, that is at least targetDisplayCapabilityVersion. Malformed
// strings and values that overflow 64 bits count as 0.
bool supportsTargetDisplay(const std::optional<QVariantMap> &infoDictionary);

// openTodayFolderURL() with "?display-id=" and the identifier, which must be
// 1 to 128 UTF-8 bytes of letters, marks, digits (any script), "-" and "_";
// nothing otherwise.
std::optional<QUrl> openTodayFolderURL(const QString &targetDisplayID);

// True only when Kelvarn is installed and the kelvarn: scheme is routed to
// that very copy: the handler carries the companion's identifier and both
// locations name the same file once symbolic links are resolved.
bool canOpenTodayFolder(const std::optional<QUrl> &installedApplicationURL,
                        const std::optional<QUrl> &schemeHandlerApplicationURL,
                        const std::optional<QString> &schemeHandlerBundleIdentifier);

} // namespace KelvarnIntegrationContract
} // namespace holdra
