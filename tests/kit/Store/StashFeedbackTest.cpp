#include "Store/StashFeedback.h"

#include <gtest/gtest.h>

using namespace holdra;
using namespace Qt::StringLiterals;

namespace {

TrashRestoreResult restoreOf(int restored, int duplicates, int missing)
{
    const StashItem item = StashItem::makeText(u"t"_s, QDateTime::currentDateTimeUtc());
    return {QList<StashItem>(restored, item), QList<StashItem>(duplicates, item), QList<StashItem>(missing, item)};
}

// Every mix of outcomes gets its own toast; one alone is not counted.
TEST(StashFeedbackTest, MessagesCoverEveryMixOfOutcomes)
{
    EXPECT_EQ(StashFeedback::restoreMessage(restoreOf(0, 0, 0)), std::nullopt);
    EXPECT_EQ(StashFeedback::restoreMessage(restoreOf(1, 0, 0)), u"已恢复到暂存"_s);
    EXPECT_EQ(StashFeedback::restoreMessage(restoreOf(3, 0, 0)), u"已恢复 3 项到暂存"_s);
    EXPECT_EQ(StashFeedback::restoreMessage(restoreOf(1, 0, 2)), u"已恢复 1 项，0 项重复，2 项文件缺失"_s);
    EXPECT_EQ(StashFeedback::restoreMessage(restoreOf(0, 2, 1)), u"暂存中已有相同文件，未恢复"_s);
    EXPECT_EQ(StashFeedback::restoreMessage(restoreOf(0, 0, 1)), u"原文件已缺失，无法恢复"_s);
    EXPECT_EQ(StashFeedback::removalMessage(1, 0), u"已移入回收站"_s);
    EXPECT_EQ(StashFeedback::removalMessage(0, 2), u"已锁定，先解锁再删除"_s);
    EXPECT_EQ(StashFeedback::removalMessage(3, 2), u"已移入回收站 3 项，2 项已锁定"_s);
    EXPECT_EQ(StashFeedback::clearMessage(0, 4), std::nullopt);
    EXPECT_EQ(StashFeedback::clearMessage(1, 0), u"已移入回收站 1 项"_s);
    EXPECT_EQ(StashFeedback::lockMessage(false, 1), u"已解锁"_s);
    EXPECT_EQ(StashFeedback::lockMessage(true, 12), u"已锁定 12 项"_s);
}

} // namespace
