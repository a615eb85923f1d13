#pragma once

#include "Models/StashItem.h"
#include "Pasteboard/PasteboardCommit.h"
#include "Pasteboard/PasteboardContent.h"

#include <QList>
#include <QString>

#include <optional>

namespace holdra {

// The toasts of the import paths (paste and drop). Failed items are not told:
// the toast says what was stashed or found again, and a paste that stashed and
// found nothing is answered with the alert sound instead.
namespace ImportFeedback {

// "已暂存 N 个文件" with N the files pasted, "已暂存图片", "已暂存链接",
// "已暂存文字"; empty for empty content.
QString pasteMessage(const PasteboardContent &content);

// "「name」已存在" for one duplicate, "N 项已存在" otherwise; after "已暂存 N 项，"
// when something was added, else followed by "，高亮显示".
QString duplicateFeedback(int added, const QList<StashItem> &duplicates);

// The toast for a paste, or nothing when it stashed nothing and repeated nothing.
std::optional<QString> pasteFeedback(const PasteboardContent &content, const PasteboardCommit &commit);

// The toast for a drop, or nothing when it stashed nothing and repeated nothing.
std::optional<QString> dropFeedback(int added, const QList<StashItem> &duplicates);

} // namespace ImportFeedback
} // namespace holdra
