#pragma once

#include "Panel/NotchDisplay.h"

#include <QList>
#include <QObject>
#include <QStringList>

class QGuiApplication;
class QScreen;

namespace holdra {

// The connected displays, kept as one snapshot that is rebuilt only when Qt
// reports a change of its screens (which it learns from RandR events): a
// screen added or removed, the primary screen, a screen's geometry, work area
// or scale. Readers (every placement, the pointer's display, the full-screen
// poll) take the snapshot and never ask the X server themselves.
class DisplayWatcher : public QObject
{
    Q_OBJECT

public:
    explicit DisplayWatcher(QGuiApplication *application, QObject *parent = nullptr);

    const QList<NotchDisplay> &displays() const { return m_displays; }
    QStringList identifiers() const;

Q_SIGNALS:
    // At once on every change, in the handler of Qt's own signal.
    void displaysChanged();

private:
    void watchScreen(QScreen *screen);
    void rebuild();

    QList<NotchDisplay> m_displays;
};

} // namespace holdra
