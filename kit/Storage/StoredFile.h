#pragma once

#include <QString>

#include <optional>

namespace holdra {

// What the file storage hands back after copying something into it.
struct StoredFile
{
    // "<ITEM>/<NAME>", relative to the storage root.
    QString relativePath;
    // Bytes stored; a folder counts the sum of its regular files.
    qint64 byteSize = 0;
    // The file name as stored.
    QString originalName;
    // SHA-256 of the bytes written, when they were hashed on their way in (a
    // single file or data); a folder has none.
    std::optional<QString> contentHash = std::nullopt;

    friend bool operator==(const StoredFile &, const StoredFile &) = default;
};

} // namespace holdra
