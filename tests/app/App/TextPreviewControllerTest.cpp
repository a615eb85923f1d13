#include "App/TextPreviewController.h"
#include "Settings/InMemoryUserDefaults.h"

#include <QQmlEngine>
#include <QQuickWindow>
#include <QTest>
#include <gtest/gtest.h>

using namespace holdra;
using namespace Qt::StringLiterals;

TEST(TextPreviewControllerTest, OneWindowIsReusedWithItsTitleTextAndGeometry)
{
    InMemoryUserDefaults defaults;
    QQmlEngine engine;
    {
        TextPreviewController preview(engine, &defaults);
        preview.show(u"笔记"_s, u"第一段"_s);
        QQuickWindow *window = preview.window();
        ASSERT_NE(window, nullptr);
        EXPECT_TRUE(window->isVisible());
        EXPECT_EQ(window->title(), u"笔记"_s);
        EXPECT_EQ(window->property("text").toString(), u"第一段"_s);
        EXPECT_EQ(window->size(), QSize(520, 420));

        window->setGeometry(40, 50, 600, 300);
        window->close();
        // Closing keeps the window and remembers where it was.
        EXPECT_EQ(defaults.stringValue(QLatin1String(TextPreviewController::geometryKey)), u"40,50,600,300"_s);
        preview.show(QString(), u"第二段"_s);
        EXPECT_EQ(window->title(), u"文本预览"_s);
        EXPECT_EQ(window->property("text").toString(), u"第二段"_s);
    }

    // A damaged remembered geometry is ignored.
    defaults.setString(QLatin1String(TextPreviewController::geometryKey), u"1,2,x,4"_s);
    TextPreviewController damaged(engine, &defaults);
    damaged.show(u"t"_s, u"x"_s);
    EXPECT_EQ(damaged.window()->size(), QSize(520, 420));
}
