#include "Pasteboard/ImportFeedback.h"

#include <gtest/gtest.h>

using namespace holdra;

namespace {

StashItem named(const QString &name)
{
    return StashItem::makeText(name, QDateTime::currentDateTimeUtc());
}

const PasteboardContent fiveFiles{PasteboardContent::Files{
    {QUrl::fromLocalFile("/a"), QUrl::fromLocalFile("/b"), QUrl::fromLocalFile("/c"), QUrl::fromLocalFile("/d"),
     QUrl::fromLocalFile("/e")}}};

PasteboardCommit commitOf(int added, QList<StashItem> duplicates, int failures)
{
    PasteboardCommit commit;
    commit.addedCount = added;
    commit.duplicates = std::move(duplicates);
    for (int i = 0; i < failures; ++i)
        commit.failures.append(FileStorageError::sourceUnreadable(QStringLiteral("f%1").arg(i)));
    return commit;
}

} // namespace

TEST(ImportFeedbackTest, PasteMessagesCountWhatWasStored)
{
    EXPECT_EQ(ImportFeedback::pasteFeedback(fiveFiles, commitOf(3, {}, 2)), QStringLiteral("已暂存 3 个文件，2 项失败"));
    EXPECT_EQ(ImportFeedback::pasteFeedback(fiveFiles, commitOf(5, {}, 0)), QStringLiteral("已暂存 5 个文件"));
    EXPECT_EQ(ImportFeedback::pasteFeedback({PasteboardContent::Image{"x", "png"}}, commitOf(1, {}, 0)),
              QStringLiteral("已暂存图片"));
    EXPECT_EQ(ImportFeedback::pasteFeedback({PasteboardContent::Link{"https://a/", std::nullopt}}, commitOf(1, {}, 0)),
              QStringLiteral("已暂存链接"));
    EXPECT_EQ(ImportFeedback::pasteFeedback({PasteboardContent::Text{"t"}}, commitOf(1, {}, 0)),
              QStringLiteral("已暂存文字"));
}

TEST(ImportFeedbackTest, DuplicatesAreNamedOrCounted)
{
    EXPECT_EQ(ImportFeedback::duplicateFeedback(1, {named(QStringLiteral("报告.pdf"))}),
              QStringLiteral("已暂存 1 项，「报告.pdf」已存在"));
    EXPECT_EQ(ImportFeedback::duplicateFeedback(0, {named("a"), named("b"), named("c")}),
              QStringLiteral("3 项已存在，高亮显示"));
    EXPECT_EQ(ImportFeedback::pasteFeedback(fiveFiles, commitOf(2, {named("a"), named("b")}, 1)),
              QStringLiteral("已暂存 2 项，2 项已存在，1 项失败"));
}

TEST(ImportFeedbackTest, NothingStoredBeepsUnlessSomethingFailed)
{
    EXPECT_EQ(ImportFeedback::pasteFeedback({PasteboardContent::Empty{}}, commitOf(0, {}, 0)), std::nullopt);
    EXPECT_EQ(ImportFeedback::pasteFeedback(fiveFiles, commitOf(0, {}, 5)), QStringLiteral("5 项失败"));

    PasteboardCommit full;
    full.failures.append(FileStorageError::outOfSpace());
    EXPECT_EQ(ImportFeedback::pasteFeedback({PasteboardContent::Image{"x", "png"}}, full),
              FileStorageError::outOfSpace().errorDescription());
}
