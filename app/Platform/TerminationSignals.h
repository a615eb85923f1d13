#pragma once

#include <QObject>

class QSocketNotifier;

namespace holdra {

// Turns SIGTERM, SIGINT and SIGHUP (a session ending, Ctrl+C in a terminal)
// into a signal on the event loop, so that Holdra quits the ordinary way:
// windows closed, the stash's lock released. One instance per process.
class TerminationSignals : public QObject
{
    Q_OBJECT

public:
    explicit TerminationSignals(QObject *parent = nullptr);
    ~TerminationSignals() override;

    // False when the handlers could not be installed; the signals then keep
    // their default action.
    bool isInstalled() const { return m_notifier != nullptr; }

Q_SIGNALS:
    void terminationRequested(int signalNumber);

private:
    void readPending();

    QSocketNotifier *m_notifier = nullptr;
};

} // namespace holdra
