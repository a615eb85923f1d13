#include "App/AppDelegate.h"
#include "App/AppLogging.h"
#include "App/ConnectedDisplayList.h"
#include "App/FirstFrame.h"
#include "App/HotKeyManager.h"
#include "App/HotKeyRecorder.h"
#include "App/ItemTransfer.h"
#include "App/LoginItem.h"
#include "App/SettingsWindow.h"
#include "App/StatusItemController.h"
#include "App/SymbolImageProvider.h"
#include "App/ThumbnailImageProvider.h"
#include "App/UpdaterModel.h"
#include "Audio/RecordingController.h"
#include "Integration/ExternalFileImportContract.h"
#include "Integration/KelvarnIntegrationContract.h"
#include "Storage/ImageMetadata.h"

#include "Desktop/DisplayReconfigurationMonitor.h"
#include "Desktop/DisplayWatcher.h"
#include "Desktop/KelvarnLocator.h"
#include "Panel/NotchController.h"
#include "Panel/NotchDisplay.h"
#include "Panel/NotchWindow.h"
#include "Platform/HotKeyBackend.h"
#include "Platform/OutsideClickMonitor.h"
#include "Platform/WindowListSource.h"
#include "Support/AppPaths.h"

#include <QCoreApplication>
#include <QCursor>
#include <QDir>
#include <QGuiApplication>
#include <QScreen>

#include <malloc.h>

namespace holdra {

AppDelegate::AppDelegate(QObject *parent)
    : QObject(parent)
    , m_settings(m_defaults)
    , m_updater(HOLDRA_UPDATE_CHECK ? std::make_unique<UpdaterModel>(m_defaults) : nullptr)
{
    // The engine owns the providers; rows and buttons draw their symbols and thumbnails through them.
    m_engine.addImageProvider(QStringLiteral("symbol"), new SymbolImageProvider);
    m_engine.addImageProvider(QStringLiteral("thumbnail"), new ThumbnailImageProvider);
}

AppDelegate::~AppDelegate()
{
    // Windows go before the engine and the store they show.
    m_settingsWindow.reset();
    m_settingsRecorder.reset();
    m_settingsDisplays.reset();
    m_hotKeyManager.reset();
    m_displayReconfigurationMonitor.reset();
    m_statusController.reset();
    m_itemTransfer.reset();
    m_notchController.reset();
    m_displayWatcher.reset();
}

std::unique_ptr<NotchController> AppDelegate::makeController()
{
    NotchController::Environment environment;
    environment.displays = [watcher = m_displayWatcher.get()] { return watcher->displays(); };
    environment.clock = &m_clock;
    environment.playSound = [this](SystemSound::Sound sound) { m_platform->sound().play(sound); };
    environment.ownPid = qint32(QCoreApplication::applicationPid());
    environment.outsideClicks = [this](QObject *parent) { return m_platform->makeOutsideClickMonitor(parent); };
    environment.windowList = m_platform->windowListFactory();
    environment.makeWindow = [this](NotchController &controller,
                                    const QString &displayID) -> std::unique_ptr<NotchWindowing> {
        return std::make_unique<NotchWindow>(controller, displayID, m_engine, &m_platform->windowHints());
    };
    environment.loadAudioPlayer = [this](const QUrl &fileURL, QObject *context, AudioBackend::Loaded loaded) {
        m_platform->audio().loadPlayer(fileURL, context, std::move(loaded));
    };
    return std::make_unique<NotchController>(*m_store, m_settings, std::move(environment));
}

bool AppDelegate::launch()
{
    StashStore::Opening opening = StashStore::makeDefault();
    if (!opening.store) {
        m_launchError = opening.errorMessage;
        return false;
    }
    m_store = std::move(opening.store);
    m_store->setPixelSizeReader(&ImageMetadata::pixelSize);
    qCDebug(lcStore).noquote() << "stash in" << AppPaths::supportDirectory() << "-" << m_store->count() << "items,"
                               << m_store->trashCount() << "in the trash";

    m_platform = PlatformServices::make();
    m_displayWatcher = std::make_unique<DisplayWatcher>(qGuiApp);
    // The companion is looked up before the controller's first refresh asks for
    // it, on a worker thread while the capsule's views load.
    m_kelvarnLocator = std::make_unique<KelvarnLocator>();
    m_kelvarnLocator->startWatching();
    m_notchController = makeController();
    connectCompanion();
    connectRecorder();
    // A change the store could not write was undone; say so in the panel (opened
    // for it, since a submitted entry closes it). Queued, so that it follows, and
    // replaces, whatever toast the action itself shows.
    connect(m_store.get(), &StashStore::saveFailed, this, &AppDelegate::showSaveFailure, Qt::QueuedConnection);
    connect(m_notchController.get(), &NotchController::quitRequested, qApp, &QCoreApplication::quit,
            Qt::QueuedConnection);
    connect(m_notchController.get(), &NotchController::settingsRequested, this, &AppDelegate::settingsWindowRequested);
    connect(m_notchController.get(), &NotchController::updateCheckRequested, this,
            &AppDelegate::checkForUpdatesFromPanel);

    // Items in and out.
    m_itemTransfer = std::make_unique<ItemTransfer>(*m_notchController, *m_store, m_engine, &m_defaults);
    m_itemTransfer->listenForOtherInstances();
    connectCommandLine();
    connect(m_itemTransfer.get(), &ItemTransfer::settingsRequested, this, &AppDelegate::showSettings);

    watchDisplays();

    // Files named on the command line of this first start, once everything they may touch exists.
    m_itemTransfer->importExternalFiles(ExternalFileImportContract::fileURLsFromArguments(
        withoutOptions(QCoreApplication::arguments().mid(1)), QDir::currentPath()));

    // Registers the settings' hot key now and again on every change of it.
    m_hotKeyManager = std::make_unique<HotKeyManager>(&m_settings, m_platform->makeHotKeyBackend());
    connect(m_hotKeyManager.get(), &HotKeyManager::hotKeyPressed, this, &AppDelegate::togglePanelUnderPointer);

    connect(this, &AppDelegate::settingsWindowRequested, this, &AppDelegate::showSettings);

    // What the capsule does not need comes after it is on screen.
    FirstFrame::whenShown(
        this, [this] { finishLaunching(); }, std::chrono::seconds(2));
    return true;
}

void AppDelegate::finishLaunching()
{
    // The tray's menu brings up the widget style and renders its icons; the capsule needs neither.
    m_statusController = std::make_unique<StatusItemController>(m_store.get(), &m_settings, m_updater.get());
    connect(m_statusController.get(), &StatusItemController::togglePanelRequested, this, &AppDelegate::togglePanel);
    connect(m_statusController.get(), &StatusItemController::openSettingsRequested, this,
            &AppDelegate::settingsWindowRequested);
    connect(m_statusController.get(), &StatusItemController::quitRequested, qApp, &QCoreApplication::quit,
            Qt::QueuedConnection);
    connect(m_notchController.get(), &NotchController::isOpenChanged, m_statusController.get(), [this] {
        if (!m_notchController->isOpen())
            m_statusController->notePanelClosed();
    });
    m_statusController->show();

    // The setting shows what the desktop will really do at the next login, and
    // the entry follows the setting from now on, starting with its current value.
    m_settings.setLaunchAtLogin(LoginItem::isEnabled());
    LoginItem::setEnabled(m_settings.launchAtLogin());
    connect(&m_settings, &AppSettings::launchAtLoginChanged, this,
            [](bool enabled) { LoginItem::setEnabled(enabled); });

    if (m_updater)
        m_updater->start();
    // Loading the stash and compiling the capsule's views leave freed heap
    // behind that the allocator keeps; a resident shelf hands it back once.
    ::malloc_trim(0);
    m_launchFinished = true;
    Q_EMIT launchFinished();
}

void AppDelegate::watchDisplays()
{
    m_displayReconfigurationMonitor = std::make_unique<DisplayReconfigurationMonitor>(
        [watcher = m_displayWatcher.get()] { return watcher->identifiers(); }, m_clock);
    // A change is acted on at once, so that no capsule is left on a vanished
    // display, and again once a burst of changes has settled.
    connect(m_displayWatcher.get(), &DisplayWatcher::displaysChanged, this, [this] {
        m_notchController->windows().refreshAttachedWindows();
        m_displayReconfigurationMonitor->displayConfigurationDidChange();
    });
    connect(m_displayReconfigurationMonitor.get(), &DisplayReconfigurationMonitor::didStabilize, this, [this] {
        m_notchController->windows().refreshAttachedWindows();
        Q_EMIT displayConfigurationDidStabilize();
    });
}

void AppDelegate::connectCommandLine()
{
    // The transfer carries forwarded commands out; toggling is the panel's.
    SingleInstance &instance = m_itemTransfer->instance();
    connect(&instance, &SingleInstance::toggleRequested, this, &AppDelegate::togglePanelUnderPointer);
}

void AppDelegate::connectCompanion()
{
    NotchController *controller = m_notchController.get();
    KelvarnLocator *locator = m_kelvarnLocator.get();
    connect(controller, &NotchController::kelvarnAvailabilityRefreshRequested, locator, [controller, locator] {
        const KelvarnLocator::Lookup lookup = locator->lookup();
        controller->setKelvarnAvailability(lookup.canOpenTodayFolder(), lookup.supportsTargetDisplay());
    });
    connect(controller, &NotchController::openKelvarnTodayFolderRequested, locator,
            [controller, locator](const QString &displayID, bool withTargetDisplay) {
                std::optional<QUrl> url;
                if (withTargetDisplay)
                    url = KelvarnIntegrationContract::openTodayFolderURL(displayID);
                if (!KelvarnLocator::launch(locator->lookup(),
                                            url.value_or(KelvarnIntegrationContract::openTodayFolderURL())))
                    controller->reportKelvarnOpenFailure();
            });
    connect(locator, &KelvarnLocator::applicationsChanged, controller, &NotchController::refreshKelvarnAvailability);
    controller->refreshKelvarnAvailability();
}

void AppDelegate::connectRecorder()
{
    RecordingController::Environment environment;
    environment.makeRecorder = m_platform->audio().recorderFactory();
    // Desktops outside a sandbox ask no permission; a missing microphone fails at the start.
    environment.permission = [] { return RecordPermission::Granted; };
    m_recordingController = std::make_unique<RecordingController>(
        *m_store,
        [this](const QString &message) {
            // The recorder speaks only of what went wrong.
            if (m_notchController)
                m_notchController->toasts()->feedback(message, ToastPresenter::Kind::error);
        },
        std::move(environment));
    m_recordingController->recoverScratchFiles();
    m_notchController->voiceNotes()->setRecorder(m_recordingController.get());
    // Quitting (the menu, Ctrl+Q, or the session ending with SIGTERM) keeps a
    // voice note in progress: it is finished and stashed, quietly, before Holdra goes.
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] {
        m_notchController->voiceNotes()->setRecorder(nullptr);
        m_recordingController->finishBeforeQuit();
    });
}

void AppDelegate::showSettings()
{
    if (!m_settingsWindow) {
        m_settingsDisplays = std::make_unique<ConnectedDisplayList>(m_settings, [watcher = m_displayWatcher.get()] {
            return ConnectedDisplayList::screens(watcher->displays());
        });
        m_settingsRecorder =
            std::make_unique<HotKeyRecorder>(m_settings, m_hotKeyManager.get(), m_platform->keycodeMap());
        SettingsWindow::Services services;
        services.settings = &m_settings;
        services.updater = m_updater.get();
        services.displays = m_settingsDisplays.get();
        services.recorder = m_settingsRecorder.get();
        m_settingsWindow = std::make_unique<SettingsWindow>(m_engine, services);
        connect(this, &AppDelegate::displayConfigurationDidStabilize, m_settingsDisplays.get(),
                &ConnectedDisplayList::refresh);
    }
    m_settingsWindow->show();
}

QStringList AppDelegate::withoutOptions(const QStringList &arguments)
{
    QStringList out;
    for (const QString &argument : arguments) {
        if (argument != QLatin1String(settingsOption))
            out.append(argument);
    }
    return out;
}

std::optional<QString> AppDelegate::displayIDUnderMouse() const
{
    QList<DisplayAttachmentSelection::DisplayFrame> frames;
    for (const NotchDisplay &display : m_displayWatcher->displays())
        frames.append({display.id, display.geometry});
    return DisplayAttachmentSelection::displayID(QPointF(QCursor::pos()), frames);
}

void AppDelegate::showSaveFailure(const QString &message)
{
    if (!m_notchController)
        return;
    if (!m_notchController->isOpen())
        m_notchController->open(displayIDUnderMouse().value_or(QString()), true);
    m_notchController->toasts()->show(message, ToastPresenter::Kind::error);
}

void AppDelegate::checkForUpdatesFromPanel()
{
    if (!m_updater)
        return;
    // The answer of a check asked for in the panel is said in the panel.
    connect(
        m_updater.get(), &UpdaterModel::checkFinished, this,
        [this] {
            if (m_notchController)
                m_notchController->toasts()->show(m_updater->statusText());
        },
        Qt::SingleShotConnection);
    m_updater->checkForUpdates();
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
