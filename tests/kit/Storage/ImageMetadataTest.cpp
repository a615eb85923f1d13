#include "Storage/ImageMetadata.h"
#include "TempDir.h"

#include <QBuffer>
#include <QImage>
#include <QRandomGenerator>
#include <gtest/gtest.h>

#include <cmath>

using namespace holdra;
using namespace Qt::StringLiterals;

namespace {

QString saved(const test::TempDir &dir, const QString &name, const QImage &image)
{
    image.save(dir.filePath(name));
    return dir.filePath(name);
}

QImage blue(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::blue);
    return image;
}

// A JPEG of `size` as stored, with the EXIF orientation "rotate 90° clockwise"
// as cameras write it (Qt's own writer would turn the pixels instead).
QString rotatedPhoto(const test::TempDir &dir, QSize size)
{
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    blue(size).save(&buffer, "JPEG");
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

// Half the pixels black, half white, at random: grey to the eye.
QImage ditheredGrey()
{
    QImage image(400, 300, QImage::Format_Mono);
    image.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    QRandomGenerator random(7);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, random.bounded(2));
    }
    return image;
}

} // namespace

TEST(ImageMetadataTest, TheSizeIsAsStoredThumbnailsComeUprightAndNoImageHasNeither)
{
    test::TempDir dir;
    const QString big = saved(dir, u"big.png"_s, blue({4000, 3000}));
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

TEST(ImageMetadataTest, OneBitImagesThumbnailToGreyNotNoise)
{
    test::TempDir dir;
    for (const QString &name : {u"scan.png"_s, u"scan.bmp"_s}) {
        const std::optional<QImage> thumb = ImageMetadata::thumbnail(saved(dir, name, ditheredGrey()), 96);
        ASSERT_TRUE(thumb) << name.toStdString();
        EXPECT_EQ(thumb->size(), QSize(96, 72)) << name.toStdString();
        double sum = 0, squares = 0;
        for (int y = 0; y < thumb->height(); ++y) {
            for (int x = 0; x < thumb->width(); ++x) {
                const int grey = qGray(thumb->pixel(x, y));
                sum += grey;
                squares += double(grey) * grey;
            }
        }
        const double count = double(thumb->width()) * thumb->height(), mean = sum / count;
        // Noise would be black and white pixels, spread by about 127.
        EXPECT_NEAR(mean, 127.5, 20) << name.toStdString();
        EXPECT_LT(std::sqrt(squares / count - mean * mean), 40) << name.toStdString();
    }
}
