#pragma once

#include "Platform/SystemSound.h"
#include "Settings/AppSettings.h"
#include "Settings/QSettingsUserDefaults.h"
#include "Store/StashStore.h"
#include "Support/SystemClock.h"

#include <QObject>
#include <QQmlEngine>
#include <QString>

#include <memory>
#include <optional>

namespace holdra {

class DisplayReconfigurationMonitor;
class NotchController;
class X11PanelWindowHints;

// Owns the application's long-lived objects and connects them: the store, the
// settings, the controller with its windows, and the display watcher.
class AppDelegate : public QObject
{
    Q_OBJECT

public:
    explicit AppDelegate(QObject *parent = nullptr);
    ~AppDelegate() override;

    // Opens the store and builds everything. False, with the reason in
    // launchError(), when the store cannot be opened (another Holdra holds it).
    bool launch();
    QString launchError() const { return m_launchError; }

    StashStore *store() const { return m_store.get(); }
    AppSettings &settings() { return m_settings; }
    NotchController *notchController() const { return m_notchController.get(); }
    QQmlEngine &engine() { return m_engine; }

    // The display under the pointer, as the hot key opens on it.
    std::optional<QString> displayIDUnderMouse() const;
    // The hot key: closes an open panel, else opens on the display under the pointer.
    void togglePanelUnderPointer();
    // The tray's toggle: closes an open panel, else opens where the rules choose.
    void togglePanel();

Q_SIGNALS:
    // After every stable display configuration, once the windows are re-placed.
    void displayConfigurationDidStabilize();
    void settingsWindowRequested();

private:
    QSettingsUserDefaults m_defaults;
    AppSettings m_settings;
    SystemClock m_clock;
    SystemSound m_sound;
    std::unique_ptr<StashStore> m_store;
    QQmlEngine m_engine;
    std::unique_ptr<X11PanelWindowHints> m_panelHints;
    std::unique_ptr<NotchController> m_notchController;
    std::unique_ptr<DisplayReconfigurationMonitor> m_displayReconfigurationMonitor;
    QString m_launchError;
};

} // namespace holdra
