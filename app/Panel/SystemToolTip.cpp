#include "Panel/SystemToolTip.h"

#include <QApplication>
#include <QToolTip>

namespace holdra {

namespace {

// Widget tooltips need a QApplication; without one (a plain GUI test) there is none.
bool hasWidgets()
{
    return qobject_cast<QApplication *>(QCoreApplication::instance()) != nullptr;
}

} // namespace

void SystemToolTip::show(const QString &text, const QPointF &globalPosition)
{
    if (!hasWidgets())
        return;
    if (text.isEmpty()) {
        hide();
        return;
    }
    QToolTip::showText(globalPosition.toPoint(), text);
}

void SystemToolTip::hide()
{
    if (hasWidgets())
        QToolTip::hideText();
}

} // namespace holdra
