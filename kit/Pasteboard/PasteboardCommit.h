#pragma once

#include "Models/StashItem.h"
#include "Pasteboard/PasteboardContent.h"
#include "Storage/FileStorageError.h"

#include <QList>

namespace holdra {

class StashStore;

// The outcome of handing one classified paste to the store: what was really
// stored, which stored items it repeated and what could not be stored.
struct PasteboardCommit
{
    int addedCount = 0;
    QList<StashItem> duplicates;
    QList<FileStorageError> failures;

    // Runs the one store operation that fits `content`. Storage failures are
    // collected, never thrown.
    static PasteboardCommit commit(const PasteboardContent &content, StashStore &store);
};

} // namespace holdra
