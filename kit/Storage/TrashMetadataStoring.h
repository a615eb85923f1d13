#pragma once

#include "Models/TrashedItem.h"

#include <QList>

namespace holdra {

// Persistence of the trash. Every failure is thrown as a FileStorageError.
class TrashMetadataStoring
{
public:
    virtual ~TrashMetadataStoring() = default;

    // An empty list when nothing has been saved yet.
    virtual QList<TrashedItem> load() = 0;
    virtual void save(const QList<TrashedItem> &items) = 0;
    // Moves a file that failed to load out of the way, so that the next save
    // cannot destroy it; returns where it went.
    virtual QString setAsideUnreadableFile() = 0;
    // Where the list is kept, for the log line of a failed save.
    virtual QString location() const = 0;
};

} // namespace holdra
