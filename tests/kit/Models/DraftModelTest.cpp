#include "Models/DraftModel.h"
#include "Models/DraftTextMetrics.h"
#include "ManualClock.h"

#include <gtest/gtest.h>

#include <limits>

using namespace holdra;
using namespace std::chrono_literals;

namespace {

class DraftModelTest : public ::testing::Test
{
protected:
    DraftModelTest()
    {
        QObject::connect(&model, &DraftModel::draftDidChange, [this] {
            measuredAt.push_back(clock.now());
            measuredHeights.push_back(model.fieldContentHeight());
        });
        QObject::connect(&model, &DraftModel::fieldContentHeightChanged, [this] { ++heightChanges; });
    }

    // Settles the first measurement at t = 0, as the field's first width report does.
    void measureOnce()
    {
        model.setFieldAvailableWidth(300);
        clock.runDue();
        ASSERT_EQ(measuredAt.size(), 1u);
    }

    double lines(int count) const { return count * DraftTextMetrics::lineHeight(); }

    test::ManualClock clock;
    DraftModel model{clock};
    std::vector<Clock::Duration> measuredAt;
    std::vector<double> measuredHeights;
    int heightChanges = 0;
};

} // namespace

TEST_F(DraftModelTest, StartsAtOneLineAndCapsAtEight)
{
    EXPECT_EQ(model.fieldContentHeight(), lines(1));
    EXPECT_EQ(model.fieldAvailableWidth(), 324);

    model.setDraft(QStringLiteral("line\n").repeated(11) + QStringLiteral("line"));
    EXPECT_TRUE(measuredAt.empty()) << "measured before the event loop turned";
    clock.runDue();
    EXPECT_EQ(model.fieldContentHeight(), lines(8));
    EXPECT_EQ(heightChanges, 1);

    model.setDraft(QString());
    clock.runDue();
    EXPECT_EQ(model.fieldContentHeight(), lines(1));
    EXPECT_EQ(measuredAt.size(), 2u);
}

TEST_F(DraftModelTest, UnchangedTextAndNegligibleOrInvalidWidthsMeasureNothing)
{
    measureOnce();
    clock.advance(1s);
    model.setDraft(QString());
    model.setFieldAvailableWidth(300.4);
    model.setFieldAvailableWidth(0);
    model.setFieldAvailableWidth(-20);
    model.setFieldAvailableWidth(std::numeric_limits<double>::infinity());
    model.setFieldAvailableWidth(std::numeric_limits<double>::quiet_NaN());
    clock.advance(1s);
    EXPECT_EQ(measuredAt.size(), 1u);
    EXPECT_EQ(clock.pendingCount(), 0u);
    EXPECT_EQ(model.fieldAvailableWidth(), 300);
}

TEST_F(DraftModelTest, ChangesInOneTurnMeasureOnceWithTheLastText)
{
    model.setDraft(QStringLiteral("a"));
    model.setDraft(QStringLiteral("a\nb"));
    model.setDraft(QStringLiteral("a\nb\nc"));
    clock.runDue();
    ASSERT_EQ(measuredAt.size(), 1u);
    EXPECT_EQ(measuredHeights.back(), lines(3));
}

TEST_F(DraftModelTest, EditsWithinTheIntervalCollapseIntoOneTrailingMeasurement)
{
    measureOnce();
    for (const QString &text : {QStringLiteral("a"), QStringLiteral("a\nb"), QStringLiteral("a\nb\nc")}) {
        clock.advance(15ms);
        model.setDraft(text);
        clock.runDue();
    }
    clock.advance(99ms - clock.now());
    EXPECT_EQ(measuredAt.size(), 1u);
    clock.advance(1s);
    ASSERT_EQ(measuredAt.size(), 2u);
    EXPECT_EQ(measuredAt[1], 100ms);
    EXPECT_EQ(measuredHeights[1], lines(3));
}

TEST_F(DraftModelTest, ClearingTheFieldBypassesTheThrottleAndCancelsTheTrailingPass)
{
    measureOnce();
    model.setDraft(QStringLiteral("a\nb"));
    clock.advance(10ms);
    model.setDraft(QStringLiteral("a\nb\nc"));
    clock.runDue(); // throttled: a trailing pass waits for t = 100 ms
    clock.advance(10ms);
    model.setDraft(QString());
    clock.runDue();
    ASSERT_EQ(measuredAt.size(), 2u);
    EXPECT_EQ(measuredAt[1], 20ms);
    EXPECT_EQ(model.fieldContentHeight(), lines(1));
    clock.advance(1s);
    EXPECT_EQ(measuredAt.size(), 2u);
}

TEST_F(DraftModelTest, OnlyTheFirstWidthReportBypassesTheThrottle)
{
    model.setDraft(QStringLiteral("x"));
    clock.runDue();
    clock.advance(10ms);
    model.setFieldAvailableWidth(200); // first real width
    clock.runDue();
    ASSERT_EQ(measuredAt.size(), 2u);
    EXPECT_EQ(measuredAt[1], 10ms);

    clock.advance(10ms);
    model.setFieldAvailableWidth(250);
    clock.runDue();
    EXPECT_EQ(measuredAt.size(), 2u);
    clock.advance(1s);
    ASSERT_EQ(measuredAt.size(), 3u);
    EXPECT_EQ(measuredAt[2], 110ms);
    EXPECT_EQ(model.fieldAvailableWidth(), 250);
}

TEST_F(DraftModelTest, PendingPassesDieWithTheModel)
{
    auto *doomed = new DraftModel(clock);
    int measurements = 0;
    QObject::connect(doomed, &DraftModel::draftDidChange, [&] { ++measurements; });
    doomed->setDraft(QStringLiteral("a"));
    clock.runDue();
    doomed->setDraft(QStringLiteral("b"));
    clock.runDue();
    doomed->setDraft(QStringLiteral("c"));
    delete doomed;
    clock.advance(1s);
    EXPECT_EQ(measurements, 1);
}
