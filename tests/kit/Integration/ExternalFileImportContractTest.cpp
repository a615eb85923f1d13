#include "Integration/ExternalFileImportContract.h"
#include "QtPrinters.h"

#include <gtest/gtest.h>

using namespace holdra;

namespace {

QUrl local(const char *path)
{
    return QUrl::fromLocalFile(QString::fromUtf8(path));
}

} // namespace

TEST(ExternalFileImportContractTest, NormalisationKeepsFirstOccurrencesOfLocalFiles)
{
    const QList<QUrl> input{
        local("/a/b/../b/x.txt"),
        QUrl(QStringLiteral("https://example.com/x.txt")),
        local("/a/b/x.txt"),
        local("/a//b/./y 1.txt"),
        QUrl(QStringLiteral("file://localhost/a/b/y%201.txt")),
        QUrl(QStringLiteral("file://nas/a/b/z.txt")),
        QUrl(QStringLiteral("file:relative.txt")),
        QUrl(),
        local("/a/报告/"),
        local("/a/报告"),
    };
    EXPECT_EQ(ExternalFileImportContract::normalizedFileURLs(input),
              (QList<QUrl>{local("/a/b/x.txt"), local("/a/b/y 1.txt"), local("/a/报告/")}));
    EXPECT_TRUE(ExternalFileImportContract::normalizedFileURLs({}).isEmpty());
}

TEST(ExternalFileImportContractTest, ArgumentsResolveAgainstTheCallersDirectory)
{
    const QStringList arguments{
        QStringLiteral("notes.txt"),
        QStringLiteral("../shared/a b.png"),
        QStringLiteral("/abs/c.pdf"),
        QStringLiteral("file:///abs/c.pdf"),
        QStringLiteral("file:///abs/d%20e.pdf"),
        QStringLiteral("https://example.com/"),
        QStringLiteral("a:b.txt"),
        QString(),
        QStringLiteral("file:///abs/broken%zz.pdf"),
        QStringLiteral("file://otherhost/abs/f.pdf"),
        QStringLiteral("file:///abs/g.pdf\nfile:///abs/h.pdf"),
        QStringLiteral("file://localhost/abs/%E6%97%A5.txt"),
    };
    EXPECT_EQ(ExternalFileImportContract::fileURLsFromArguments(arguments, QStringLiteral("/home/u/work")),
              (QList<QUrl>{local("/home/u/work/notes.txt"), local("/home/u/shared/a b.png"), local("/abs/c.pdf"),
                           local("/abs/d e.pdf"), local("/home/u/work/a:b.txt"), local("/abs/日.txt")}));
}

TEST(ExternalFileImportContractTest, FeedbackNamesOnlyNonZeroCounts)
{
    using ExternalFileImportContract::feedbackMessage;
    EXPECT_EQ(feedbackMessage(2, 1, 0), QStringLiteral("已暂存 2 项，1 项已存在"));
    EXPECT_EQ(feedbackMessage(0, 0, 3), QStringLiteral("3 项失败"));
    EXPECT_EQ(feedbackMessage(1, 2, 3), QStringLiteral("已暂存 1 项，2 项已存在，3 项失败"));
    EXPECT_EQ(feedbackMessage(0, 0, 0), QStringLiteral("没有可暂存的文件"));
    EXPECT_EQ(feedbackMessage(-1, -5, 0), QStringLiteral("没有可暂存的文件"));
}
