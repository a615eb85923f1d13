#pragma once

#include "Notch/FullScreenWindowDetector.h"
#include "Notch/WindowCoverageSnapshot.h"
#include "Support/Clock.h"

#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QThread>

#include <functional>

namespace holdra {

// Polls the window list every 0.35 s and reports which displays another
// program's full-screen window covers. The list is read on a worker thread so a
// slow X server never stalls the main thread; a tick that falls inside a running
// check is dropped. Every result is reported, changed or not.
class FullScreenVisibilityMonitor : public QObject
{
    Q_OBJECT

public:
    using BoundsProvider = std::function<QList<FullScreenWindowDetector::DisplayBounds>()>;
    // Runs on the worker thread, one call at a time.
    using WindowListSource = std::function<QList<WindowCoverageSnapshot>()>;

    static constexpr Clock::Duration pollInterval{350};

    // `clock` must outlive the monitor; `ownPid` is left out of the rule.
    FullScreenVisibilityMonitor(BoundsProvider boundsProvider, WindowListSource windowList,
                                Clock &clock, qint32 ownPid, QObject *parent = nullptr);
    ~FullScreenVisibilityMonitor() override;

    // Checks at once, then every pollInterval. Starting twice does nothing.
    void start();
    void refreshNow();
    bool isChecking() const { return m_checking; }

Q_SIGNALS:
    void coverageChanged(const QSet<QString> &coveredDisplayIDs);
    // To the worker.
    void checkRequested(const QList<holdra::FullScreenWindowDetector::DisplayBounds> &displays);

private:
    void scheduleTick();
    void finishCheck(const QSet<QString> &covered);

    BoundsProvider m_boundsProvider;
    Clock &m_clock;
    QThread m_thread;
    bool m_started = false;
    bool m_checking = false;
};

} // namespace holdra
