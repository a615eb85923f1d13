#include "Support/DisplayReconfigurationMonitor.h"

#include <QGuiApplication>
#include <QScreen>

namespace holdra {

DisplayReconfigurationMonitor::DisplayReconfigurationMonitor(SnapshotProvider snapshotProvider,
                                                             Clock &clock, QObject *parent)
    : QObject(parent)
    , m_snapshotProvider(std::move(snapshotProvider))
    , m_clock(clock)
{
}

void DisplayReconfigurationMonitor::watch(QGuiApplication *application)
{
    connect(application, &QGuiApplication::screenAdded, this, [this](QScreen *screen) {
        watchScreen(screen);
        displayConfigurationDidChange();
    });
    connect(application, &QGuiApplication::screenRemoved, this,
            &DisplayReconfigurationMonitor::displayConfigurationDidChange);
    connect(application, &QGuiApplication::primaryScreenChanged, this,
            &DisplayReconfigurationMonitor::displayConfigurationDidChange);
    const QList<QScreen *> screens = QGuiApplication::screens();
    for (QScreen *screen : screens)
        watchScreen(screen);
}

void DisplayReconfigurationMonitor::watchScreen(QScreen *screen)
{
    connect(screen, &QScreen::geometryChanged, this, &DisplayReconfigurationMonitor::displayConfigurationDidChange);
    connect(screen, &QScreen::availableGeometryChanged, this,
            &DisplayReconfigurationMonitor::displayConfigurationDidChange);
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

void DisplayReconfigurationMonitor::compareAfterInterval(quint64 generation, const QStringList &previous,
                                                         int retries)
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
