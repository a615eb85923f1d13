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

// A window list the test changes, and announces, while the worker thread reads
// it; it notes which threads made and read its source.
struct FakeWindowList
{
    template<typename Use>
    auto locked(Use use)
    {
        std::lock_guard lock(mutex);
        return use();
    }

    std::mutex mutex;
    QList<WindowCoverageSnapshot> windows;
    QSet<QThread *> readers;
    int reads = 0;
    std::atomic<WindowListSource *> source = nullptr;
    std::atomic<QThread *> maker = nullptr;
    std::atomic<int> made = 0;
};

class FakeSource : public WindowListSource
{
public:
    explicit FakeSource(FakeWindowList &list)
        : m_list(list)
    {
    }
    QList<WindowCoverageSnapshot> read() override
    {
        return m_list.locked([this] {
            ++m_list.reads;
            m_list.readers.insert(QThread::currentThread());
            return m_list.windows;
        });
    }

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
    const auto set = [this](const QList<WindowCoverageSnapshot> &windows) {
        m_list.locked([&] { m_list.windows = windows; });
    };
    set({windowOf(7, {1920, 0, 1280, 1024}), windowOf(ownPid, {0, 0, 1920, 1080})});
    monitor.start();
    monitor.start();
    EXPECT_EQ(nextResult(), QSet<QString>{u"B"_s}) << "own windows never cover a display";

    set({});
    announce();
    EXPECT_EQ(nextResult(), QSet<QString>()) << "unchanged or not, every check is reported";
    // New displays are checked against the same source, with the new bounds.
    set({windowOf(7, {0, 0, 800, 600})});
    m_displays = {{u"small"_s, {0, 0, 800, 600}}};
    monitor.refreshNow();
    EXPECT_EQ(nextResult(), QSet<QString>{u"small"_s});

    EXPECT_EQ(m_list.made, 1);
    EXPECT_EQ(m_list.locked([this] { return m_list.reads; }), 3) << "starting twice checks once";
    // Made and read where its notifications are delivered, never on the main thread.
    EXPECT_NE(m_list.maker.load(), QThread::currentThread());
    EXPECT_EQ(m_list.locked([this] { return m_list.readers; }), QSet<QThread *>{m_list.maker.load()});
    EXPECT_EQ(m_list.source.load()->thread(), m_list.maker.load());
}

} // namespace
} // namespace holdra::test
