#include "Support/FullScreenVisibilityMonitor.h"

#include "ManualClock.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>

namespace holdra::test {
namespace {

using namespace std::chrono_literals;

constexpr qint32 ownPid = 4242;

// A window list the test changes while the worker thread reads it.
class FakeWindowList
{
public:
    void set(const QList<WindowCoverageSnapshot> &windows)
    {
        std::lock_guard lock(m_mutex);
        m_windows = windows;
    }
    QList<WindowCoverageSnapshot> read()
    {
        ++m_reads;
        std::lock_guard lock(m_mutex);
        return m_windows;
    }
    int reads() const { return m_reads; }

private:
    std::mutex m_mutex;
    QList<WindowCoverageSnapshot> m_windows;
    std::atomic<int> m_reads = 0;
};

WindowCoverageSnapshot windowOf(qint32 pid, const QRectF &bounds, double alpha = 1.0)
{
    WindowCoverageSnapshot window;
    window.ownerPID = pid;
    window.bounds = bounds;
    window.alpha = alpha;
    return window;
}

class FullScreenVisibilityMonitorTest : public ::testing::Test
{
protected:
    QList<FullScreenWindowDetector::DisplayBounds> m_displays{
        {QStringLiteral("A"), {0, 0, 1920, 1080}}, {QStringLiteral("B"), {1920, 0, 1280, 1024}}};
    FakeWindowList m_list;
    ManualClock m_clock;
    FullScreenVisibilityMonitor monitor{[this] { return m_displays; }, [this] { return m_list.read(); },
                                        m_clock, ownPid};
    QSignalSpy results{&monitor, &FullScreenVisibilityMonitor::coverageChanged};

    QSet<QString> nextResult()
    {
        const qsizetype before = results.count();
        if (!QTest::qWaitFor([&] { return results.count() > before; }, 5000))
            return {QStringLiteral("no result")};
        return results.last().at(0).value<QSet<QString>>();
    }
};

TEST_F(FullScreenVisibilityMonitorTest, ReportsCoveredDisplaysOfOtherPrograms)
{
    m_list.set({windowOf(7, {1920, 0, 1280, 1024}), windowOf(ownPid, {0, 0, 1920, 1080})});
    monitor.start();
    EXPECT_EQ(nextResult(), QSet<QString>{QStringLiteral("B")}) << "own windows never cover a display";

    m_list.set({windowOf(7, {0, 0, 3200, 1080})});
    m_clock.advance(350ms);
    EXPECT_EQ(nextResult(), (QSet<QString>{QStringLiteral("A"), QStringLiteral("B")}))
        << "a window spanning both displays covers both";

    m_list.set({});
    m_clock.advance(350ms);
    EXPECT_EQ(nextResult(), QSet<QString>());
}

TEST_F(FullScreenVisibilityMonitorTest, TicksDuringACheckAreDroppedAndUnchangedResultsStillReported)
{
    monitor.start();
    monitor.start();
    EXPECT_TRUE(monitor.isChecking());
    monitor.refreshNow();
    EXPECT_EQ(nextResult(), QSet<QString>());
    EXPECT_EQ(m_list.reads(), 1) << "one check at a time, and starting twice polls once";
    m_clock.advance(350ms);
    EXPECT_EQ(nextResult(), QSet<QString>());
    EXPECT_EQ(m_list.reads(), 2);
}

TEST_F(FullScreenVisibilityMonitorTest, WithoutDisplaysTheWindowListIsNotRead)
{
    m_displays.clear();
    monitor.refreshNow();
    ASSERT_EQ(results.count(), 1) << "reported at once";
    EXPECT_TRUE(results.first().at(0).value<QSet<QString>>().isEmpty());
    EXPECT_EQ(m_list.reads(), 0);
}

} // namespace
} // namespace holdra::test
