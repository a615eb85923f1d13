#include "Pasteboard/PasteboardCommit.h"
#include "ImageBytes.h"
#include "Pasteboard/ImportFeedback.h"
#include "StoreFixture.h"

using namespace holdra;
using namespace holdra::test;
using namespace Qt::StringLiterals;

namespace {

StashItem named(const QString &name)
{
    return StashItem::makeText(name, QDateTime::currentDateTimeUtc());
}

} // namespace

using PasteboardCommitTest = StoreFixture;

TEST_F(PasteboardCommitTest, ImagesAreStoredOnceAndAFailedWriteAddsNothingWithoutThrowing)
{
    StashStore &store = openStore();
    const PasteboardContent image{PasteboardContent::Image{imageBytes({4, 3}, "PNG", Qt::red), u"png"_s}};
    EXPECT_EQ(PasteboardCommit::commit(image, store).addedCount, 1);
    ASSERT_EQ(store.count(), 1);
    EXPECT_TRUE(store.items().first().displayName().startsWith(u"剪贴板图片"_s));
    const PasteboardCommit again = PasteboardCommit::commit(image, store);
    EXPECT_EQ(again.addedCount, 0);
    EXPECT_EQ(again.duplicates, store.items());

    // Storage whose root is a plain file cannot take a copy.
    QDir(root()).removeRecursively();
    m_dir.write(u"Holdra/Files"_s, "not a directory");
    const PasteboardCommit failed =
        PasteboardCommit::commit({PasteboardContent::Image{imageBytes({4, 3}, "PNG", Qt::red) + "x", u"png"_s}}, store);
    EXPECT_EQ(failed.addedCount, 0);
    EXPECT_TRUE(failed.duplicates.isEmpty());
    EXPECT_EQ(store.count(), 1);
}

TEST_F(PasteboardCommitTest, TextAndLinksAreAlwaysAddedAndEmptyDoesNothing)
{
    StashStore &store = openStore();
    for (const PasteboardContent &content :
         {PasteboardContent{PasteboardContent::Text{u" hi "_s}}, PasteboardContent{PasteboardContent::Text{u" hi "_s}},
          PasteboardContent{PasteboardContent::Link{u"https://a.example/"_s, std::nullopt}}})
        EXPECT_EQ(PasteboardCommit::commit(content, store).addedCount, 1);
    EXPECT_EQ(PasteboardCommit::commit({PasteboardContent::Empty{}}, store).addedCount, 0);
    ASSERT_EQ(store.count(), 3);
    EXPECT_EQ(store.items().at(2).text(), u" hi "_s);
    EXPECT_EQ(store.items().at(0).urlString(), u"https://a.example/"_s);
}

TEST(ImportFeedbackTest, PasteToastsOrTheAlertSound)
{
    QList<QUrl> fiveFiles;
    for (const QString &name : {u"/a"_s, u"/b"_s, u"/c"_s, u"/d"_s, u"/e"_s})
        fiveFiles.append(QUrl::fromLocalFile(name));
    const PasteboardContent files{PasteboardContent::Files{fiveFiles}};
    const PasteboardContent image{PasteboardContent::Image{"x", u"png"_s}};
    const QList<StashItem> report{named(u"报告.pdf"_s)}, three{named(u"a"_s), named(u"b"_s), named(u"c"_s)};
    const std::tuple<const char *, PasteboardContent, int, QList<StashItem>, std::optional<QString>> cases[] = {
        // Files count what was pasted: failed copies are not told.
        {"files, two failed", files, 3, {}, u"已暂存 5 个文件"_s},
        {"image", image, 1, {}, u"已暂存图片"_s},
        {"link", {PasteboardContent::Link{u"https://a/"_s, std::nullopt}}, 1, {}, u"已暂存链接"_s},
        {"text", {PasteboardContent::Text{u"t"_s}}, 1, {}, u"已暂存文字"_s},
        {"one new, one known", files, 1, report, u"已暂存 1 项，「报告.pdf」已存在"_s},
        {"only known", files, 0, three, u"3 项已存在，高亮显示"_s},
        {"every file failed", files, 0, {}, std::nullopt},
        {"image not written", image, 0, {}, std::nullopt},
        {"nothing usable", {PasteboardContent::Empty{}}, 0, {}, std::nullopt},
    };
    for (const auto &[what, content, added, duplicates, toast] : cases) {
        PasteboardCommit commit;
        commit.addedCount = added;
        commit.duplicates = duplicates;
        EXPECT_EQ(ImportFeedback::pasteFeedback(content, commit), toast) << what;
    }
}
