#include "Desktop/FullScreenVisibilityMonitor.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>

using namespace Qt::StringLiterals;

namespace holdra::test {
namespace {

constexpr qint32 ownPid = 4242;

// A window list the test changes, and announces, while the worker thread reads it.
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
        std::lock_guard lock(m_mutex);
        ++m_reads;
        m_readers.insert(QThread::currentThread());
        return m_windows;
    }
    int reads()
    {
        std::lock_guard lock(m_mutex);
        return m_reads;
    }
    QSet<QThread *> readers()
    {
        std::lock_guard lock(m_mutex);
        return m_readers;
    }

    // The source the monitor made, on its own thread, and the thread that made it.
    std::atomic<WindowListSource *> source = nullptr;
    std::atomic<QThread *> maker = nullptr;
    std::atomic<int> made = 0;

private:
    std::mutex m_mutex;
    QList<WindowCoverageSnapshot> m_windows;
    QSet<QThread *> m_readers;
    int m_reads = 0;
};

class FakeSource : public WindowListSource
{
public:
    explicit FakeSource(FakeWindowList &list)
        : m_list(list)
    {
    }
    QList<WindowCoverageSnapshot> read() override { return m_list.read(); }

private:
    FakeWindowList &m_list;
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
    QList<FullScreenWindowDetector::DisplayBounds> m_displays{{u"A"_s, {0, 0, 1920, 1080}},
                                                              {u"B"_s, {1920, 0, 1280, 1024}}};
    FakeWindowList m_list;
    FullScreenVisibilityMonitor monitor{[this] { return m_displays; },
                                        [this] {
                                            auto source = std::make_unique<FakeSource>(m_list);
                                            m_list.maker = QThread::currentThread();
                                            m_list.source = source.get();
                                            ++m_list.made;
                                            return source;
                                        },
                                        ownPid};
    QSignalSpy results{&monitor, &FullScreenVisibilityMonitor::coverageChanged};

    QSet<QString> nextResult()
    {
        const qsizetype before = results.count();
        if (!QTest::qWaitFor([&] { return results.count() > before; }, 5000))
            return {u"no result"_s};
        return results.last().at(0).value<QSet<QString>>();
    }

    // What the X server does when a window changes: the source says so on its thread.
    void announce() { Q_EMIT m_list.source.load()->changed(); }
};

// Which window covers what is the detector's rule, and a real full-screen window
// hiding its monitor's capsule is checked on a real X server; here, that the
// window list is made and read on the worker thread only, and every check is reported.
TEST_F(FullScreenVisibilityMonitorTest, EachAnnouncedChangeIsCheckedOnTheWorkerThread)
{
    m_list.set({windowOf(7, {1920, 0, 1280, 1024}), windowOf(ownPid, {0, 0, 1920, 1080})});
    monitor.start();
    monitor.start();
    EXPECT_EQ(nextResult(), QSet<QString>{u"B"_s}) << "own windows never cover a display";

    m_list.set({});
    announce();
    EXPECT_EQ(nextResult(), QSet<QString>()) << "unchanged or not, every check is reported";
    // New displays are checked against the same source, with the new bounds.
    m_list.set({windowOf(7, {0, 0, 800, 600})});
    m_displays = {{u"small"_s, {0, 0, 800, 600}}};
    monitor.refreshNow();
    EXPECT_EQ(nextResult(), QSet<QString>{u"small"_s});

    EXPECT_EQ(m_list.made, 1);
    EXPECT_EQ(m_list.reads(), 3) << "starting twice checks once";
    // Made and read where its notifications are delivered, never on the main thread.
    EXPECT_NE(m_list.maker.load(), QThread::currentThread());
    EXPECT_EQ(m_list.readers(), QSet<QThread *>{m_list.maker.load()});
    EXPECT_EQ(m_list.source.load()->thread(), m_list.maker.load());
}

} // namespace
} // namespace holdra::test
