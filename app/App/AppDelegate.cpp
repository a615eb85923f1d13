#include "App/AppDelegate.h"

#include "Notch/NotchController.h"
#include "Notch/NotchDisplay.h"
#include "Notch/NotchWindow.h"
#include "Platform/X11PanelWindowHints.h"
#include "Platform/X11Session.h"
#include "Platform/X11WindowListReader.h"
#include "Support/DisplayIdentity.h"
#include "Support/DisplayReconfigurationMonitor.h"

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

namespace holdra {

namespace {

// The window list as the full-screen rule reads it, from a reader that lives on
// the polling thread.
std::function<QList<WindowCoverageSnapshot>()> x11WindowList()
{
    auto reader = std::make_shared<std::unique_ptr<X11WindowListReader>>();
    return [reader] {
        if (!*reader)
            *reader = std::make_unique<X11WindowListReader>();
        QList<WindowCoverageSnapshot> windows;
        for (const X11WindowListReader::Window &window : (*reader)->read()) {
            WindowCoverageSnapshot snapshot;
            snapshot.ownerPID = window.ownerPid;
            snapshot.layer = window.layer;
            snapshot.alpha = window.alpha;
            snapshot.bounds = QRectF(window.bounds);
            snapshot.onScreen = window.onScreen;
            windows.append(snapshot);
        }
        return windows;
    };
}

} // namespace

AppDelegate::AppDelegate(QObject *parent)
    : QObject(parent)
    , m_settings(m_defaults)
{
}

AppDelegate::~AppDelegate()
{
    // Windows go before the engine and the store they show.
    m_displayReconfigurationMonitor.reset();
    m_notchController.reset();
}

bool AppDelegate::launch()
{
    StashStore::Opening opening = StashStore::makeDefault();
    if (!opening.store) {
        m_launchError = opening.errorMessage;
        return false;
    }
    m_store = std::move(opening.store);

    const bool x11 = X11Session::isAvailable();
    if (x11)
        m_panelHints = std::make_unique<X11PanelWindowHints>();

    NotchController::Environment environment;
    environment.displays = &NotchDisplay::current;
    environment.clock = &m_clock;
    environment.playSound = [this](SystemSound::Sound sound) { m_sound.play(sound); };
    environment.ownPid = qint32(QCoreApplication::applicationPid());
    environment.watchOutsideClicks = x11;
    if (x11)
        environment.windowList = x11WindowList();
    else
        qWarning().noquote() << X11Session::unavailableMessage(QStringLiteral("full-screen detection is off"));
    environment.makeWindow = [this](NotchController &controller,
                                    const QString &displayID) -> std::unique_ptr<NotchWindowing> {
        return std::make_unique<NotchWindow>(controller, displayID, m_engine, m_panelHints.get());
    };
    m_notchController = std::make_unique<NotchController>(*m_store, m_settings, std::move(environment));
    connect(m_notchController.get(), &NotchController::quitRequested, qApp, &QCoreApplication::quit,
            Qt::QueuedConnection);
    connect(m_notchController.get(), &NotchController::settingsRequested, this,
            &AppDelegate::settingsWindowRequested);

    m_displayReconfigurationMonitor = std::make_unique<DisplayReconfigurationMonitor>(
        &DisplayIdentity::currentIdentifiers, m_clock);
    m_displayReconfigurationMonitor->watch(qGuiApp);
    connect(m_displayReconfigurationMonitor.get(), &DisplayReconfigurationMonitor::didStabilize, this, [this] {
        m_notchController->refreshAttachedWindows();
        Q_EMIT displayConfigurationDidStabilize();
    });
    return true;
}

std::optional<QString> AppDelegate::displayIDUnderMouse() const
{
    QList<DisplayAttachmentSelection::DisplayFrame> frames;
    for (const NotchDisplay &display : NotchDisplay::current())
        frames.append({display.id, display.geometry});
    return DisplayAttachmentSelection::displayID(QPointF(QCursor::pos()), frames);
}

void AppDelegate::togglePanelUnderPointer()
{
    if (!m_notchController)
        return;
    const std::optional<QString> id = displayIDUnderMouse();
    if (m_notchController->isOpen())
        m_notchController->close(false);
    else
        m_notchController->open(id.value_or(QString()), true);
}

void AppDelegate::togglePanel()
{
    if (!m_notchController)
        return;
    if (m_notchController->isOpen())
        m_notchController->close(false);
    else
        m_notchController->open();
}

} // namespace holdra
