#include "Models/DraftTextMetrics.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace holdra;

namespace {

// What the quick-entry field shows: its text document laid out with the same font,
// wrapping and metrics, without margins.
int documentLineCount(const QString &text, double width)
{
    QTextDocument document;
    document.setDefaultFont(DraftTextMetrics::font());
    document.setDocumentMargin(0);
    document.setUseDesignMetrics(true);
    QTextOption option = document.defaultTextOption();
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    document.setDefaultTextOption(option);
    document.setPlainText(text);
    document.setTextWidth(width);
    document.documentLayout()->documentSize(); // lays the whole document out
    int lines = 0;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        lines += block.layout()->lineCount();
    return lines;
}

} // namespace

TEST(DraftTextMetricsTest, LineHeightIsTheRoundedUpHeightOfThe14PixelFont)
{
    const QFont font = DraftTextMetrics::font();
    EXPECT_EQ(font.pixelSize(), 14);
    const QFontMetricsF metrics(font);
    EXPECT_EQ(DraftTextMetrics::lineHeight(), std::ceil(metrics.ascent() + metrics.descent()));
    EXPECT_GE(DraftTextMetrics::lineHeight(), 14);
    EXPECT_EQ(DraftTextMetrics::height(QStringLiteral("a\nb\nc"), 300),
              3 * DraftTextMetrics::lineHeight());
}

TEST(DraftTextMetricsTest, CountsLinesAsTheFieldShowsThem)
{
    const QString sentence = QStringLiteral("The quick brown fox jumps over the lazy dog. ");
    const QString chinese = QStringLiteral("把这段文字放进暂存架，稍后再拖到别的应用里。");
    const struct
    {
        QString text;
        double width;
    } cases[] = {
        {QStringLiteral("one line"), 324},
        {QStringLiteral("a\nb"), 324},
        {QStringLiteral("a\n"), 324},
        {QStringLiteral("\n\n"), 324},
        {sentence.repeated(3), 324},
        {sentence.repeated(2), 120},
        {QString(60, QLatin1Char('x')), 100}, // one long word breaks anywhere
        {chinese.repeated(2), 200},
        {QStringLiteral("tab\tand  spaces   at the end   "), 80},
    };
    for (const auto &c : cases) {
        const int expected = documentLineCount(c.text, c.width);
        ASSERT_LE(expected, 8) << c.text.toStdString();
        EXPECT_EQ(DraftTextMetrics::lineCount(c.text, c.width), expected)
            << c.text.toStdString() << " at " << c.width;
    }
    EXPECT_GT(DraftTextMetrics::lineCount(sentence.repeated(2), 120), 2);
}

TEST(DraftTextMetricsTest, LineCountStaysWithinOneToEight)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(DraftTextMetrics::lineCount(QString(), 324), 1);
    EXPECT_EQ(DraftTextMetrics::lineCount(QStringLiteral("a\nb\nc"), 0), 1);
    EXPECT_EQ(DraftTextMetrics::lineCount(QStringLiteral("a\nb\nc"), -5), 1);
    EXPECT_EQ(DraftTextMetrics::lineCount(QStringLiteral("a\nb\nc"), nan), 1);
    EXPECT_EQ(DraftTextMetrics::lineCount(QStringLiteral("line\n").repeated(12), 324), 8);
    EXPECT_EQ(DraftTextMetrics::lineCount(QStringLiteral("word ").repeated(200), 324), 8);

    // Huge pastes, also of characters beyond the basic plane and combining marks.
    EXPECT_EQ(DraftTextMetrics::lineCount(QString(1'000'000, QLatin1Char('y')), 324), 8);
    EXPECT_EQ(DraftTextMetrics::lineCount(QStringLiteral("😀").repeated(5000), 324), 8);
    EXPECT_EQ(DraftTextMetrics::lineCount(QStringLiteral("e\u0301\u0302\u0303").repeated(5000), 1e7), 1);
}
