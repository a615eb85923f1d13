#include "Settings/ConnectedDisplay.h"

#include <QtMath>

namespace holdra {

std::optional<qsizetype> ConnectedDisplay::defaultScreenIndex(const QList<Screen> &screens)
{
    for (qsizetype i = 0; i < screens.size(); ++i) {
        if (screens[i].hasNotch)
            return i;
    }
    for (qsizetype i = 0; i < screens.size(); ++i) {
        if (screens[i].isMain)
            return i;
    }
    if (!screens.isEmpty())
        return 0;
    return std::nullopt;
}

QList<ConnectedDisplay> ConnectedDisplay::fromScreens(const QList<Screen> &screens)
{
    const std::optional<qsizetype> defaultIndex = defaultScreenIndex(screens);
    QList<ConnectedDisplay> displays;
    displays.reserve(screens.size());
    for (qsizetype i = 0; i < screens.size(); ++i) {
        const Screen &screen = screens[i];
        ConnectedDisplay display;
        display.id = screen.id;
        display.name = screen.name;
        display.hasNotch = screen.hasNotch;
        display.isDefault = defaultIndex == i;
        if (!defaultIndex) {
            display.positionLabel = QStringLiteral("屏幕");
        } else if (display.isDefault) {
            display.positionLabel = QStringLiteral("默认屏幕");
        } else {
            const QPointF offset = screen.frame.center() - screens[*defaultIndex].frame.center();
            // Up is positive in the comparison; Qt's y grows downwards.
            const double dx = offset.x();
            const double dy = -offset.y();
            if (qAbs(dy) <= qAbs(dx))
                display.positionLabel = dx >= 0 ? QStringLiteral("右侧屏幕") : QStringLiteral("左侧屏幕");
            else
                display.positionLabel = dy >= 0 ? QStringLiteral("上方屏幕") : QStringLiteral("下方屏幕");
        }
        displays.append(display);
    }
    return displays;
}

QString ConnectedDisplay::placementCaption() const
{
    // Linux screens have no notch, and the top bar, where there is one, is no menu bar.
    return isDefault ? QStringLiteral("默认 · 屏幕顶部中央") : QStringLiteral("屏幕顶部中央");
}

QString ConnectedDisplay::title() const
{
    return name + QStringLiteral(" · ") + positionLabel;
}

} // namespace holdra
