#include "Models/DraftModel.h"
#include "ManualClock.h"
#include "Models/DraftTextMetrics.h"

#include <QAbstractTextDocumentLayout>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <gtest/gtest.h>

#include <limits>

using namespace holdra;
using namespace std::chrono_literals;
using namespace Qt::StringLiterals;

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

class DraftModelTest : public ::testing::Test
{
protected:
    double lines(int count) const { return count * DraftTextMetrics::lineHeight(); }

    test::ManualClock clock;
    DraftModel model{clock};
};

} // namespace

// Measuring is throttled while the user types, but the field always ends at the
// height of its last text; cleared (the text was sent), it shrinks at once.
TEST_F(DraftModelTest, TheFieldEndsAtTheHeightOfItsLastTextBetweenOneAndEightLines)
{
    EXPECT_EQ(model.fieldContentHeight(), lines(1));
    EXPECT_EQ(model.fieldAvailableWidth(), 324);
    model.setDraft(u"a"_s);
    model.setDraft(u"line\n"_s.repeated(11) + u"line"_s);
    clock.runDue();
    EXPECT_EQ(model.fieldContentHeight(), lines(8));

    for (const QString &text : {u"a"_s, u"a\nb"_s, u"a\nb\nc"_s}) {
        clock.advance(15ms);
        model.setDraft(text);
        clock.runDue();
    }
    clock.advance(1s);
    EXPECT_EQ(model.fieldContentHeight(), lines(3));

    model.setDraft(u"a\nb"_s);
    clock.runDue();
    model.setDraft(QString());
    clock.runDue();
    EXPECT_EQ(model.fieldContentHeight(), lines(1));

    // Widths that are no width (a layout not yet made, or gone wrong) keep the last real one.
    model.setFieldAvailableWidth(300);
    for (double width : {0.0, -20.0, std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN()})
        model.setFieldAvailableWidth(width);
    clock.advance(1s);
    EXPECT_EQ(model.fieldAvailableWidth(), 300);
}

TEST_F(DraftModelTest, PendingPassesDieWithTheModel)
{
    auto *doomed = new DraftModel(clock);
    int measurements = 0;
    QObject::connect(doomed, &DraftModel::draftDidChange, [&] { ++measurements; });
    doomed->setDraft(u"a"_s);
    clock.runDue();
    doomed->setDraft(u"b"_s);
    clock.runDue();
    doomed->setDraft(u"c"_s);
    delete doomed;
    clock.advance(1s);
    EXPECT_EQ(measurements, 1);
}

TEST(DraftTextMetricsTest, CountsLinesAsTheFieldShowsThem)
{
    const QString sentence = u"The quick brown fox jumps over the lazy dog. "_s;
    const QString chinese = u"把这段文字放进暂存架，稍后再拖到别的应用里。"_s;
    const struct
    {
        QString text;
        double width;
    } cases[] = {
        {u"one line"_s, 324},
        {u"a\nb"_s, 324},
        {u"a\n"_s, 324},
        {u"\n\n"_s, 324},
        {sentence.repeated(3), 324},
        {sentence.repeated(2), 120},
        {chinese.repeated(2), 200},
        {QString(60, u'x'), 100}, // one long word breaks anywhere
        {u"tab\tand  spaces   at the end   "_s, 80},
    };
    for (const auto &c : cases) {
        const int expected = documentLineCount(c.text, c.width);
        ASSERT_LE(expected, 8) << c.text.toStdString();
        EXPECT_EQ(DraftTextMetrics::lineCount(c.text, c.width), expected) << c.text.toStdString() << " at " << c.width;
    }
    EXPECT_GT(DraftTextMetrics::lineCount(sentence.repeated(2), 120), 2);
}

TEST(DraftTextMetricsTest, LineCountStaysWithinOneToEight)
{
    const struct
    {
        QString text;
        double width;
        int lines;
    } cases[] = {
        {QString(), 324, 1},
        {u"a\nb\nc"_s, 0, 1},
        {u"a\nb\nc"_s, -5, 1},
        {u"a\nb\nc"_s, std::numeric_limits<double>::quiet_NaN(), 1},
        {u"line\n"_s.repeated(12), 324, 8},
        {u"word "_s.repeated(200), 324, 8},
        // Huge pastes, also of characters beyond the basic plane and combining marks.
        {QString(1'000'000, u'y'), 324, 8},
        {u"😀"_s.repeated(5000), 324, 8},
        {u"e\u0301\u0302\u0303"_s.repeated(5000), 1e7, 1},
    };
    for (const auto &c : cases)
        EXPECT_EQ(DraftTextMetrics::lineCount(c.text, c.width), c.lines) << c.text.left(20).toStdString();

    // The field's height follows the lines of its 14-pixel font.
    EXPECT_EQ(DraftTextMetrics::font().pixelSize(), 14);
    EXPECT_EQ(DraftTextMetrics::height(u"a\nb\nc"_s, 300), 3 * DraftTextMetrics::lineHeight());
}
