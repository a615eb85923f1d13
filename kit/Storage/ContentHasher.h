#pragma once

#include <QString>

#include <optional>

namespace holdra::ContentHasher {

// SHA-256 of a file's bytes as 64 lower-case hex digits, read in small chunks;
// nothing when the file cannot be opened or read (a folder, for instance).
std::optional<QString> sha256Hex(const QString &filePath);
// The same for an open regular file, read from its start.
std::optional<QString> sha256Hex(int fd);

} // namespace holdra::ContentHasher
