#pragma once

#include <QDBusConnection>
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>

class QAction;
class QMenu;

namespace holdra {

class AppSettings;
class StashStore;
class TrayPresence;
class UpdaterModel;

// Holdra's permanent handle: the tray icon and its menu. The menu is rebuilt
// each time it is about to open, so the count and size are always current. Its
// commands are signals; the application decides what they do. TrayPresence
// keeps the icon in whichever tray the desktop runs, however late it starts.
class StatusItemController : public QObject
{
    Q_OBJECT

public:
    StatusItemController(StashStore *store, AppSettings *settings, UpdaterModel *updater,
                         const QDBusConnection &bus = QDBusConnection::sessionBus(), QObject *parent = nullptr);
    ~StatusItemController() override;

    QMenu *menu() const { return m_menu.get(); }
    TrayPresence *tray() const { return m_tray; }

    // Shows the icon now, or as soon as a tray appears; the rest of Holdra works without one.
    void show();
    // The panel has just closed. A left click on the icon whose press closed the
    // panel (as a click outside it) must not open it again.
    void notePanelClosed();

    // Clears the menu and fills it anew; also run by the menu's aboutToShow.
    void menuNeedsUpdate();

    // Opens the change log in the browser.
    void openChangelog() const;

Q_SIGNALS:
    void togglePanelRequested();
    void openSettingsRequested();
    void quitRequested();

private:
    void handleActivation();
    QAction *addAction(const QString &title, void (StatusItemController::*signal)());

    QPointer<StashStore> m_store;
    QPointer<AppSettings> m_settings;
    QPointer<UpdaterModel> m_updater;
    std::unique_ptr<QMenu> m_menu;
    TrayPresence *m_tray = nullptr;
    QElapsedTimer m_sincePanelClosed;
    bool m_reportNextCheck = false;
};

} // namespace holdra
