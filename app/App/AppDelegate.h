#pragma once

#include "Platform/PlatformServices.h"
#include "Settings/AppSettings.h"
#include "Settings/QSettingsUserDefaults.h"
#include "Store/StashStore.h"
#include "Support/SystemClock.h"

#include <QObject>
#include <QQmlEngine>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

namespace holdra {

class DisplayReconfigurationMonitor;
class ConnectedDisplayList;
class DisplayWatcher;
class HotKeyManager;
class HotKeyRecorder;
class KelvarnLocator;
class SettingsWindow;
class StatusItemController;
class UpdaterModel;
class ItemTransfer;
class NotchController;
class RecordingController;

// Owns the application's long-lived objects and connects them: the store, the
// settings, the controller with its windows, and the display watcher.
class AppDelegate : public QObject
{
    Q_OBJECT

public:
    // Opens the settings window, in a first start or through the running one.
    static constexpr auto settingsOption = "--settings";

    explicit AppDelegate(QObject *parent = nullptr);
    ~AppDelegate() override;

    // Opens the store and builds everything. False, with the reason in
    // launchError(), when the store cannot be opened (another Holdra holds it).
    bool launch();
    QString launchError() const { return m_launchError; }
    // The tray, the login item and the update schedule start once the first
    // capsule is on screen (or a moment later when none shows).
    bool isLaunchFinished() const { return m_launchFinished; }

    StashStore *store() const { return m_store.get(); }
    AppSettings &settings() { return m_settings; }
    NotchController *notchController() const { return m_notchController.get(); }
    QQmlEngine &engine() { return m_engine; }
    UpdaterModel *updater() const { return m_updater.get(); }
    HotKeyManager *hotKeyManager() const { return m_hotKeyManager.get(); }
    StatusItemController *statusController() const { return m_statusController.get(); }
    KelvarnLocator *kelvarnLocator() const { return m_kelvarnLocator.get(); }
    SettingsWindow *settingsWindow() const { return m_settingsWindow.get(); }

    // The display under the pointer, as the hot key opens on it.
    std::optional<QString> displayIDUnderMouse() const;
    // The hot key: closes an open panel, else opens on the display under the pointer.
    void togglePanelUnderPointer();
    // The tray's toggle: closes an open panel, else opens where the rules choose.
    void togglePanel();
    // Opens the settings window, or brings it to the front.
    void showSettings();
    // A change the store refused to keep: the panel shows why (opened if need be).
    void showSaveFailure(const QString &message);

Q_SIGNALS:
    // After every stable display configuration, once the windows are re-placed.
    void displayConfigurationDidStabilize();
    void settingsWindowRequested();
    void launchFinished();

private:
    void finishLaunching();
    // The panel controller with this session's displays, platform and windows.
    std::unique_ptr<NotchController> makeController();
    void checkForUpdatesFromPanel();
    // The display watcher, and the refreshes it drives.
    void watchDisplays();
    void connectCompanion();
    // Commands and `holdra toggle` from a terminal, through the instance socket.
    void connectCommandLine();
    // Voice notes from the capsule; what an earlier run left behind is tidied first.
    void connectRecorder();
    // The file arguments of a start, without Holdra's own options.
    static QStringList withoutOptions(const QStringList &arguments);

    QSettingsUserDefaults m_defaults;
    AppSettings m_settings;
    SystemClock m_clock;
    // The desktop's services; everything below that uses them goes first.
    std::unique_ptr<PlatformServices> m_platform;
    std::unique_ptr<StashStore> m_store;
    QQmlEngine m_engine;
    std::unique_ptr<UpdaterModel> m_updater;
    std::unique_ptr<DisplayWatcher> m_displayWatcher;
    // Declared before the controller, which holds it, so that it outlives it.
    std::unique_ptr<RecordingController> m_recordingController;
    std::unique_ptr<NotchController> m_notchController;
    std::unique_ptr<StatusItemController> m_statusController;
    std::unique_ptr<HotKeyManager> m_hotKeyManager;
    std::unique_ptr<DisplayReconfigurationMonitor> m_displayReconfigurationMonitor;
    // Paste, drops, opened files, copy/open/reveal/preview.
    std::unique_ptr<ItemTransfer> m_itemTransfer;
    std::unique_ptr<KelvarnLocator> m_kelvarnLocator;
    std::unique_ptr<ConnectedDisplayList> m_settingsDisplays;
    std::unique_ptr<HotKeyRecorder> m_settingsRecorder;
    std::unique_ptr<SettingsWindow> m_settingsWindow;
    QString m_launchError;
    bool m_launchFinished = false;
};

} // namespace holdra
