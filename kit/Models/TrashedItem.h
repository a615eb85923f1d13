#pragma once

#include "Models/StashItem.h"

#include <QDateTime>

namespace holdra {

// An item in the trash, with the time it was moved there.
struct TrashedItem
{
    StashItem item;
    QDateTime trashedAt;

    const QUuid &id() const { return item.id(); }

    friend bool operator==(const TrashedItem &, const TrashedItem &) = default;
};

} // namespace holdra

Q_DECLARE_METATYPE(holdra::TrashedItem)
