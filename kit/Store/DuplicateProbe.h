#pragma once

#include "Models/StashItem.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QUrl>

#include <optional>

namespace holdra {

// Tells, before anything is copied, whether a file repeats a stored item, so that
// a duplicate is only read (hashed), never written. A file can only repeat an item
// of its own byte size: a file of a size nobody has is not even read. A copy of
// the facts taken at one moment, safe to ask from any thread; the store's insert()
// still has the last word.
class DuplicateProbe
{
public:
    DuplicateProbe() = default;
    explicit DuplicateProbe(const QList<StashItem> &items);

    // The stored item (the topmost of its bytes) that the local regular file at
    // `url` repeats byte for byte; nothing when it repeats none.
    std::optional<StashItem> repeatedItem(const QUrl &url) const;

    // The path's bytes as a file URL carries them, so that a name that is not UTF-8 is still found.
    static QByteArray nativePathOf(const QUrl &url);

private:
    // Items by content hash, by byte size.
    QHash<qint64, QHash<QString, StashItem>> m_itemsBySize;
};

} // namespace holdra
