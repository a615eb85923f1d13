#include "Pasteboard/ImportFeedback.h"

namespace holdra::ImportFeedback {

QString pasteMessage(const PasteboardContent &content)
{
    if (const auto *files = std::get_if<PasteboardContent::Files>(&content.value))
        return QStringLiteral("已暂存 %1 个文件").arg(files->urls.size());
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
    const QString phrase = duplicates.size() == 1 ? QStringLiteral("「%1」已存在").arg(duplicates.first().displayName())
                                                  : QStringLiteral("%1 项已存在").arg(duplicates.size());
    if (added < 1)
        return phrase + QStringLiteral("，高亮显示");
    return QStringLiteral("已暂存 %1 项，").arg(added) + phrase;
}

std::optional<QString> pasteFeedback(const PasteboardContent &content, const PasteboardCommit &commit)
{
    if (commit.addedCount < 1 && commit.duplicates.isEmpty())
        return std::nullopt;
    if (commit.duplicates.isEmpty())
        return pasteMessage(content);
    return duplicateFeedback(commit.addedCount, commit.duplicates);
}

std::optional<QString> dropFeedback(int added, const QList<StashItem> &duplicates)
{
    if (added < 1 && duplicates.isEmpty())
        return std::nullopt;
    if (duplicates.isEmpty())
        return QStringLiteral("已暂存 %1 项").arg(added);
    return duplicateFeedback(added, duplicates);
}

} // namespace holdra::ImportFeedback
