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
using namespace Qt::StringLiterals;

namespace {

// The row's thumbnail view for `file`, over an engine that serves thumbnails.
class ThumbnailImageProviderTest : public ::testing::Test
{
protected:
    ThumbnailImageProviderTest() { m_engine.addImageProvider(u"thumbnail"_s, new ThumbnailImageProvider); }

    // The view's image once it has loaded or failed; nullptr when the view did not come up.
    QQuickItem *loadedImage(const QString &file)
    {
        QQmlComponent component(&m_engine);
        component.setData("import Holdra\nThumbnailView {}", QUrl());
        m_view.reset(
            qobject_cast<QQuickItem *>(component.createWithInitialProperties({{u"url"_s, QUrl::fromLocalFile(file)}})));
        if (!m_view) {
            ADD_FAILURE() << component.errorString().toStdString();
            return nullptr;
        }
        QQuickItem *image = child(u"QQuickImage"_s);
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
    const QString file = m_dir.filePath(u"a b#?%41%2F 日.png"_s);
    ASSERT_TRUE(picture.save(file, "PNG"));

    QQuickItem *image = loadedImage(file);
    ASSERT_NE(image, nullptr);
    EXPECT_FALSE(child(u"QQuickRectangle"_s)->isVisible());
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
    const QImage served = std::unique_ptr<QQuickTextureFactory>(response->textureFactory())->image();
    ASSERT_EQ(served.size(), QSize(72, 72));
    EXPECT_EQ(qAlpha(served.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(served.pixel(71, 71)), 0);
    EXPECT_EQ(served.pixelColor(36, 36).rgb(), QColor(Qt::darkGreen).rgb());
}

TEST_F(ThumbnailImageProviderTest, WhatCannotBeDecodedLeavesThePlaceholder)
{
    QQuickItem *image = loadedImage(m_dir.write(u"broken.png"_s, "not a picture"));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->property("status").toInt(), 3 /* Image.Error */);
    QQuickItem *placeholder = child(u"QQuickRectangle"_s);
    ASSERT_NE(placeholder, nullptr);
    EXPECT_TRUE(placeholder->isVisible());
}
