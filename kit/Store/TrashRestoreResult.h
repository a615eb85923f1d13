#pragma once

#include "Models/StashItem.h"

#include <QList>

namespace holdra {

// What a restore from the trash did with the requested items, each list in trash order.
struct TrashRestoreResult
{
    // Moved back into the active list.
    QList<StashItem> restored;
    // Left in the trash: an item with the same content is already active.
    QList<StashItem> duplicates;
    // Left in the trash: the stored copy no longer exists.
    QList<StashItem> missingFiles;

    friend bool operator==(const TrashRestoreResult &, const TrashRestoreResult &) = default;
};

} // namespace holdra
