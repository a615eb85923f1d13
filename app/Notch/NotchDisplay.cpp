#include "Notch/NotchDisplay.h"

#include "Support/DisplayIdentity.h"

#include <QGuiApplication>
#include <QScreen>

namespace holdra {

QList<NotchDisplay> NotchDisplay::current()
{
    const QList<QScreen *> screens = QGuiApplication::screens();
    // One look at the outputs for all screens: identifiers depend on each other.
    const QList<DisplayIdentity::Screen> described = DisplayIdentity::currentScreens();
    QList<NotchDisplay> displays;
    for (qsizetype i = 0; i < screens.size() && i < described.size(); ++i) {
        const std::optional<QString> id = DisplayIdentity::identifier(described[i], described);
        if (!id)
            continue;
        NotchDisplay display;
        display.id = *id;
        display.geometry = screens[i]->geometry();
        display.availableGeometry = screens[i]->availableGeometry();
        display.screen = screens[i];
        // Qt lists the primary screen first on xcb, but not on every platform.
        if (screens[i] == QGuiApplication::primaryScreen())
            displays.prepend(display);
        else
            displays.append(display);
    }
    return displays;
}

} // namespace holdra
