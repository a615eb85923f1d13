#include "Desktop/FullScreenVisibilityMonitor.h"

namespace holdra {

namespace {

// Lives on the monitor's thread and owns the window-list source there, so the
// source's notifications are handled on that thread too.
class WindowListWorker : public QObject
{
    Q_OBJECT

public:
    WindowListWorker(FullScreenVisibilityMonitor::WindowListFactory factory, qint32 ownPid)
        : m_factory(std::move(factory))
        , m_ownPid(ownPid)
    {
    }

    void checkDisplays(const QList<FullScreenWindowDetector::DisplayBounds> &displays)
    {
        m_displays = displays;
        if (!m_source && m_factory) {
            m_source = std::exchange(m_factory, nullptr)();
            if (m_source)
                connect(m_source.get(), &WindowListSource::changed, this, &WindowListWorker::check);
        }
        if (!m_displays.isEmpty())
            check();
    }

Q_SIGNALS:
    void checked(const QSet<QString> &covered);

private:
    void check()
    {
        // With no displays there is nothing to cover: the list is not read.
        if (m_displays.isEmpty())
            return;
        const QList<WindowCoverageSnapshot> windows = m_source ? m_source->read() : QList<WindowCoverageSnapshot>();
        Q_EMIT checked(FullScreenWindowDetector::coveredDisplayIDs(m_displays, windows, m_ownPid));
    }

    FullScreenVisibilityMonitor::WindowListFactory m_factory;
    std::unique_ptr<WindowListSource> m_source;
    QList<FullScreenWindowDetector::DisplayBounds> m_displays;
    qint32 m_ownPid;
};

} // namespace

FullScreenVisibilityMonitor::FullScreenVisibilityMonitor(BoundsProvider boundsProvider, WindowListFactory windowList,
                                                         qint32 ownPid, QObject *parent)
    : QObject(parent)
    , m_boundsProvider(std::move(boundsProvider))
{
    qRegisterMetaType<QList<FullScreenWindowDetector::DisplayBounds>>();
    auto *worker = new WindowListWorker(std::move(windowList), ownPid);
    worker->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, worker, &QObject::deleteLater);
    connect(this, &FullScreenVisibilityMonitor::checkRequested, worker, &WindowListWorker::checkDisplays);
    connect(worker, &WindowListWorker::checked, this, &FullScreenVisibilityMonitor::coverageChanged);
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
}

void FullScreenVisibilityMonitor::refreshNow()
{
    const QList<FullScreenWindowDetector::DisplayBounds> displays =
        m_boundsProvider ? m_boundsProvider() : QList<FullScreenWindowDetector::DisplayBounds>();
    if (displays.isEmpty())
        Q_EMIT coverageChanged({});
    Q_EMIT checkRequested(displays);
}

} // namespace holdra

#include "FullScreenVisibilityMonitor.moc"
