#include "Support/FullScreenVisibilityMonitor.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>

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
    explicit FakeSource(FakeWindowList &list) : m_list(list) {}
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
    QList<FullScreenWindowDetector::DisplayBounds> m_displays{
        {QStringLiteral("A"), {0, 0, 1920, 1080}}, {QStringLiteral("B"), {1920, 0, 1280, 1024}}};
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
            return {QStringLiteral("no result")};
        return results.last().at(0).value<QSet<QString>>();
    }

    // What the X server does when a window changes: the source says so on its thread.
    void announce() { Q_EMIT m_list.source.load()->changed(); }
};

TEST_F(FullScreenVisibilityMonitorTest, EachAnnouncedChangeIsCheckedAndOwnWindowsNeverCover)
{
    m_list.set({windowOf(7, {1920, 0, 1280, 1024}), windowOf(ownPid, {0, 0, 1920, 1080})});
    monitor.start();
    EXPECT_EQ(nextResult(), QSet<QString>{QStringLiteral("B")}) << "own windows never cover a display";

    m_list.set({windowOf(7, {0, 0, 3200, 1080})});
    announce();
    EXPECT_EQ(nextResult(), (QSet<QString>{QStringLiteral("A"), QStringLiteral("B")}))
        << "a window spanning both displays covers both";

    m_list.set({});
    announce();
    EXPECT_EQ(nextResult(), QSet<QString>()) << "unchanged or not, every check is reported";
    EXPECT_EQ(m_list.reads(), 3);
}

TEST_F(FullScreenVisibilityMonitorTest, TheSourceIsMadeOnceAndReadOnlyOnTheWorkerThread)
{
    monitor.start();
    monitor.start();
    EXPECT_EQ(nextResult(), QSet<QString>());
    // New displays are checked against the same source, with the new bounds.
    m_list.set({windowOf(7, {0, 0, 800, 600})});
    m_displays = {{QStringLiteral("small"), {0, 0, 800, 600}}};
    monitor.refreshNow();
    EXPECT_EQ(nextResult(), QSet<QString>{QStringLiteral("small")});

    EXPECT_EQ(m_list.made, 1);
    EXPECT_EQ(m_list.reads(), 2) << "starting twice checks once";
    // Made and read where its notifications are delivered, never on the main thread.
    EXPECT_NE(m_list.maker.load(), QThread::currentThread());
    EXPECT_EQ(m_list.readers(), QSet<QThread *>{m_list.maker.load()});
    EXPECT_EQ(m_list.source.load()->thread(), m_list.maker.load());
}

TEST_F(FullScreenVisibilityMonitorTest, WithoutDisplaysTheWindowListIsNotRead)
{
    m_displays.clear();
    monitor.refreshNow();
    ASSERT_EQ(results.count(), 1) << "reported at once";
    EXPECT_TRUE(results.first().at(0).value<QSet<QString>>().isEmpty());
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_list.source.load() != nullptr; }, 5000));

    // A change announced meanwhile is not read either; the next display list is,
    // and the queue is in order, so the count is exact.
    announce();
    m_displays = {{QStringLiteral("A"), {0, 0, 1920, 1080}}};
    monitor.refreshNow();
    EXPECT_EQ(nextResult(), QSet<QString>());
    EXPECT_EQ(m_list.reads(), 1);
}

} // namespace
} // namespace holdra::test
