#pragma once

#include "Models/StashItem.h"

#include <QString>

#include <optional>

namespace holdra {

class FileIconNames;
class StashStore;

// What a list row shows of an item's stored copy. Finding it out checks the
// path on disk and stats the copy, so the list models do it only for rows a
// view asks about, once.
struct StoredCopyLook
{
    std::optional<QString> absolutePath;
    bool isDirectory = false;
    // Only file items show the copy's icon.
    QString fileIconName;

    static StoredCopyLook of(const StashStore &store, const StashItem &item, FileIconNames &icons);
};

} // namespace holdra
