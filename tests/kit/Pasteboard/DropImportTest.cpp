#include "Pasteboard/DropImport.h"
#include "ImageBytes.h"
#include "QtPrinters.h"
#include "StoreFixture.h"

#include <QMimeData>

using namespace holdra;
using namespace holdra::test;
using namespace Qt::StringLiterals;

namespace {

class DropImportTest : public StoreFixture
{
protected:
    // Runs a drop of `types` (type, bytes) and returns its toast.
    std::optional<QString> drop(const QList<std::pair<QString, QByteArray>> &types)
    {
        QMimeData data;
        for (const auto &[type, bytes] : types)
            data.setData(type, bytes);
        m_last = DropImport::run(data, *m_store);
        return m_last.message();
    }
    static QByteArray uriList(const QList<QUrl> &urls)
    {
        QByteArray list;
        for (const QUrl &url : urls)
            list += url.toEncoded() + "\r\n";
        return list;
    }
    QUrl missing(const QString &name) const { return QUrl::fromLocalFile(m_dir.filePath(name)); }

    DropImport::Outcome m_last;
};

const QString uris = u"text/uri-list"_s;
const QString plain = u"text/plain"_s;

} // namespace

TEST_F(DropImportTest, FilesKeepTheirOrderUnreadableOnesAreLeftOutAndRepeatsAreNamed)
{
    StashStore &store = openStore();
    EXPECT_EQ(
        drop({{uris, uriList({source(u"one.txt"_s, "1"), missing(u"missing.txt"_s), source(u"three.txt"_s, "3")})},
              {plain, "one.txt missing.txt three.txt"}}),
        u"已暂存 2 项"_s);
    EXPECT_EQ(displayNames(store.items()), (QStringList{u"one.txt"_s, u"three.txt"_s}));

    const StashItem report = store.addFiles({source(u"报告.pdf"_s, "report")}).added.first();
    const QUrl storedCopy = QUrl::fromLocalFile(*store.absolutePath(report));
    EXPECT_EQ(drop({{uris, uriList({storedCopy})}}), u"「报告.pdf」已存在，高亮显示"_s);
    EXPECT_EQ(m_last.duplicates, QList<StashItem>{report});
    // The same stored item reached twice is named once.
    EXPECT_EQ(drop({{uris, uriList({source(u"copy.pdf"_s, "report"), source(u"new.txt"_s, "new"), storedCopy})}}),
              u"已暂存 1 项，「报告.pdf」已存在"_s);
    EXPECT_EQ(m_last.duplicates, QList<StashItem>{report});
    // A row of the shelf dragged back onto it, a text too, is found by its identifier.
    const StashItem note = store.addText(u"note"_s);
    EXPECT_EQ(drop({{DropImport::draggedItemsFormat(), note.id().toByteArray()}, {plain, "note"}}),
              u"「note」已存在，高亮显示"_s);
    EXPECT_EQ(store.count(), 5);
}

// A page offers its address in several types: one link. Several addresses are
// several links; an image dragged from a page is the image.
TEST_F(DropImportTest, LinksAndImagesAreOneItemEachAndNothingUsableIsSilent)
{
    StashStore &store = openStore();
    const QByteArray page = "https://example.com/page";
    EXPECT_EQ(drop({{uris, page + "\r\n"}, {u"text/x-moz-url"_s, page + "\nPage"}, {plain, page}}), u"已暂存 1 项"_s);
    EXPECT_EQ(drop({{uris, "https://a.example/\r\n# comment\r\nhttps://b.example/\r\n"}}), u"已暂存 2 项"_s);
    EXPECT_EQ(store.items().at(1).urlString(), u"https://b.example/"_s);
    drop({{uris, "https://example.com/cat.png\r\n"}, {u"image/png"_s, imageBytes({5, 5}, "PNG", Qt::green)}});
    EXPECT_EQ(store.items().at(0).kind(), StashItemKind::image);
    for (const auto &nothing : {QList<std::pair<QString, QByteArray>>{}, {{plain, "  \n "}}}) {
        EXPECT_EQ(drop(nothing), std::nullopt);
        EXPECT_TRUE(m_last.isEmpty());
    }
    EXPECT_EQ(store.count(), 4);
}
