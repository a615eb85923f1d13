#include "Pasteboard/ImportFeedback.h"

namespace holdra::ImportFeedback {

QString pasteMessage(const PasteboardContent &content, int addedCount)
{
    if (addedCount < 1)
        return QString();
    if (std::holds_alternative<PasteboardContent::Files>(content.value))
        return QStringLiteral("已暂存 %1 个文件").arg(addedCount);
    if (std::holds_alternative<PasteboardContent::Image>(content.value))
        return QStringLiteral("已暂存图片");
    if (std::holds_alternative<PasteboardContent::Link>(content.value))
        return QStringLiteral("已暂存链接");
    if (std::holds_alternative<PasteboardContent::Text>(content.value))
        return QStringLiteral("已暂存文字");
    return QString();
}

QString duplicateFeedback(int added, const QList<StashItem> &duplicates)
{
    const QString phrase = duplicates.size() == 1
        ? QStringLiteral("「%1」已存在").arg(duplicates.first().displayName())
        : QStringLiteral("%1 项已存在").arg(duplicates.size());
    if (added < 1)
        return phrase + QStringLiteral("，高亮显示");
    return QStringLiteral("已暂存 %1 项，").arg(added) + phrase;
}

QString withFailures(const QString &message, int failureCount)
{
    if (failureCount < 1)
        return message;
    const QString failures = QStringLiteral("%1 项失败").arg(failureCount);
    return message.isEmpty() ? failures : message + QStringLiteral("，") + failures;
}

std::optional<QString> pasteFeedback(const PasteboardContent &content, const PasteboardCommit &commit)
{
    const int failureCount = int(commit.failures.size());
    if (commit.addedCount < 1 && commit.duplicates.isEmpty()) {
        if (failureCount == 0)
            return std::nullopt;
        // Nothing else to say, so say why: "磁盘空间不足" beats a bare count.
        if (failureCount == 1)
            return commit.failures.first().errorDescription();
        return withFailures(QString(), failureCount);
    }
    const QString message = commit.duplicates.isEmpty() ? pasteMessage(content, commit.addedCount)
                                                        : duplicateFeedback(commit.addedCount, commit.duplicates);
    return withFailures(message, failureCount);
}

} // namespace holdra::ImportFeedback
