#include "Models/DraftModel.h"
#include "ManualClock.h"
#include "Models/DraftTextMetrics.h"

#include <gtest/gtest.h>

#include <limits>

using namespace holdra;
using namespace std::chrono_literals;
using namespace Qt::StringLiterals;

namespace {

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
