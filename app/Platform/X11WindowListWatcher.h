#pragma once

#include "Platform/WindowListSource.h"
#include "Platform/X11WindowListReader.h"

class QSocketNotifier;

namespace holdra {

// The X11 window list as the full-screen rule reads it, reporting changes as
// the server announces them (property, map and geometry notifications on the
// root and on each listed window) instead of being asked on a schedule. Make
// it on the thread that reads it: its notifications arrive there.
class X11WindowListWatcher : public WindowListSource
{
    Q_OBJECT

public:
    explicit X11WindowListWatcher(QObject *parent = nullptr);
    ~X11WindowListWatcher() override;

    bool isAvailable() const { return m_reader.isAvailable(); }

    QList<WindowCoverageSnapshot> read() override;

private:
    void takeChanges();

    X11WindowListReader m_reader;
    QSocketNotifier *m_notifier = nullptr;
};

} // namespace holdra
