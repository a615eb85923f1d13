#include "Storage/ImageMetadata.h"
#include "ImageBytes.h"
#include "TempDir.h"

#include <gtest/gtest.h>

using namespace holdra;
using namespace Qt::StringLiterals;

namespace {

// A JPEG of `size` as stored, with the EXIF orientation "rotate 90° clockwise"
// as cameras write it (Qt's own writer would turn the pixels instead).
QString rotatedPhoto(const test::TempDir &dir, QSize size)
{
    QByteArray jpeg = test::imageBytes(size, "JPEG");
    // APP1 "Exif": a big-endian TIFF header and one IFD entry, Orientation (0x0112) = 6.
    const QByteArray exif("\xFF\xE1\x00\x22"
                          "Exif\0\0"
                          "MM\x00\x2A\x00\x00\x00\x08"
                          "\x00\x01"
                          "\x01\x12\x00\x03\x00\x00\x00\x01\x00\x06\x00\x00"
                          "\x00\x00\x00\x00",
                          36);
    jpeg.insert(2, exif);
    return dir.write(u"photo.jpg"_s, jpeg);
}

} // namespace

TEST(ImageMetadataTest, TheSizeIsAsStoredThumbnailsComeUprightAndNoImageHasNeither)
{
    test::TempDir dir;
    const QString big = dir.write(u"big.png"_s, test::imageBytes({4000, 3000}, "PNG"));
    EXPECT_EQ(ImageMetadata::pixelSize(big), QSizeF(4000, 3000));
    EXPECT_EQ(ImageMetadata::thumbnail(big, 96).value_or(QImage()).size(), QSize(96, 72));
    const QString rotated = rotatedPhoto(dir, {40, 30});
    EXPECT_EQ(ImageMetadata::pixelSize(rotated), QSizeF(40, 30));
    EXPECT_EQ(ImageMetadata::thumbnail(rotated, 8).value_or(QImage()).size(), QSize(6, 8));

    // What is no image (a PNG cut off after its signature has no header) has neither.
    for (const QString &path : {dir.write(u"notes.png"_s, "plain text, not an image"), dir.filePath(u"missing.png"_s),
                                dir.write(u"cut.png"_s, "\x89PNG\r\n\x1a\n")}) {
        EXPECT_EQ(ImageMetadata::pixelSize(path), std::nullopt) << qPrintable(path);
        EXPECT_EQ(ImageMetadata::thumbnail(path, 96), std::nullopt) << qPrintable(path);
    }
}
