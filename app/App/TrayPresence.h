#pragma once

#include <QDBusConnection>
#include <QIcon>
#include <QObject>
#include <QPointer>

class QDBusServiceWatcher;
class QMenu;
class QSystemTrayIcon;

namespace holdra {

class DBusMenuExporter;
class StatusNotifierItem;

// Keeps exactly one Holdra icon in whatever tray the desktop has. Qt's tray icon
// settles on StatusNotifierItem or XEmbed once, when it is made, so a tray host
// that starts later (the usual order at login) or restarts would never see it.
// Instead, Holdra serves its own StatusNotifierItem and registers it each time a
// watcher appears; while no watcher runs, Qt's XEmbed icon stands in (and
// follows XEmbed trays that come and go by itself).
class TrayPresence : public QObject
{
    Q_OBJECT

public:
    struct Look
    {
        QIcon icon;
        QString iconName;
        QString title;
        QString description;
    };

    TrayPresence(QMenu *menu, Look look, const QDBusConnection &bus, QObject *parent = nullptr);
    ~TrayPresence() override;

    // Puts the icon in the tray now, or as soon as one appears.
    void show();
    // True while a StatusNotifierWatcher runs; the XEmbed icon is hidden then.
    bool usesStatusNotifier() const { return m_watcherPresent; }
    // Made only once it is needed (see the class comment); null before.
    QSystemTrayIcon *embeddedIcon() const { return m_embeddedIcon; }
    StatusNotifierItem *statusNotifierItem() const { return m_item; }

    // A short message beside the icon, or a desktop notification when the
    // icon lives in a StatusNotifierItem tray.
    void showMessage(const QString &title, const QString &text);

Q_SIGNALS:
    // The primary click on the icon, from either kind of tray.
    void activated();
    void messageClicked();

private Q_SLOTS:
    void notificationActionInvoked(uint id, const QString &action);

private:
    void watcherAppeared();
    void watcherVanished();
    void setEmbeddedIconVisible(bool visible);

    QPointer<QMenu> m_menu;
    Look m_look;
    QDBusConnection m_bus;
    DBusMenuExporter *m_menuExporter = nullptr;
    StatusNotifierItem *m_item = nullptr;
    QDBusServiceWatcher *m_watcher = nullptr;
    QSystemTrayIcon *m_embeddedIcon = nullptr;
    uint m_notificationId = 0;
    bool m_shown = false;
    bool m_watcherPresent = false;
};

} // namespace holdra
