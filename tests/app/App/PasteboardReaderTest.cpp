#include "App/PasteboardReader.h"
#include "ImageBytes.h"
#include "Pasteboard/PasteboardImporter.h"

#include <QBuffer>
#include <QImage>
#include <QMimeData>
#include <gtest/gtest.h>

using namespace holdra;
using holdra::test::imageBytes;
using namespace Qt::StringLiterals;

namespace {

using Offer = QList<std::pair<QString, QByteArray>>;

std::unique_ptr<QMimeData> offered(const Offer &offer)
{
    auto data = std::make_unique<QMimeData>();
    for (const auto &[type, bytes] : offer)
        data->setData(type, bytes);
    return data;
}

} // namespace

TEST(PasteboardReaderTest, FilesLinksAndTextAreReadFromTheTypesProgramsOffer)
{
    using C = PasteboardContent;
    const struct
    {
        Offer offer;
        PasteboardContent expected;
    } cases[] = {
        {{{u"text/uri-list"_s,
           "file:///tmp/a%20b.txt\r\nhttps://example.com/\r\nfile://localhost/tmp/%E6%97%A5.txt\r\n"},
          {u"text/plain"_s, "a b.txt"}},
         C{C::Files{{QUrl::fromLocalFile(u"/tmp/a b.txt"_s), QUrl::fromLocalFile(u"/tmp/日.txt"_s)}}}},
        {{{u"x-special/gnome-copied-files"_s, "copy\nfile:///home/u/x.pdf\nfile:///home/u/y.pdf"}},
         C{C::Files{{QUrl::fromLocalFile(u"/home/u/x.pdf"_s), QUrl::fromLocalFile(u"/home/u/y.pdf"_s)}}}},
        {{{u"text/x-moz-url"_s, "https://example.com/p?q=1\nA page"}, {u"text/plain"_s, "A page"}},
         C{C::Link{u"https://example.com/p?q=1"_s, std::nullopt}}},
        {{{u"text/plain"_s, "  粘贴的文字 "}}, C{C::Text{u"  粘贴的文字 "_s}}},
    };
    // What the shelf makes of them (the order of the kinds is the importer's rule; here, how each type is read).
    for (const auto &c : cases)
        EXPECT_EQ(PasteboardImporter::classify(PasteboardReader(offered(c.offer).get())), c.expected)
            << c.offer.first().second.constData();
}

TEST(PasteboardReaderTest, ImagesKeepCompressedFormatsAndTurnOthersIntoPNG)
{
    const struct
    {
        Offer offer;
        QByteArray data; // empty: converted to a PNG
        QString extension;
    } cases[] = {
        {{{u"image/png"_s, imageBytes({3, 2}, "PNG")}, {u"image/bmp"_s, imageBytes({3, 2}, "BMP")}},
         imageBytes({3, 2}, "PNG"),
         u"png"_s},
        {{{u"image/jpeg"_s, imageBytes({3, 2}, "JPEG")}}, imageBytes({3, 2}, "JPEG"), u"jpg"_s},
        {{{u"image/bmp"_s, imageBytes({3, 2}, "BMP")}}, {}, u"png"_s},
        // Undecodable bytes of a type with an extension are kept as they came.
        {{{u"image/tiff"_s, "not a tiff"}}, "not a tiff", u"tif"_s},
    };
    for (const auto &c : cases) {
        const std::optional<PasteboardContent::Image> image = PasteboardReader(offered(c.offer).get()).imageData();
        ASSERT_TRUE(image) << c.extension.toStdString();
        EXPECT_TRUE(image->fileExtension.startsWith(c.extension)) << image->fileExtension.toStdString();
        if (c.data.isEmpty())
            EXPECT_EQ(QImage::fromData(image->data, "PNG").size(), QSize(3, 2));
        else
            EXPECT_EQ(image->data, c.data);
    }

    QMimeData bare;
    bare.setImageData(QImage::fromData(imageBytes({3, 2}, "PNG")));
    const std::optional<PasteboardContent::Image> image = PasteboardReader(&bare).imageData();
    ASSERT_TRUE(image);
    EXPECT_EQ(image->fileExtension, u"png"_s);
}
