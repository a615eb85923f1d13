#pragma once

#include "Notch/FullScreenWindowDetector.h"
#include "Platform/WindowListSource.h"

#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QThread>

#include <functional>
#include <memory>

namespace holdra {

// Reports which displays another program's full-screen window covers, each
// time the window list says it changed: nothing runs while the desktop is
// still. The list is read on a worker thread so a slow X server never stalls
// the main thread. Every result is reported, changed or not.
class FullScreenVisibilityMonitor : public QObject
{
    Q_OBJECT

public:
    using BoundsProvider = std::function<QList<FullScreenWindowDetector::DisplayBounds>()>;
    // Called once, on the worker thread, which then owns and reads the source.
    using WindowListFactory = std::function<std::unique_ptr<WindowListSource>()>;

    // `ownPid` is left out of the rule.
    FullScreenVisibilityMonitor(BoundsProvider boundsProvider, WindowListFactory windowList, qint32 ownPid,
                                QObject *parent = nullptr);
    ~FullScreenVisibilityMonitor() override;

    // Checks at once, then whenever the window list changes. Starting twice does nothing.
    void start();
    // Checks again with the displays as they are now (after a display change).
    void refreshNow();

Q_SIGNALS:
    void coverageChanged(const QSet<QString> &coveredDisplayIDs);
    // To the worker.
    void checkRequested(const QList<holdra::FullScreenWindowDetector::DisplayBounds> &displays);

private:
    BoundsProvider m_boundsProvider;
    QThread m_thread;
    bool m_started = false;
};

} // namespace holdra
