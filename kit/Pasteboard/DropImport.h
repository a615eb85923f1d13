#pragma once

#include "Models/StashItem.h"
#include "Pasteboard/DropProvider.h"
#include "Store/ImportJob.h"

#include <QList>
#include <QString>

#include <optional>

class QMimeData;

namespace holdra {

class StashStore;

// Turns what was dropped on the capsule or the panel into stash items: one
// provider per dropped item, decided one after another in drop order, staged,
// then inserted in one call so that content duplicates are found together.
class DropImport
{
public:
    struct Outcome
    {
        // Staged items that the store kept.
        int addedCount = 0;
        // Stored items the drop repeated (dragged back in, or the same bytes), each once.
        QList<StashItem> duplicates;

        // Nothing stored and nothing repeated: the drop ends silently, whatever
        // failed on the way (failures go to the log).
        bool isEmpty() const { return addedCount == 0 && duplicates.isEmpty(); }
        // The toast, or nothing for an empty outcome.
        std::optional<QString> message() const;
    };

    // One provider per entry of a uri-list (or of copied files) when it lists
    // local files or several entries; otherwise the data is a single item (a
    // browser link, an image with its page address, a text selection) and
    // becomes one provider offering every format.
    static QList<DropProvider> providers(const QMimeData &data);

    // Carries the identifiers of items dragged out of the shelf, one a line: a
    // drop of them back onto it finds them already stashed, texts and links too.
    static QString draggedItemsFormat() { return QStringLiteral("application/x-holdra-item-ids"); }

    // A drop made ready to import: its files still to copy (an ImportJob batch),
    // everything else already made into items, in drop order.
    struct Prepared
    {
        QList<ImportJob::Entry> entries;
        // Rows of the shelf dragged back in: nothing to import.
        QList<StashItem> draggedBack;
    };
    static Prepared prepare(const QMimeData &data, StashStore &store);
    // What the drop came to once its batch was committed; nothing to say when it was cancelled.
    static Outcome finish(const Prepared &prepared, const ImportJob::Result &result);

    // Everything at once, copies included, on the calling thread.
    static Outcome run(const QMimeData &data, StashStore &store);
};

} // namespace holdra
