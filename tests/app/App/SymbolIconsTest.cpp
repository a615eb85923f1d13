#include "App/SymbolIcons.h"
#include "App/SymbolImageProvider.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QImage>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QSignalSpy>
#include <QtTest/QTest>
#include <gtest/gtest.h>

#include <memory>

using namespace holdra;

namespace {

// The symbol names the views name literally: every string on a line that sets
// a symbol (not one compared against, as in `kind === "audio"`), and every
// image://symbol/ URL.
QStringList namesInViews()
{
    QStringList names;
    const QDir views(qEnvironmentVariable("HOLDRA_SOURCE_DIR") + QStringLiteral("/app/Views"));
    const QRegularExpression symbolLine(QStringLiteral("[sS]ymbol\\w*\\s*:(.*)$"));
    const QRegularExpression literal(QStringLiteral("(?<!= )\"([a-z][a-z.]*)\""));
    const QRegularExpression url(QStringLiteral("image://symbol/([a-z.]+)"));
    for (const QString &file : views.entryList({QStringLiteral("*.qml")})) {
        QFile qml(views.filePath(file));
        if (!qml.open(QIODevice::ReadOnly))
            continue;
        for (const QString &line : QString::fromUtf8(qml.readAll()).split(u'\n')) {
            if (const QRegularExpressionMatch match = symbolLine.match(line); match.hasMatch()) {
                for (const QRegularExpressionMatch &name : literal.globalMatch(match.captured(1)))
                    names.append(name.captured(1));
            }
            for (const QRegularExpressionMatch &name : url.globalMatch(line))
                names.append(name.captured(1));
        }
    }
    names.removeDuplicates();
    return names;
}

int opaquePixels(const QImage &image)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            n += qAlpha(image.pixel(x, y)) > 0 ? 1 : 0;
    }
    return n;
}

} // namespace

TEST(SymbolIconsTest, EveryNameTheViewsUseHasAThemeNameAndADrawingThatPaints)
{
    const QStringList used = namesInViews();
    ASSERT_GT(used.size(), 20) << "the views were not found";
    const QStringList table = SymbolIcons::symbolNames();
    for (const QString &name : used)
        EXPECT_TRUE(table.contains(name)) << name.toStdString() << " is used but has no icon";
    for (const QString &name : table) {
        SCOPED_TRACE(name.toStdString());
        EXPECT_TRUE(SymbolIcons::themeIconName(name).endsWith(QLatin1String("-symbolic")));
        const QIcon drawing(SymbolIcons::fallbackPath(name));
        const QImage image = drawing.pixmap(QSize(32, 32)).toImage();
        ASSERT_EQ(image.size(), QSize(32, 32));
        // Something is drawn, and not just a filled square.
        const int painted = opaquePixels(image);
        EXPECT_GT(painted, 32);
        EXPECT_LT(painted, 32 * 32 * 9 / 10);
        EXPECT_FALSE(SymbolIcons::icon(name).isNull());
    }
    // Every bundled drawing belongs to a name in the table.
    const QStringList drawings = QDir(QStringLiteral(":/resources/icons")).entryList({QStringLiteral("*.svg")});
    for (const QString &file : drawings)
        EXPECT_TRUE(table.contains(file.chopped(4))) << file.toStdString();
}

TEST(SymbolIconsTest, UnknownNamesGiveNothingAndTheProviderStaysTransparent)
{
    EXPECT_TRUE(SymbolIcons::themeIconName(QStringLiteral("no.such.symbol")).isEmpty());
    EXPECT_TRUE(SymbolIcons::fallbackPath(QStringLiteral("../../etc/passwd")).isEmpty());
    EXPECT_TRUE(SymbolIcons::icon(QStringLiteral("no.such.symbol")).isNull());

    SymbolImageProvider provider;
    QSize size;
    const QImage unknown = provider.requestImage(QStringLiteral("no.such.symbol"), &size, QSize(20, 20));
    EXPECT_EQ(size, QSize(20, 20));
    EXPECT_EQ(opaquePixels(unknown), 0);

    const QImage trash = provider.requestImage(QStringLiteral("trash"), &size, QSize(24, -1));
    EXPECT_EQ(size, QSize(24, 24));
    EXPECT_GT(opaquePixels(trash), 0);
    EXPECT_EQ(provider.requestImage(QStringLiteral("trash"), &size, QSize()).size(), QSize(16, 16));
}

TEST(SymbolIconsTest, QmlImagesLoadThroughTheSymbolScheme)
{
    QQmlEngine engine;
    engine.addImageProvider(QStringLiteral("symbol"), new SymbolImageProvider);
    QQmlComponent component(&engine);
    component.setData("import QtQuick\nImage { source: \"image://symbol/mic.fill\"; sourceSize: Qt.size(18, 18) }",
                      QUrl());
    std::unique_ptr<QObject> image(component.create());
    ASSERT_TRUE(image) << component.errorString().toStdString();
    QTRY_COMPARE_WITH_TIMEOUT(image->property("status").toInt(), 1 /* Image.Ready */, 5000);
    EXPECT_EQ(image->property("implicitWidth").toReal(), 18);
    EXPECT_EQ(SymbolIcons::imageUrl(QStringLiteral("mic.fill")), QUrl(QStringLiteral("image://symbol/mic.fill")));
}
