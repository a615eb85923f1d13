#include "Notch/NotchDisplay.h"

#include "Support/DisplayIdentity.h"

#include <QGuiApplication>
#include <QScreen>

namespace holdra {

QList<NotchDisplay> NotchDisplay::current()
{
    QList<QScreen *> screens = QGuiApplication::screens();
    // Qt lists the primary screen first on xcb, but not on every platform.
    if (QScreen *primary = QGuiApplication::primaryScreen(); primary && !screens.isEmpty()
                                                              && screens.first() != primary) {
        screens.removeOne(primary);
        screens.prepend(primary);
    }
    QList<NotchDisplay> displays;
    for (QScreen *screen : std::as_const(screens)) {
        const std::optional<QString> id = DisplayIdentity::identifier(screen);
        if (!id)
            continue;
        NotchDisplay display;
        display.id = *id;
        display.geometry = screen->geometry();
        display.availableGeometry = screen->availableGeometry();
        display.screen = screen;
        displays.append(display);
    }
    return displays;
}

} // namespace holdra
