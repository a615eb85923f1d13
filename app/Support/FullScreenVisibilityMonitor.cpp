#include "Support/FullScreenVisibilityMonitor.h"

namespace holdra {

namespace {

// Lives on the monitor's thread and owns the window-list source there.
class WindowListWorker : public QObject
{
    Q_OBJECT

public:
    WindowListWorker(FullScreenVisibilityMonitor::WindowListSource source, qint32 ownPid)
        : m_source(std::move(source))
        , m_ownPid(ownPid)
    {
    }

    void check(const QList<FullScreenWindowDetector::DisplayBounds> &displays)
    {
        const QList<WindowCoverageSnapshot> windows = m_source ? m_source() : QList<WindowCoverageSnapshot>();
        Q_EMIT checked(FullScreenWindowDetector::coveredDisplayIDs(displays, windows, m_ownPid));
    }

Q_SIGNALS:
    void checked(const QSet<QString> &covered);

private:
    FullScreenVisibilityMonitor::WindowListSource m_source;
    qint32 m_ownPid;
};

} // namespace

FullScreenVisibilityMonitor::FullScreenVisibilityMonitor(BoundsProvider boundsProvider,
                                                         WindowListSource windowList, Clock &clock,
                                                         qint32 ownPid, QObject *parent)
    : QObject(parent)
    , m_boundsProvider(std::move(boundsProvider))
    , m_clock(clock)
{
    qRegisterMetaType<QList<FullScreenWindowDetector::DisplayBounds>>();
    auto *worker = new WindowListWorker(std::move(windowList), ownPid);
    worker->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, worker, &QObject::deleteLater);
    connect(this, &FullScreenVisibilityMonitor::checkRequested, worker, &WindowListWorker::check);
    connect(worker, &WindowListWorker::checked, this, &FullScreenVisibilityMonitor::finishCheck);
    m_thread.setObjectName(QStringLiteral("Holdra window list"));
    m_thread.start(QThread::LowPriority);
}

FullScreenVisibilityMonitor::~FullScreenVisibilityMonitor()
{
    m_thread.quit();
    m_thread.wait();
}

void FullScreenVisibilityMonitor::start()
{
    if (m_started)
        return;
    m_started = true;
    refreshNow();
    scheduleTick();
}

void FullScreenVisibilityMonitor::scheduleTick()
{
    m_clock.runAfter(pollInterval, this, [this] {
        refreshNow();
        scheduleTick();
    });
}

void FullScreenVisibilityMonitor::refreshNow()
{
    if (m_checking)
        return;
    const QList<FullScreenWindowDetector::DisplayBounds> displays =
        m_boundsProvider ? m_boundsProvider() : QList<FullScreenWindowDetector::DisplayBounds>();
    // With no displays there is nothing to cover: the window list is not read.
    if (displays.isEmpty()) {
        Q_EMIT coverageChanged({});
        return;
    }
    m_checking = true;
    Q_EMIT checkRequested(displays);
}

void FullScreenVisibilityMonitor::finishCheck(const QSet<QString> &covered)
{
    m_checking = false;
    Q_EMIT coverageChanged(covered);
}

} // namespace holdra

#include "FullScreenVisibilityMonitor.moc"
