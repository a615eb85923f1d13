#include "App/SymbolIcons.h"
#include "App/SymbolImageProvider.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace holdra;
using namespace Qt::StringLiterals;

namespace {

// The symbol names the views name literally: every string on a line that sets
// a symbol (not one compared against, as in `kind === "audio"`), and every
// image://symbol/ URL.
QStringList namesInViews()
{
    QStringList names;
    const QDir views(qEnvironmentVariable("HOLDRA_SOURCE_DIR") + u"/app/Views"_s);
    const QRegularExpression symbolLine(u"[sS]ymbol\\w*\\s*:(.*)$"_s);
    const QRegularExpression literal(QStringLiteral("(?<!= )\"([a-z][a-z.]*)\""));
    const QRegularExpression url(u"image://symbol/([a-z.]+)"_s);
    for (const QString &file : views.entryList({u"*.qml"_s})) {
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
    const QStringList drawings = QDir(u":/resources/icons"_s).entryList({u"*.svg"_s});
    for (const QString &file : drawings)
        EXPECT_TRUE(table.contains(file.chopped(4))) << file.toStdString();
}

// A name that is unknown, or that tries to leave the icon folder, paints nothing.
TEST(SymbolIconsTest, UnknownNamesGiveNothingAndTheProviderStaysTransparent)
{
    EXPECT_TRUE(SymbolIcons::themeIconName(u"no.such.symbol"_s).isEmpty());
    EXPECT_TRUE(SymbolIcons::fallbackPath(u"../../etc/passwd"_s).isEmpty());
    EXPECT_TRUE(SymbolIcons::icon(u"no.such.symbol"_s).isNull());

    SymbolImageProvider provider;
    QSize size;
    EXPECT_EQ(opaquePixels(provider.requestImage(u"no.such.symbol"_s, &size, QSize(20, 20))), 0);
    EXPECT_EQ(size, QSize(20, 20));
    EXPECT_GT(opaquePixels(provider.requestImage(u"trash"_s, &size, QSize(24, -1))), 0);
    EXPECT_EQ(size, QSize(24, 24));
}
