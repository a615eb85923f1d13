#include "Store/StashFeedback.h"

namespace holdra::StashFeedback {

namespace {

QString number(qint64 n)
{
    return QString::number(n);
}

} // namespace

QString copyMessage(qint64 count, bool ofSelection)
{
    if (count == 1 && !ofSelection)
        return QStringLiteral("已复制");
    return QStringLiteral("已复制 %1 项").arg(number(count));
}

QString selectionRemovalMessage(qint64 removed, qint64 locked)
{
    if (locked > 0 && removed == 0)
        return QStringLiteral("所选已锁定，先解锁再删除");
    if (locked > 0)
        return removalMessage(removed, locked);
    return QStringLiteral("已移入回收站 %1 项").arg(number(removed));
}

QString entryMessage()
{
    return QStringLiteral("已录入");
}

QString removalMessage(qint64 removed, qint64 locked)
{
    if (locked > 0 && removed == 0)
        return QStringLiteral("已锁定，先解锁再删除");
    if (locked > 0)
        return QStringLiteral("已移入回收站 %1 项，%2 项已锁定").arg(number(removed), number(locked));
    if (removed < 2)
        return QStringLiteral("已移入回收站");
    return QStringLiteral("已移入回收站 %1 项").arg(number(removed));
}

std::optional<QString> clearMessage(qint64 removed, qint64 locked)
{
    if (removed == 0)
        return std::nullopt;
    if (locked > 0)
        return QStringLiteral("已移入回收站 %1 项，%2 项已锁定").arg(number(removed), number(locked));
    return QStringLiteral("已移入回收站 %1 项").arg(number(removed));
}

QString lockMessage(bool locked, qint64 count)
{
    if (count == 1)
        return locked ? QStringLiteral("已锁定") : QStringLiteral("已解锁");
    return (locked ? QStringLiteral("已锁定 %1 项") : QStringLiteral("已解锁 %1 项")).arg(number(count));
}

std::optional<QString> restoreMessage(const TrashRestoreResult &result)
{
    const qint64 restored = result.restored.size();
    const qint64 duplicates = result.duplicates.size();
    const qint64 missing = result.missingFiles.size();
    if (restored > 0 && (duplicates > 0 || missing > 0))
        return QStringLiteral("已恢复 %1 项，%2 项重复，%3 项文件缺失")
            .arg(number(restored), number(duplicates), number(missing));
    if (restored == 1)
        return QStringLiteral("已恢复到暂存");
    if (restored > 1)
        return QStringLiteral("已恢复 %1 项到暂存").arg(number(restored));
    if (duplicates > 0)
        return QStringLiteral("暂存中已有相同文件，未恢复");
    if (missing > 0)
        return QStringLiteral("原文件已缺失，无法恢复");
    return std::nullopt;
}

} // namespace holdra::StashFeedback
