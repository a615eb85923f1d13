#include "Store/StashFeedback.h"

#include <gtest/gtest.h>

using namespace holdra;

namespace {

TrashRestoreResult restoreOf(int restored, int duplicates, int missing)
{
    TrashRestoreResult result;
    for (int i = 0; i < restored; ++i)
        result.restored.append(StashItem::makeText(QStringLiteral("r"), QDateTime::currentDateTimeUtc()));
    for (int i = 0; i < duplicates; ++i)
        result.duplicates.append(StashItem::makeText(QStringLiteral("d"), QDateTime::currentDateTimeUtc()));
    for (int i = 0; i < missing; ++i)
        result.missingFiles.append(StashItem::makeText(QStringLiteral("m"), QDateTime::currentDateTimeUtc()));
    return result;
}

TEST(StashFeedbackTest, RestoreMessagesCoverEveryMixOfOutcomes)
{
    EXPECT_EQ(StashFeedback::restoreMessage(restoreOf(0, 0, 0)), std::nullopt);
    EXPECT_EQ(StashFeedback::restoreMessage(restoreOf(1, 0, 0)), QStringLiteral("已恢复到暂存"));
    EXPECT_EQ(StashFeedback::restoreMessage(restoreOf(3, 0, 0)), QStringLiteral("已恢复 3 项到暂存"));
    EXPECT_EQ(StashFeedback::restoreMessage(restoreOf(1, 0, 2)), QStringLiteral("已恢复 1 项，0 项重复，2 项文件缺失"));
    EXPECT_EQ(StashFeedback::restoreMessage(restoreOf(0, 2, 1)), QStringLiteral("暂存中已有相同文件，未恢复"));
    EXPECT_EQ(StashFeedback::restoreMessage(restoreOf(0, 0, 1)), QStringLiteral("原文件已缺失，无法恢复"));
}

TEST(StashFeedbackTest, RemovalAndClearingNameLockedItemsKeptBack)
{
    EXPECT_EQ(StashFeedback::removalMessage(1, 0), QStringLiteral("已移入回收站"));
    EXPECT_EQ(StashFeedback::removalMessage(2, 0), QStringLiteral("已移入回收站 2 项"));
    EXPECT_EQ(StashFeedback::removalMessage(0, 2), QStringLiteral("已锁定，先解锁再删除"));
    EXPECT_EQ(StashFeedback::removalMessage(3, 2), QStringLiteral("已移入回收站 3 项，2 项已锁定"));
    EXPECT_EQ(StashFeedback::clearMessage(0, 4), std::nullopt);
    EXPECT_EQ(StashFeedback::clearMessage(1, 0), QStringLiteral("已移入回收站 1 项"));
    EXPECT_EQ(StashFeedback::lockMessage(false, 1), QStringLiteral("已解锁"));
    EXPECT_EQ(StashFeedback::lockMessage(true, 12), QStringLiteral("已锁定 12 项"));
}

} // namespace
