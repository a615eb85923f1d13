#include "App/ThumbnailImageProvider.h"
#include "TempDir.h"

#include <QImage>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace holdra;
using namespace Qt::StringLiterals;

// The row's thumbnail view over an engine that serves thumbnails: a stored
// picture whatever its file name, or the placeholder for what cannot be decoded.
TEST(ThumbnailImageProviderTest, StoredPicturesLoadCroppedAndRoundedAndWhatCannotBeDecodedLeavesThePlaceholder)
{
    test::TempDir dir;
    QImage picture(400, 300, QImage::Format_RGB32);
    picture.fill(Qt::darkGreen);
    const QString file = dir.filePath(u"a b#?%41%2F 日.png"_s);
    ASSERT_TRUE(picture.save(file, "PNG"));
    QQmlEngine engine;
    engine.addImageProvider(u"thumbnail"_s, new ThumbnailImageProvider);
    QQmlComponent component(&engine);
    component.setData("import Holdra\nThumbnailView {}", QUrl());

    const struct
    {
        QString file;
        int status; // Image.Ready or Image.Error
        bool placeholder;
    } cases[] = {{file, 1, false}, {dir.write(u"broken.png"_s, "not a picture"), 3, true}};
    for (const auto &c : cases) {
        std::unique_ptr<QObject> view(component.createWithInitialProperties({{u"url"_s, QUrl::fromLocalFile(c.file)}}));
        ASSERT_TRUE(view) << component.errorString().toStdString();
        QQuickItem *image = nullptr, *placeholder = nullptr;
        for (QQuickItem *item : qobject_cast<QQuickItem *>(view.get())->childItems()) {
            if (item->inherits("QQuickImage"))
                image = item;
            else if (item->inherits("QQuickRectangle"))
                placeholder = item;
        }
        ASSERT_TRUE(image && placeholder);
        EXPECT_TRUE(QTest::qWaitFor([&] { return image->property("status").toInt() == c.status; }, 5000));
        EXPECT_EQ(placeholder->isVisible(), c.placeholder);
    }
    // Cropped to the centred square, as the row's frame shows it.
    ThumbnailImageProvider provider;
    std::unique_ptr<QQuickImageResponse> response(provider.requestImageResponse(
        QString::fromUtf8(QUrl::toPercentEncoding(QUrl::fromLocalFile(file).toString())), QSize(96, 96)));
    QSignalSpy finished(response.get(), &QQuickImageResponse::finished);
    ASSERT_TRUE(finished.count() > 0 || finished.wait(5000));
    const QImage served = std::unique_ptr<QQuickTextureFactory>(response->textureFactory())->image();
    ASSERT_EQ(served.size(), QSize(72, 72));
    // The corners are cut round, so the row's background shows through them.
    EXPECT_EQ(qAlpha(served.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(served.pixel(71, 71)), 0);
    EXPECT_EQ(served.pixelColor(36, 36).rgb(), QColor(Qt::darkGreen).rgb());
}
