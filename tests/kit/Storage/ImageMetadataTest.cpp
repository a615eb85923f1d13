#include "Storage/ImageMetadata.h"
#include "TempDir.h"

#include <QImage>
#include <QImageWriter>
#include <gtest/gtest.h>

using namespace holdra;

namespace {

QString savedImage(const test::TempDir &dir, const QString &name, QSize size,
                   QImageIOHandler::Transformations transformation = QImageIOHandler::TransformationNone)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::blue);
    const QString path = dir.filePath(name);
    QImageWriter writer(path);
    writer.setTransformation(transformation);
    writer.write(image);
    return path;
}

} // namespace

TEST(ImageMetadataTest, ReportsTheUprightPixelSize)
{
    test::TempDir dir;
    EXPECT_EQ(ImageMetadata::pixelSize(savedImage(dir, QStringLiteral("a.png"), {40, 30})), QSizeF(40, 30));
    QImageWriter probe(dir.filePath(QStringLiteral("probe.jpg")));
    if (!probe.supportsOption(QImageIOHandler::ImageTransformation))
        GTEST_SKIP() << "the JPEG writer cannot store an orientation";
    const QString rotated = savedImage(dir, QStringLiteral("r.jpg"), {40, 30}, QImageIOHandler::TransformationRotate90);
    EXPECT_EQ(ImageMetadata::pixelSize(rotated), QSizeF(30, 40));
    const std::optional<QImage> thumb = ImageMetadata::thumbnail(rotated, 8);
    ASSERT_TRUE(thumb);
    EXPECT_EQ(thumb->size(), QSize(6, 8));
}

TEST(ImageMetadataTest, ThumbnailsAreBoundedOnTheLongerSide)
{
    test::TempDir dir;
    const std::optional<QImage> thumb =
        ImageMetadata::thumbnail(savedImage(dir, QStringLiteral("big.png"), {4000, 3000}), 96);
    ASSERT_TRUE(thumb);
    EXPECT_EQ(thumb->size(), QSize(96, 72));
}

TEST(ImageMetadataTest, WhatIsNoImageHasNoSizeAndNoThumbnail)
{
    test::TempDir dir;
    const QString text = dir.write(QStringLiteral("notes.png"), "plain text, not an image");
    EXPECT_EQ(ImageMetadata::pixelSize(text), std::nullopt);
    EXPECT_EQ(ImageMetadata::thumbnail(text, 96), std::nullopt);
    EXPECT_EQ(ImageMetadata::pixelSize(dir.filePath(QStringLiteral("missing.png"))), std::nullopt);
    // A PNG cut off after its signature has no header to read a size from.
    EXPECT_EQ(ImageMetadata::pixelSize(dir.write(QStringLiteral("cut.png"), "\x89PNG\r\n\x1a\n")), std::nullopt);
}
