#pragma once

#include <QObject>
#include <QPointer>

class QAction;
class QMenu;
class QSystemTrayIcon;

namespace holdra {

class AppSettings;
class StashStore;
class UpdaterModel;

// Holdra's permanent handle: the tray icon and its menu. The menu is rebuilt
// each time it is about to open, so the count and size are always current. Its
// commands are signals; the application decides what they do.
class StatusItemController : public QObject
{
    Q_OBJECT

public:
    StatusItemController(StashStore *store, AppSettings *settings, UpdaterModel *updater, QObject *parent = nullptr);
    ~StatusItemController() override;

    QMenu *menu() const { return m_menu.get(); }
    QSystemTrayIcon *trayIcon() const { return m_trayIcon; }

    // Shows the icon when the desktop has a tray; the rest of Holdra works without one.
    void show();

    // Clears the menu and fills it anew; also run by the menu's aboutToShow.
    void menuNeedsUpdate();

    // Opens the change log in the browser.
    void openChangelog() const;

Q_SIGNALS:
    void togglePanelRequested();
    void openSettingsRequested();
    void quitRequested();

private:
    QAction *addAction(const QString &title, void (StatusItemController::*signal)());

    QPointer<StashStore> m_store;
    QPointer<AppSettings> m_settings;
    QPointer<UpdaterModel> m_updater;
    std::unique_ptr<QMenu> m_menu;
    QSystemTrayIcon *m_trayIcon = nullptr;
    bool m_reportNextCheck = false;
};

} // namespace holdra
