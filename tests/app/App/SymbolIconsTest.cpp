#include "App/SymbolIcons.h"
#include "App/SymbolImageProvider.h"

#include <QDir>
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
    const QRegularExpression symbolLine(u"[sS]ymbol\\w*\\s*:(.*)$"_s), literal(u"(?<!= )\"([a-z][a-z.]*)\""_s),
        url(u"image://symbol/([a-z.]+)"_s);
    for (const QString &file : views.entryList({u"*.qml"_s})) {
        QFile qml(views.filePath(file));
        for (const QString &line :
             qml.open(QIODevice::ReadOnly) ? QString::fromUtf8(qml.readAll()).split(u'\n') : QStringList()) {
            for (const QRegularExpressionMatch &name : literal.globalMatch(symbolLine.match(line).captured(1)))
                names.append(name.captured(1));
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

TEST(SymbolIconsTest, EveryNameTheViewsUseHasADrawingThatPaints)
{
    const QStringList used = namesInViews();
    ASSERT_GT(used.size(), 20) << "the views were not found";
    const QStringList table = SymbolIcons::symbolNames();
    for (const QString &name : used)
        EXPECT_TRUE(table.contains(name)) << name.toStdString() << " is used but has no icon";
    for (const QString &name : table) {
        // Something is drawn, and not just a filled square.
        const int painted = opaquePixels(QIcon(SymbolIcons::fallbackPath(name)).pixmap(QSize(32, 32)).toImage());
        EXPECT_TRUE(painted > 32 && painted < 32 * 32 * 9 / 10) << name.toStdString() << ": " << painted;
    }

    // A name that is unknown, or that tries to leave the icon folder, paints nothing.
    EXPECT_TRUE(SymbolIcons::fallbackPath(u"../../etc/passwd"_s).isEmpty());
    SymbolImageProvider provider;
    QSize size;
    EXPECT_EQ(opaquePixels(provider.requestImage(u"no.such.symbol"_s, &size, QSize(20, 20))), 0);
    EXPECT_EQ(size, QSize(20, 20));
    EXPECT_GT(opaquePixels(provider.requestImage(u"trash"_s, &size, QSize(24, -1))), 0);
    EXPECT_EQ(size, QSize(24, 24));
}
