#include "App/PasteboardReader.h"
#include "Pasteboard/PasteboardImporter.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace holdra;

namespace {

QByteArray encoded(const QImage &image, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

QImage smallImage()
{
    QImage image(3, 2, QImage::Format_RGB32);
    image.fill(Qt::blue);
    return image;
}

PasteboardContent classified(const QMimeData &data)
{
    return PasteboardImporter::classify(PasteboardReader(&data));
}

} // namespace

TEST(PasteboardReaderTest, FilesComeFromUriListsOrCopiedFilesAndWinOverText)
{
    QMimeData data;
    data.setData("text/uri-list", "file:///tmp/a%20b.txt\r\nhttps://example.com/\r\nfile://localhost/tmp/%E6%97%A5.txt\r\n");
    data.setText(QStringLiteral("a b.txt"));
    EXPECT_EQ(classified(data), (PasteboardContent{PasteboardContent::Files{
                                    {QUrl::fromLocalFile("/tmp/a b.txt"), QUrl::fromLocalFile("/tmp/日.txt")}}}));

    QMimeData nautilus;
    nautilus.setData("x-special/gnome-copied-files", "copy\nfile:///home/u/x.pdf\nfile:///home/u/y.pdf");
    EXPECT_EQ(PasteboardReader(&nautilus).fileURLs(),
              (QList<QUrl>{QUrl::fromLocalFile("/home/u/x.pdf"), QUrl::fromLocalFile("/home/u/y.pdf")}));
}

TEST(PasteboardReaderTest, ImagesKeepCompressedFormatsAndTurnOthersIntoPNG)
{
    QMimeData png;
    const QByteArray pngBytes = encoded(smallImage(), "PNG");
    png.setData("image/png", pngBytes);
    png.setData("image/bmp", encoded(smallImage(), "BMP"));
    EXPECT_EQ(PasteboardReader(&png).imageData(), (PasteboardContent::Image{pngBytes, "png"}));

    QMimeData jpeg;
    const QByteArray jpegBytes = encoded(smallImage(), "JPEG");
    jpeg.setData("image/jpeg", jpegBytes);
    EXPECT_EQ(PasteboardReader(&jpeg).imageData(), (PasteboardContent::Image{jpegBytes, "jpg"}));

    QMimeData bmp;
    bmp.setData("image/bmp", encoded(smallImage(), "BMP"));
    const std::optional<PasteboardContent::Image> converted = PasteboardReader(&bmp).imageData();
    ASSERT_TRUE(converted);
    EXPECT_EQ(converted->fileExtension, QStringLiteral("png"));
    EXPECT_EQ(QImage::fromData(converted->data, "PNG").size(), QSize(3, 2));

    // Undecodable bytes of a type with an extension are kept as they came.
    QMimeData broken;
    broken.setData("image/tiff", "not a tiff");
    const std::optional<PasteboardContent::Image> kept = PasteboardReader(&broken).imageData();
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->data, QByteArray("not a tiff"));
    EXPECT_TRUE(kept->fileExtension.startsWith(QStringLiteral("tif")));

    QMimeData bare;
    bare.setImageData(smallImage());
    ASSERT_TRUE(PasteboardReader(&bare).imageData());
    EXPECT_EQ(PasteboardReader(&bare).imageData()->fileExtension, QStringLiteral("png"));
}

TEST(PasteboardReaderTest, LinksComeFromListsOrWebAddressesInText)
{
    QMimeData firefox;
    firefox.setData("text/x-moz-url", QStringLiteral("https://example.com/p?q=1\nA page").toUtf8());
    firefox.setText(QStringLiteral("A page"));
    EXPECT_EQ(classified(firefox), (PasteboardContent{PasteboardContent::Link{"https://example.com/p?q=1", std::nullopt}}));

    QMimeData text;
    text.setText(QStringLiteral("  HTTPS://Example.com/日 \n"));
    EXPECT_EQ(PasteboardReader(&text).webURL(), QStringLiteral("https://example.com/%E6%97%A5"));

    // An address with more after it is text, as it was copied.
    for (const char *notALink : {"https://example.com/x\nsecond line", "https://example.com/a b", "ftp://example.com/x"}) {
        QMimeData other;
        other.setText(QString::fromUtf8(notALink));
        EXPECT_EQ(classified(other), (PasteboardContent{PasteboardContent::Text{QString::fromUtf8(notALink)}}))
            << notALink;
    }

    QMimeData blank;
    blank.setText(QStringLiteral(" \n\t"));
    EXPECT_EQ(classified(blank), PasteboardContent{});
}

TEST(PasteboardReaderTest, ReadsTheRealClipboard)
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    auto *data = new QMimeData;
    data->setText(QStringLiteral("  粘贴的文字 "));
    clipboard->setMimeData(data);
    EXPECT_EQ(classified(*clipboard->mimeData()), (PasteboardContent{PasteboardContent::Text{"  粘贴的文字 "}}));
    clipboard->clear();
    EXPECT_EQ(PasteboardImporter::classify(PasteboardReader(clipboard->mimeData())), PasteboardContent{});
}
