#include "App/ThumbnailImageProvider.h"

#include "TempDir.h"

#include <QImage>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

using namespace holdra;

namespace {

// The row's thumbnail view for `file`, over an engine that serves thumbnails.
class ThumbnailImageProviderTest : public ::testing::Test
{
protected:
    ThumbnailImageProviderTest() { m_engine.addImageProvider(QStringLiteral("thumbnail"), new ThumbnailImageProvider); }

    // The view's image once it has loaded or failed; nullptr when the view did not come up.
    QQuickItem *loadedImage(const QString &file)
    {
        QQmlComponent component(&m_engine);
        component.setData("import Holdra\nThumbnailView {}", QUrl());
        m_view.reset(qobject_cast<QQuickItem *>(component.createWithInitialProperties(
            {{QStringLiteral("url"), QUrl::fromLocalFile(file)}})));
        if (!m_view) {
            ADD_FAILURE() << component.errorString().toStdString();
            return nullptr;
        }
        QQuickItem *image = child(QStringLiteral("QQuickImage"));
        const auto settled = [image] {
            const int status = image->property("status").toInt();
            return status == 1 /* Image.Ready */ || status == 3 /* Image.Error */;
        };
        return image && QTest::qWaitFor(settled, 5000) ? image : nullptr;
    }

    QQuickItem *child(const QString &className) const
    {
        for (QQuickItem *item : m_view->childItems()) {
            if (item->inherits(className.toLatin1().constData()))
                return item;
        }
        return nullptr;
    }

    test::TempDir m_dir;
    QQmlEngine m_engine;
    std::unique_ptr<QQuickItem> m_view;
};

} // namespace

TEST_F(ThumbnailImageProviderTest, StoredPicturesLoadBoundedWhateverTheirFileName)
{
    QImage picture(400, 300, QImage::Format_RGB32);
    picture.fill(Qt::darkGreen);
    const QString file = m_dir.filePath(QStringLiteral("a b#?%41%2F 日.png"));
    ASSERT_TRUE(picture.save(file, "PNG"));

    QQuickItem *image = loadedImage(file);
    ASSERT_NE(image, nullptr);
    EXPECT_FALSE(child(QStringLiteral("QQuickRectangle"))->isVisible());
    EXPECT_EQ(image->property("status").toInt(), 1 /* Image.Ready */);
    // Cropped to the centred square, as the row's frame shows it.
    EXPECT_EQ(image->property("implicitWidth").toReal(), 72);
    EXPECT_EQ(image->property("implicitHeight").toReal(), 72);

    // The corners are cut round, so the row's background shows through them.
    ThumbnailImageProvider provider;
    std::unique_ptr<QQuickImageResponse> response(provider.requestImageResponse(
        QString::fromUtf8(QUrl::toPercentEncoding(QUrl::fromLocalFile(file).toString())), QSize(96, 96)));
    QSignalSpy finished(response.get(), &QQuickImageResponse::finished);
    ASSERT_TRUE(finished.count() > 0 || finished.wait(5000));
    std::unique_ptr<QQuickTextureFactory> factory(response->textureFactory());
    const QImage served = factory->image();
    ASSERT_EQ(served.size(), QSize(72, 72));
    EXPECT_EQ(qAlpha(served.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(served.pixel(71, 71)), 0);
    EXPECT_EQ(served.pixelColor(36, 36).rgb(), QColor(Qt::darkGreen).rgb());
    EXPECT_EQ(qAlpha(served.pixel(36, 0)), 255);
}

TEST_F(ThumbnailImageProviderTest, WhatCannotBeDecodedLeavesThePlaceholder)
{
    QQuickItem *image = loadedImage(m_dir.write(QStringLiteral("broken.png"), "not a picture"));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->property("status").toInt(), 3 /* Image.Error */);
    QQuickItem *placeholder = child(QStringLiteral("QQuickRectangle"));
    ASSERT_NE(placeholder, nullptr);
    EXPECT_TRUE(placeholder->isVisible());
}
