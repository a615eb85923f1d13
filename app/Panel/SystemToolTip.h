#pragma once

#include <QObject>
#include <QPointF>
#include <QString>
#include <QtQml/qqmlregistration.h>

namespace holdra {

// Tooltips in a window of their own. The capsule's window is no taller than
// the capsule, so a tooltip drawn inside it would cover the segments and catch
// the very click that was meant for them.
class SystemToolTip : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    using QObject::QObject;

    // Shows `text` just below `globalPosition` (device-independent pixels).
    Q_INVOKABLE static void show(const QString &text, const QPointF &globalPosition);
    Q_INVOKABLE static void hide();
};

} // namespace holdra
