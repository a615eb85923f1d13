#include "App/SymbolIcons.h"
#include "App/SymbolImageProvider.h"

#include <QDir>
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

// The names the views use, written out here so that a name dropped from the
// table fails loudly instead of drawing nothing.
const QStringList usedNames{
    QStringLiteral("arrow.clockwise"), QStringLiteral("arrow.down.circle"), QStringLiteral("arrow.up.forward"),
    QStringLiteral("arrow.up.forward.app"), QStringLiteral("arrow.uturn.backward"),
    QStringLiteral("arrow.uturn.backward.circle.fill"), QStringLiteral("checkmark.circle.fill"),
    QStringLiteral("chevron.up"), QStringLiteral("display"), QStringLiteral("doc"), QStringLiteral("doc.on.doc"),
    QStringLiteral("exclamationmark.triangle.fill"), QStringLiteral("eye"), QStringLiteral("eye.fill"), QStringLiteral("folder"),
    QStringLiteral("folder.badge.gearshape"), QStringLiteral("folder.fill"), QStringLiteral("gearshape"),
    QStringLiteral("globe"), QStringLiteral("laptopcomputer"), QStringLiteral("link"), QStringLiteral("lock"),
    QStringLiteral("lock.fill"), QStringLiteral("lock.open"), QStringLiteral("mic"), QStringLiteral("mic.fill"),
    QStringLiteral("note.text"), QStringLiteral("pause.fill"), QStringLiteral("photo"), QStringLiteral("play.fill"),
    QStringLiteral("square.and.pencil"), QStringLiteral("stop.circle.fill"), QStringLiteral("text.alignleft"),
    QStringLiteral("trash"), QStringLiteral("tray"), QStringLiteral("tray.and.arrow.down.fill"),
    QStringLiteral("waveform"), QStringLiteral("xmark.circle.fill"),
};

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

TEST(SymbolIconsTest, EveryUsedNameHasAThemeNameAndADrawingThatPaints)
{
    EXPECT_EQ(SymbolIcons::symbolNames(), usedNames);
    for (const QString &name : usedNames) {
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
        EXPECT_TRUE(usedNames.contains(file.chopped(4))) << file.toStdString();
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
