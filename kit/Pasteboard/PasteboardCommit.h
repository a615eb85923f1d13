#pragma once

#include "Models/StashItem.h"
#include "Pasteboard/PasteboardContent.h"

#include <QList>

namespace holdra {

class StashStore;

// The outcome of handing one classified paste to the store: what was really
// stored and which stored items it repeated.
struct PasteboardCommit
{
    int addedCount = 0;
    QList<StashItem> duplicates;

    // Runs the one store operation that fits `content`. Storage failures are
    // never thrown: what failed counts as not added and goes to the log.
    static PasteboardCommit commit(const PasteboardContent &content, StashStore &store);
};

} // namespace holdra
