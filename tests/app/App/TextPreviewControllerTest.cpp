#include "App/TextPreviewController.h"
#include "Settings/InMemoryUserDefaults.h"

#include <QQuickWindow>
#include <QTest>
#include <gtest/gtest.h>

using namespace holdra;

TEST(TextPreviewControllerTest, OneWindowIsReusedWithItsTitleTextAndGeometry)
{
    InMemoryUserDefaults defaults;
    {
        TextPreviewController preview(&defaults);
        preview.show(QStringLiteral("笔记"), QStringLiteral("第一段"));
        QQuickWindow *window = preview.window();
        ASSERT_NE(window, nullptr);
        EXPECT_TRUE(window->isVisible());
        EXPECT_EQ(window->title(), QStringLiteral("笔记"));
        EXPECT_EQ(window->property("text").toString(), QStringLiteral("第一段"));
        EXPECT_EQ(window->size(), QSize(520, 420));

        window->setGeometry(40, 50, 600, 300);
        window->close();
        // Closing keeps the window and remembers where it was.
        EXPECT_EQ(defaults.stringValue(QLatin1String(TextPreviewController::geometryKey)),
                  QStringLiteral("40,50,600,300"));
        preview.show(QString(), QStringLiteral("第二段"));
        EXPECT_EQ(preview.window(), window);
        EXPECT_EQ(window->title(), QStringLiteral("文本预览"));
        EXPECT_EQ(window->property("text").toString(), QStringLiteral("第二段"));
    }

    // A damaged remembered geometry is ignored.
    defaults.setString(QLatin1String(TextPreviewController::geometryKey), QStringLiteral("1,2,x,4"));
    TextPreviewController damaged(&defaults);
    damaged.show(QStringLiteral("t"), QStringLiteral("x"));
    EXPECT_EQ(damaged.window()->size(), QSize(520, 420));
}
