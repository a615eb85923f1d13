#include "Pasteboard/PasteboardCommit.h"
#include "StoreFixture.h"

#include <QBuffer>
#include <QImage>

using namespace holdra;
using namespace holdra::test;

namespace {

class PasteboardCommitTest : public StoreFixture
{
protected:
    static QByteArray pngBytes()
    {
        QImage image(4, 3, QImage::Format_RGB32);
        image.fill(Qt::red);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        return bytes;
    }
};

} // namespace

TEST_F(PasteboardCommitTest, FilesCountWhatWasStoredAndFailuresCountAsNothing)
{
    StashStore &store = openStore();
    const QUrl kept = source(QStringLiteral("kept.txt"), "kept");
    store.addFiles({kept});

    const QList<QUrl> urls{source(QStringLiteral("a.txt"), "a"), QUrl::fromLocalFile(m_dir.filePath("gone-1.txt")),
                           kept, source(QStringLiteral("b.txt"), "b"),
                           QUrl::fromLocalFile(m_dir.filePath("gone-2.txt"))};
    const PasteboardCommit commit = PasteboardCommit::commit({PasteboardContent::Files{urls}}, store);

    EXPECT_EQ(commit.addedCount, 2);
    EXPECT_EQ(displayNames(commit.duplicates), QStringList{QStringLiteral("kept.txt")});
    EXPECT_EQ(store.count(), 3);
}

TEST_F(PasteboardCommitTest, ImagesAreStoredOnceAndAFailedWriteAddsNothingWithoutThrowing)
{
    StashStore &store = openStore();
    const PasteboardContent image{PasteboardContent::Image{pngBytes(), QStringLiteral("png")}};

    const PasteboardCommit first = PasteboardCommit::commit(image, store);
    EXPECT_EQ(first.addedCount, 1);
    ASSERT_EQ(store.count(), 1);
    EXPECT_TRUE(store.items().first().displayName().startsWith(QStringLiteral("剪贴板图片")));

    const PasteboardCommit again = PasteboardCommit::commit(image, store);
    EXPECT_EQ(again.addedCount, 0);
    EXPECT_EQ(again.duplicates, store.items());

    // Storage whose root is a plain file cannot take a copy.
    QDir(root()).removeRecursively();
    m_dir.write(QStringLiteral("Holdra/Files"), "not a directory");
    const PasteboardCommit failed =
        PasteboardCommit::commit({PasteboardContent::Image{pngBytes() + "x", QStringLiteral("png")}}, store);
    EXPECT_EQ(failed.addedCount, 0);
    EXPECT_TRUE(failed.duplicates.isEmpty());
    EXPECT_EQ(store.count(), 1);
}

TEST_F(PasteboardCommitTest, TextAndLinksAreAlwaysAddedAndEmptyDoesNothing)
{
    StashStore &store = openStore();
    EXPECT_EQ(PasteboardCommit::commit({PasteboardContent::Text{QStringLiteral(" hi ")}}, store).addedCount, 1);
    EXPECT_EQ(PasteboardCommit::commit({PasteboardContent::Text{QStringLiteral(" hi ")}}, store).addedCount, 1);
    EXPECT_EQ(PasteboardCommit::commit({PasteboardContent::Link{QStringLiteral("https://a.example/"), std::nullopt}},
                                       store).addedCount,
              1);
    EXPECT_EQ(PasteboardCommit::commit({PasteboardContent::Empty{}}, store).addedCount, 0);
    ASSERT_EQ(store.count(), 3);
    EXPECT_EQ(store.items().at(2).text(), QStringLiteral(" hi "));
    EXPECT_EQ(store.items().at(0).urlString(), QStringLiteral("https://a.example/"));
}
