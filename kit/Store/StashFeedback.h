#pragma once

#include "Store/TrashRestoreResult.h"

#include <QString>

#include <optional>

namespace holdra::StashFeedback {

// After copying `count` items: a row's items say "已复制" alone for one item,
// the panel's selection always names its count.
QString copyMessage(qint64 count, bool ofSelection);
// After trashing the panel's selection, of which `locked` items stayed.
QString selectionRemovalMessage(qint64 removed, qint64 locked);
// After a quick entry was stored.
QString entryMessage();
// What the user is told after removing `removed` items to the trash when
// `locked` of the requested ones were kept back.
QString removalMessage(qint64 removed, qint64 locked);
// After clearing the stash; nothing when nothing moved.
std::optional<QString> clearMessage(qint64 removed, qint64 locked);
QString lockMessage(bool locked, qint64 count);
// Nothing when the restore touched nothing.
std::optional<QString> restoreMessage(const TrashRestoreResult &result);

} // namespace holdra::StashFeedback
