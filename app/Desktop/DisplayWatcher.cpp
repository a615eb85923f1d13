#include "Desktop/DisplayWatcher.h"

#include <QGuiApplication>
#include <QScreen>

namespace holdra {

DisplayWatcher::DisplayWatcher(QGuiApplication *application, QObject *parent)
    : QObject(parent)
{
    connect(application, &QGuiApplication::screenAdded, this, [this](QScreen *screen) {
        watchScreen(screen);
        rebuild();
    });
    // Qt has taken the screen out of its list when it says so.
    connect(application, &QGuiApplication::screenRemoved, this, &DisplayWatcher::rebuild);
    connect(application, &QGuiApplication::primaryScreenChanged, this, &DisplayWatcher::rebuild);
    const QList<QScreen *> screens = QGuiApplication::screens();
    for (QScreen *screen : screens)
        watchScreen(screen);
    m_displays = NotchDisplay::fromScreens(screens, QGuiApplication::primaryScreen());
}

QStringList DisplayWatcher::identifiers() const
{
    QStringList ids;
    for (const NotchDisplay &display : m_displays)
        ids.append(display.id);
    return ids;
}

void DisplayWatcher::watchScreen(QScreen *screen)
{
    connect(screen, &QScreen::geometryChanged, this, &DisplayWatcher::rebuild);
    connect(screen, &QScreen::availableGeometryChanged, this, &DisplayWatcher::rebuild);
    connect(screen, &QScreen::logicalDotsPerInchChanged, this, &DisplayWatcher::rebuild);
}

void DisplayWatcher::rebuild()
{
    m_displays = NotchDisplay::fromScreens(QGuiApplication::screens(), QGuiApplication::primaryScreen());
    Q_EMIT displaysChanged();
}

} // namespace holdra
