#include "Desktop/DisplayReconfigurationMonitor.h"

namespace holdra {

DisplayReconfigurationMonitor::DisplayReconfigurationMonitor(SnapshotProvider snapshotProvider, Clock &clock,
                                                             QObject *parent)
    : QObject(parent)
    , m_snapshotProvider(std::move(snapshotProvider))
    , m_clock(clock)
{
}

void DisplayReconfigurationMonitor::displayConfigurationDidChange()
{
    const quint64 generation = ++m_generation;
    m_settling = true;
    m_clock.runAfter(settleInterval, this, [this, generation] {
        if (generation != m_generation)
            return;
        compareAfterInterval(generation, m_snapshotProvider(), 0);
    });
}

void DisplayReconfigurationMonitor::compareAfterInterval(quint64 generation, const QStringList &previous, int retries)
{
    m_clock.runAfter(settleInterval, this, [this, generation, previous, retries] {
        if (generation != m_generation)
            return;
        const QStringList current = m_snapshotProvider();
        if (current == previous || retries == maximumRetries)
            finish();
        else
            compareAfterInterval(generation, current, retries + 1);
    });
}

void DisplayReconfigurationMonitor::finish()
{
    m_settling = false;
    Q_EMIT didStabilize();
}

} // namespace holdra
