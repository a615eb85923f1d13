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
const PasteboardContent image{PasteboardContent::Image{"x", "png"}};
const QList<StashItem> report{named(QStringLiteral("报告.pdf"))};
const QList<StashItem> three{named("a"), named("b"), named("c")};

} // namespace

TEST(ImportFeedbackTest, PasteToastsOrTheAlertSound)
{
    struct Case
    {
        const char *what;
        PasteboardContent content;
        int added;
        QList<StashItem> duplicates;
        std::optional<QString> toast;
    };
    const QList<Case> cases{
        // Files count what was pasted: failed copies are not told.
        {"files, two failed", fiveFiles, 3, {}, QStringLiteral("已暂存 5 个文件")},
        {"image", image, 1, {}, QStringLiteral("已暂存图片")},
        {"link", {PasteboardContent::Link{"https://a/", std::nullopt}}, 1, {}, QStringLiteral("已暂存链接")},
        {"text", {PasteboardContent::Text{"t"}}, 1, {}, QStringLiteral("已暂存文字")},
        {"one new, one known", fiveFiles, 1, report, QStringLiteral("已暂存 1 项，「报告.pdf」已存在")},
        {"only known", fiveFiles, 0, three, QStringLiteral("3 项已存在，高亮显示")},
        {"every file failed", fiveFiles, 0, {}, std::nullopt},
        {"image not written", image, 0, {}, std::nullopt},
        {"nothing usable", {PasteboardContent::Empty{}}, 0, {}, std::nullopt},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        PasteboardCommit commit;
        commit.addedCount = c.added;
        commit.duplicates = c.duplicates;
        EXPECT_EQ(ImportFeedback::pasteFeedback(c.content, commit), c.toast);
    }
}

TEST(ImportFeedbackTest, DropToastsOrSilence)
{
    struct Case
    {
        int added;
        QList<StashItem> duplicates;
        std::optional<QString> toast;
    };
    const QList<Case> cases{
        {2, {}, QStringLiteral("已暂存 2 项")},
        {0, report, QStringLiteral("「报告.pdf」已存在，高亮显示")},
        {1, three, QStringLiteral("已暂存 1 项，3 项已存在")},
        // Nothing stashed and nothing found again, whatever failed: silence.
        {0, {}, std::nullopt},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.added);
        EXPECT_EQ(ImportFeedback::dropFeedback(c.added, c.duplicates), c.toast);
    }
}
