#pragma once

#include "Models/StashItem.h"
#include "Pasteboard/PasteboardCommit.h"
#include "Pasteboard/PasteboardContent.h"

#include <QList>
#include <QString>

#include <optional>

namespace holdra {

// The toasts of the import paths (paste and drop). Counts are what the store
// really took, so a paste of five files of which two failed says 3, not 5.
namespace ImportFeedback {

// "已暂存 3 个文件", "已暂存图片", "已暂存链接", "已暂存文字"; empty for nothing stored.
QString pasteMessage(const PasteboardContent &content, int addedCount);

// "「name」已存在" for one duplicate, "N 项已存在" otherwise; after "已暂存 N 项，"
// when something was added, else followed by "，高亮显示".
QString duplicateFeedback(int added, const QList<StashItem> &duplicates);

// `message` followed by "，M 项失败" when M > 0; just "M 项失败" when there is no message.
QString withFailures(const QString &message, int failureCount);

// The toast for a paste, or nothing when the paste stored nothing, repeated
// nothing and failed at nothing: that refusal is answered with the alert sound.
// When only failures came back, one failed item is named by its storage error.
std::optional<QString> pasteFeedback(const PasteboardContent &content, const PasteboardCommit &commit);

} // namespace ImportFeedback
} // namespace holdra
