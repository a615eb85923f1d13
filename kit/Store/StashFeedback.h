#pragma once

#include "Store/TrashRestoreResult.h"

#include <QString>

#include <optional>

namespace holdra::StashFeedback {

// What the user is told after removing `removed` items to the trash when
// `locked` of the requested ones were kept back.
QString removalMessage(qint64 removed, qint64 locked);
// After clearing the stash; nothing when nothing moved.
std::optional<QString> clearMessage(qint64 removed, qint64 locked);
QString lockMessage(bool locked, qint64 count);
// Nothing when the restore touched nothing.
std::optional<QString> restoreMessage(const TrashRestoreResult &result);

} // namespace holdra::StashFeedback
