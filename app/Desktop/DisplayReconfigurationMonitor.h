#pragma once

#include "Support/Clock.h"

#include <QObject>
#include <QStringList>

#include <functional>

namespace holdra {

// Turns a burst of screen changes into one "the configuration is stable" signal:
// 200 ms after the last change it compares snapshots 200 ms apart and reports
// once two are equal, or after four differing comparisons at the latest. Each
// change restarts the wait.
class DisplayReconfigurationMonitor : public QObject
{
    Q_OBJECT

public:
    // The identifiers of the connected displays, in order.
    using SnapshotProvider = std::function<QStringList()>;

    static constexpr Clock::Duration settleInterval{200};
    static constexpr int maximumRetries = 3;
    // Posted after every stable configuration, for the settings window.
    static constexpr auto didStabilizeNotificationName = "com.holdra.app.display-configuration-did-stabilize";

    // `clock` must outlive the monitor.
    DisplayReconfigurationMonitor(SnapshotProvider snapshotProvider, Clock &clock, QObject *parent = nullptr);

    void displayConfigurationDidChange();
    bool isSettling() const { return m_settling; }

Q_SIGNALS:
    void didStabilize();

private:
    void compareAfterInterval(quint64 generation, const QStringList &previous, int retries);
    void finish();

    SnapshotProvider m_snapshotProvider;
    Clock &m_clock;
    // Bumped by every change; a wait of an older generation ends silently.
    quint64 m_generation = 0;
    bool m_settling = false;
};

} // namespace holdra
