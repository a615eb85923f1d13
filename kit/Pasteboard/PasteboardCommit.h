#pragma once

#include "Models/StashItem.h"
#include "Pasteboard/PasteboardContent.h"
#include "Store/ImportJob.h"

#include <QList>

namespace holdra {

class StashStore;

// The outcome of handing one classified paste to the store: what was really
// stored and which stored items it repeated.
struct PasteboardCommit
{
    int addedCount = 0;
    QList<StashItem> duplicates;

    // Runs the one store operation that fits `content`, for everything but files,
    // which are copied off the main thread (see fromImport()). Storage failures
    // are never thrown: what failed counts as not added and goes to the log.
    static PasteboardCommit commit(const PasteboardContent &content, StashStore &store);
    // The outcome of pasted files once the import job committed them; failures go to the log.
    static PasteboardCommit fromImport(const ImportJob::Result &result);
};

} // namespace holdra
