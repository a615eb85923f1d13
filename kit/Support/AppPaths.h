#pragma once

#include <QString>

namespace holdra {

// Where Holdra keeps its data. Nothing here touches the disk.
namespace AppPaths {

inline constexpr auto folderName = "Holdra";

// $XDG_DATA_HOME/Holdra (QStandardPaths::GenericDataLocation), or the temporary
// directory when the system names no data location.
QString supportDirectory();
QString filesDirectory();
QString metadataPath();
QString trashMetadataPath();
// The store's exclusive lock on the support directory.
QString lockFilePath();
// Holdra's own temporary directory: "Holdra" in the per-user runtime directory
// ($XDG_RUNTIME_DIR, else Qt's private per-user fallback), never the shared /tmp,
// so that scratch files (recordings, dragged texts) are out of other users' reach.
// Empty when no runtime directory of this user can be had.
// Create it and its subdirectories with PrivateDirectory::make.
QString temporaryDirectory();

} // namespace AppPaths
} // namespace holdra
