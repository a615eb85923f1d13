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

} // namespace AppPaths
} // namespace holdra
