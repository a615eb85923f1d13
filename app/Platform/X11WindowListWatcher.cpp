#include "Platform/X11WindowListWatcher.h"

#include <QSocketNotifier>

namespace holdra {

X11WindowListWatcher::X11WindowListWatcher(QObject *parent)
    : WindowListSource(parent)
{
    if (!m_reader.isAvailable())
        return;
    m_reader.watchChanges();
    m_notifier = new QSocketNotifier(m_reader.socketDescriptor(), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &X11WindowListWatcher::takeChanges);
}

X11WindowListWatcher::~X11WindowListWatcher() = default;

QList<WindowCoverageSnapshot> X11WindowListWatcher::read()
{
    QList<WindowCoverageSnapshot> windows;
    for (const X11WindowListReader::Window &window : m_reader.read()) {
        WindowCoverageSnapshot snapshot;
        snapshot.ownerPID = window.ownerPid;
        snapshot.layer = window.layer;
        snapshot.alpha = window.alpha;
        snapshot.bounds = QRectF(window.bounds);
        snapshot.onScreen = window.onScreen;
        windows.append(snapshot);
    }
    // Reports that came in while the replies were awaited sit in the
    // connection's queue, where the socket no longer signals them.
    if (m_notifier)
        QMetaObject::invokeMethod(this, &X11WindowListWatcher::takeChanges, Qt::QueuedConnection);
    return windows;
}

void X11WindowListWatcher::takeChanges()
{
    const bool anyChange = m_reader.takeChanges();
    if (!m_reader.isConnected()) {
        // A closed connection stays readable; listening on would spin.
        m_notifier->setEnabled(false);
        return;
    }
    if (anyChange)
        Q_EMIT changed();
}

} // namespace holdra
