#include "Desktop/DisplayReconfigurationMonitor.h"
#include "ManualClock.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace holdra;
using namespace std::chrono_literals;

namespace {

class DisplayReconfigurationMonitorTest : public ::testing::Test
{
protected:
    DisplayReconfigurationMonitor monitor{[this] {
                                              ++m_snapshots;
                                              return m_displays;
                                          },
                                          m_clock};
    QSignalSpy stable{&monitor, &DisplayReconfigurationMonitor::didStabilize};
    test::ManualClock m_clock;
    QStringList m_displays{QStringLiteral("A")};
    int m_snapshots = 0;
};

} // namespace

// A burst of changes restarts the wait: one event, once two snapshots agree.
// A configuration that keeps changing is reported after one second, and a
// monitor that is gone leaves no timer behind.
TEST_F(DisplayReconfigurationMonitorTest, ASteadyConfigurationSettlesAfterTwoEqualSnapshotsAndAFlappingOneAfterASecond)
{
    for (int i = 0; i < 5; ++i) {
        monitor.displayConfigurationDidChange();
        m_clock.advance(100ms);
    }
    m_snapshots = 0;
    m_clock.advance(299ms);
    EXPECT_TRUE(monitor.isSettling());
    EXPECT_EQ(stable.count(), 0);
    m_clock.advance(1ms);
    EXPECT_EQ(stable.count(), 1);
    EXPECT_EQ(m_snapshots, 2);
    EXPECT_FALSE(monitor.isSettling());

    const auto start = m_clock.now();
    monitor.displayConfigurationDidChange();
    // A new identifier list at every 100 ms.
    for (int n = 0; n < 20 && stable.count() == 1; ++n) {
        m_displays = {QString::number(n)};
        m_clock.advance(100ms);
    }
    EXPECT_EQ(stable.count(), 2);
    EXPECT_EQ(m_clock.now() - start, 1000ms);

    auto gone = std::make_unique<DisplayReconfigurationMonitor>([] { return QStringList(); }, m_clock);
    gone->displayConfigurationDidChange();
    gone.reset();
    m_clock.advance(2s);
    EXPECT_EQ(m_clock.pendingCount(), 0u);
}
